#pragma once

// Helpers of the window tests: driving modal windows, and saving screenshots.

#include <QObject>
#include <QPixmap>
#include <QPointer>
#include <QString>
#include <QWidget>

#include <deque>
#include <functional>
#include <string_view>
#include <vector>

namespace velcor::app::test {

// A Windows-1251 constant as the widgets show it.
QString shown(std::string_view cp1251);
// A label's or a button's text as it reads, without the "&" that marks its Alt key.
QString readText(const QString& marked);

// Acts on modal windows as they open, one step per window, in order. A modal window that no
// step is left for is recorded and closed, so a test never hangs on an unexpected box.
class ModalScript : public QObject {
  public:
    using Step = std::function<void(QWidget*)>;

    // Widgets that are already modal when the script starts (the main window) are not steps.
    explicit ModalScript(std::vector<QWidget*> ignored = {});

    ModalScript& then(Step step);
    // A message box: record its text and press `button` (the default button when 0).
    ModalScript& answerMessage(int button = 0);

    bool done() const { return steps_.empty(); }
    // The texts of the message boxes answered by answerMessage, in order.
    const std::vector<QString>& messages() const { return messages_; }
    // And, for each of them, what it said below its text (its informative text, as markup) and
    // its icon (QMessageBox::Icon).
    const std::vector<QString>& details() const { return details_; }
    const std::vector<int>& icons() const { return icons_; }
    // Titles or texts of modal windows that came when no step was left.
    const std::vector<QString>& unexpected() const { return unexpected_; }

  private:
    void poll();

    std::vector<QPointer<QWidget>> ignored_;
    std::vector<QPointer<QWidget>> handled_;
    std::deque<Step> steps_;
    std::vector<QString> messages_;
    std::vector<QString> details_;
    std::vector<int> icons_;
    std::vector<QString> unexpected_;
};

// Types `text` into `widget` as key presses, any characters (QTest::keyClicks takes ASCII only).
void typeText(QWidget* widget, const QString& text);

// Where the test run saves its screenshots: $VELCOR_SCREENSHOT_DIR, else
// build/<preset>/screenshots.
QString screenshotDir();
// Saves a picture of `widget` as <name>.png in screenshotDir(); true when written.
bool saveScreenshot(QWidget& widget, const QString& name);
// Saves `picture` (a composed screenshot) as <name>.png in screenshotDir(); true when written.
bool saveScreenshot(const QPixmap& picture, const QString& name);

}  // namespace velcor::app::test
