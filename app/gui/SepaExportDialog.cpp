#include "app/gui/SepaExportDialog.h"

#include "app/gui/AppIdentity.h"
#include "app/gui/ScreenFit.h"
#include "app/gui/SepaHeaderSetting.h"
#include "output/CategoryPurpose.h"
#include "output/SepaDocument.h"
#include "session/Messages.h"
#include "text/Cp1251.h"
#include "text/Text.h"

#include <QCheckBox>
#include <QColor>
#include <QComboBox>
#include <QDialogButtonBox>
#include <QFormLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRegularExpressionValidator>
#include <QStandardItemModel>
#include <QTableView>
#include <QTableWidget>
#include <QVBoxLayout>

#include <map>
#include <set>
#include <string_view>
#include <utility>

namespace velcor::app {

using namespace velcor::text::literals;

namespace {

constexpr auto kCaption = "Запис като SEPA XML"_cp;
constexpr auto kIntroduction =
    "Имената се изпращат с латински букви по официалната транслитерация. Проверете ги, "
    "изберете вида на файла и го запишете."_cp;
constexpr auto kRow = "Ред"_cp;
constexpr auto kWritten = "Име в списъка"_cp;
constexpr auto kSent = "Име във файла"_cp;
constexpr auto kRemittance = "Основание във файла"_cp;
constexpr auto kCuts =
    "Отбелязаните текстове са по-дълги, отколкото SEPA файлът допуска, и краят им се губи "
    "(редове: %lld)."_cp;
constexpr auto kDropped =
    "На отбелязаните редове във файла вместо основанието е референцията от полето RF "
    "(редове: %lld)."_cp;
constexpr auto kRestOne = "Още 1 ред се изпраща само с латинските си букви."_cp;
constexpr auto kRest = "Още %lld реда се изпращат само с латинските си букви."_cp;
constexpr auto kAllOne = "Редът се изпраща само с латинските си букви."_cp;
constexpr auto kAll = "Всички %lld реда се изпращат само с латинските си букви."_cp;
constexpr auto kChangedLeftOut =
    "Още %lld реда с променени или съкратени текстове не са показани."_cp;
constexpr auto kVersion = "Версия:"_cp;
constexpr auto kVersion09 = "pain.001.001.09 (от 2024 г.)"_cp;
constexpr auto kVersion03 = "pain.001.001.03 (по-стара)"_cp;
constexpr auto kInstant = "Незабавен превод (SEPA Instant)"_cp;
constexpr auto kPurpose = "Категория на плащането:"_cp;
constexpr auto kInitiator = "ЕИК/БУЛСТАТ на наредителя:"_cp;
constexpr auto kBatchBooking = "Общо осчетоводяване:"_cp;
constexpr auto kNotGiven = "Не е посочено"_cp;
constexpr auto kYes = "Да"_cp;
constexpr auto kNo = "Не"_cp;
constexpr auto kSave = "Запис..."_cp;
constexpr auto kCancel = "Отказ"_cp;

QString latin(std::string_view text) {
    return QString::fromLatin1(text.data(), static_cast<qsizetype>(text.size()));
}

// The line under the table: how many rows it leaves out, and why.
QString restText(std::int64_t shown, std::int64_t lettersOnly, std::int64_t changedLeftOut) {
    QStringList lines;
    if (lettersOnly == 1)
        lines << fromCp1251(shown == 0 ? kAllOne.view() : kRestOne.view());
    else if (lettersOnly > 1)
        lines << fromCp1251(text::format(shown == 0 ? kAll.c_str() : kRest.c_str(),
                                         static_cast<long long>(lettersOnly)));
    if (changedLeftOut > 0)
        lines << fromCp1251(
            text::format(kChangedLeftOut.c_str(), static_cast<long long>(changedLeftOut)));
    return lines.join(QLatin1Char(' '));
}

}  // namespace

SepaExportDialog::SepaExportDialog(const session::SepaOutcome& review, QWidget* parent)
    : QDialog(parent),
      names_(new QTableWidget(0, 4, this)),
      version_(new QComboBox(this)),
      instant_(new QCheckBox(fromCp1251(kInstant), this)),
      purpose_(new QComboBox(this)),
      purposeMeaning_(new QLabel(this)),
      initiator_(new QLineEdit(this)),
      initiatorProblem_(new QLabel(this)),
      batchBooking_(new QComboBox(this)),
      cuts_(new QLabel(this)),
      dropped_(new QLabel(this)),
      rest_(new QLabel(this)),
      save_(nullptr) {
    setWindowTitle(fromCp1251(kCaption));
    setWindowIcon(applicationIcon());
    setWindowFlags(Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                   Qt::WindowSystemMenuHint | Qt::WindowCloseButtonHint);

    auto* introduction = new QLabel(fromCp1251(kIntroduction), this);
    introduction->setWordWrap(true);

    names_->setHorizontalHeaderLabels(
        {fromCp1251(kRow), fromCp1251(kWritten), fromCp1251(kSent), fromCp1251(kRemittance)});
    names_->verticalHeader()->hide();
    names_->setEditTriggers(QAbstractItemView::NoEditTriggers);
    names_->setSelectionBehavior(QAbstractItemView::SelectRows);
    names_->horizontalHeader()->setSectionResizeMode(0, QHeaderView::ResizeToContents);
    names_->horizontalHeader()->setSectionResizeMode(1, QHeaderView::Stretch);
    names_->horizontalHeader()->setSectionResizeMode(2, QHeaderView::Stretch);
    names_->horizontalHeader()->setSectionResizeMode(3, QHeaderView::Stretch);
    // Only the rows whose texts change beyond their letters are worth the operator's look: on a
    // list of a million rows the review keeps a thousand of them at most.
    std::vector<const session::SepaName*> changed;
    for (const session::SepaName& name : review.names) {
        output::SepaPayment sent;
        sent.writtenName = name.written;
        sent.name = name.sent;
        sent.remittanceCut = name.remittanceCut;
        sent.remittanceDropped = name.remittanceDropped;
        if (name.nameCut || output::sentChanged(sent)) changed.push_back(&name);
    }
    names_->setRowCount(static_cast<int>(changed.size()));
    // A name or text that loses its end is marked, its warning in its tooltip.
    std::map<std::pair<std::int64_t, bool>, QString> cuts;
    for (const session::SepaCutWarning& cut : session::sepaCutWarnings(review))
        cuts[{cut.row, cut.kind == "sepa-remittance-cut" ||
                           cut.kind == "sepa-remittance-dropped"}] = fromCp1251(cut.text);
    const auto mark = [&](QTableWidgetItem* item, std::int64_t row, bool remittance) {
        const auto cut = cuts.find({row, remittance});
        if (cut == cuts.end()) return item;
        item->setBackground(QColor(255, 236, 179));
        item->setToolTip(cut->second);
        return item;
    };
    std::set<std::int64_t> rowsCut;
    std::int64_t rowsDropped = 0;
    for (std::size_t i = 0; i < changed.size(); ++i) {
        const int row = static_cast<int>(i);
        const session::SepaName& name = *changed[i];
        auto* number = new QTableWidgetItem(QString::number(name.row));
        number->setTextAlignment(Qt::AlignRight | Qt::AlignVCenter);
        names_->setItem(row, 0, number);
        names_->setItem(row, 1, new QTableWidgetItem(fromCp1251(name.written)));
        names_->setItem(row, 2, mark(new QTableWidgetItem(fromCp1251(name.sent)), name.row, false));
        // A reference is sent in the text's place, and shown there.
        const std::string& remittance = name.reference.empty() ? name.remittance : name.reference;
        names_->setItem(row, 3, mark(new QTableWidgetItem(fromCp1251(remittance)), name.row, true));
        if (name.nameCut || name.remittanceCut) rowsCut.insert(name.row);
        if (name.remittanceDropped) ++rowsDropped;
    }
    const auto rowsCutAll = static_cast<long long>(rowsCut.size()) + review.cutsLeftOut;
    cuts_->setWordWrap(true);
    cuts_->setText(fromCp1251(text::format(kCuts.c_str(), rowsCutAll)));
    cuts_->setVisible(rowsCutAll > 0);
    dropped_->setWordWrap(true);
    dropped_->setText(fromCp1251(text::format(
        kDropped.c_str(), static_cast<long long>(rowsDropped + review.droppedLeftOut))));
    dropped_->setVisible(rowsDropped + review.droppedLeftOut != 0);
    const auto shown = static_cast<std::int64_t>(changed.size());
    const std::int64_t lettersOnly = static_cast<std::int64_t>(review.names.size()) - shown +
                                     review.namesLeftOut - review.changedLeftOut;
    rest_->setWordWrap(true);
    rest_->setText(restText(shown, lettersOnly, review.changedLeftOut));
    rest_->setVisible(!rest_->text().isEmpty());
    names_->setVisible(shown > 0);

    version_->addItem(fromCp1251(kVersion09));
    version_->addItem(fromCp1251(kVersion03));

    // Every code of the list, its meaning beside it in the drop-down; a code may be typed too.
    purpose_->setEditable(true);
    const auto purposes = output::categoryPurposes();
    auto* model = new QStandardItemModel(static_cast<int>(purposes.size()) + 1, 2, purpose_);
    for (std::size_t i = 0; i < purposes.size(); ++i) {
        const int row = static_cast<int>(i) + 1;
        model->setItem(row, 0, new QStandardItem(latin(purposes[i].code)));
        model->setItem(row, 1, new QStandardItem(fromCp1251(purposes[i].meaning)));
    }
    auto* view = new QTableView(purpose_);
    view->horizontalHeader()->hide();
    view->verticalHeader()->hide();
    view->setSelectionBehavior(QAbstractItemView::SelectRows);
    view->setShowGrid(false);
    purpose_->setModel(model);
    purpose_->setModelColumn(0);
    purpose_->setView(view);
    view->resizeColumnsToContents();
    view->resizeRowsToContents();
    view->setMinimumWidth(view->horizontalHeader()->length() + 24);
    purpose_->setValidator(new QRegularExpressionValidator(
        QRegularExpression(QStringLiteral("[A-Za-z]{0,4}")), purpose_));
    purpose_->setInsertPolicy(QComboBox::NoInsert);
    connect(purpose_, &QComboBox::editTextChanged, this, &SepaExportDialog::takePurpose);
    // A long meaning wraps rather than widen the dialog past a small screen.
    purposeMeaning_->setWordWrap(true);
    auto* purposeRow = new QHBoxLayout;
    purposeRow->addWidget(purpose_);
    purposeRow->addWidget(purposeMeaning_, 1);

    // Digits, and the blanks and hyphens a printed EIK may group them with.
    initiator_->setValidator(new QRegularExpressionValidator(
        QRegularExpression(QStringLiteral("[0-9 -]{0,20}")), initiator_));
    initiator_->setText(QString::fromStdString(rememberedInitiatorId()));
    initiatorProblem_->setWordWrap(true);
    initiatorProblem_->setStyleSheet(QStringLiteral("color: #b00020"));
    connect(initiator_, &QLineEdit::textChanged, this, &SepaExportDialog::takeInitiator);

    batchBooking_->addItem(fromCp1251(kNotGiven));
    batchBooking_->addItem(fromCp1251(kYes));
    batchBooking_->addItem(fromCp1251(kNo));
    const std::optional<bool> booking = rememberedBatchBooking();
    batchBooking_->setCurrentIndex(!booking ? 0 : *booking ? 1 : 2);

    auto* form = new QFormLayout;
    form->addRow(fromCp1251(kVersion), version_);
    form->addRow(QString(), instant_);
    form->addRow(fromCp1251(kPurpose), purposeRow);
    // The problem under the field, taking no room while there is none.
    auto* initiatorColumn = new QVBoxLayout;
    initiatorColumn->setSpacing(2);
    initiatorColumn->addWidget(initiator_);
    initiatorColumn->addWidget(initiatorProblem_);
    form->addRow(fromCp1251(kInitiator), initiatorColumn);
    form->addRow(fromCp1251(kBatchBooking), batchBooking_);

    auto* buttons = new QDialogButtonBox(this);
    save_ = buttons->addButton(fromCp1251(kSave), QDialogButtonBox::AcceptRole);
    save_->setDefault(true);
    buttons->addButton(fromCp1251(kCancel), QDialogButtonBox::RejectRole);
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);

    auto* layout = new QVBoxLayout(this);
    layout->addWidget(introduction);
    layout->addWidget(names_, 1);
    layout->addWidget(cuts_);
    layout->addWidget(dropped_);
    layout->addWidget(rest_);
    layout->addLayout(form);
    layout->addWidget(buttons);
    resize(640, 420);
    keepOnScreen(*this);
    takeInitiator();
    takePurpose();
}

void SepaExportDialog::takeInitiator() {
    const std::string typed = initiator_->text().toStdString();
    // A wrong one is told beside the field, in the words the session refuses it with.
    const bool bad = !typed.empty() && !output::isInitiatorId(typed);
    initiatorProblem_->setText(
        bad ? fromCp1251(session::messageText(session::Message::sepaBadInitiatorId)) : QString());
    initiatorProblem_->setVisible(bad);
    enableSave();
}

void SepaExportDialog::enableSave() {
    const std::string purpose = purpose_->currentText().toStdString();
    const std::string initiator = initiator_->text().toStdString();
    save_->setEnabled((purpose.empty() || output::isCategoryPurposeCode(purpose)) &&
                      (initiator.empty() || output::isInitiatorId(initiator)));
}

void SepaExportDialog::accept() {
    const output::SepaChoices chosen = choices();
    rememberInitiatorId(chosen.initiatorId);
    rememberBatchBooking(chosen.batchBooking);
    QDialog::accept();
}

void SepaExportDialog::takePurpose() {
    QLineEdit* edit = purpose_->lineEdit();
    const QString typed = edit->text();
    if (typed != typed.toUpper()) {
        const int cursor = edit->cursorPosition();
        edit->setText(typed.toUpper());
        edit->setCursorPosition(cursor);
        return;  // the change of the text comes back here
    }
    const output::CategoryPurpose* purpose = output::findCategoryPurpose(typed.toStdString());
    purposeMeaning_->setText(purpose != nullptr ? fromCp1251(purpose->meaning) : QString());
    enableSave();
}

output::SepaChoices SepaExportDialog::choices() const {
    output::SepaChoices choices;
    choices.version =
        version_->currentIndex() == 1 ? output::PainVersion::v03 : output::PainVersion::v09;
    choices.instant = instant_->isChecked();
    choices.categoryPurpose = purpose_->currentText().toStdString();
    choices.initiatorId = std::string(text::trimWhitespace(initiator_->text().toStdString()));
    if (batchBooking_->currentIndex() != 0)
        choices.batchBooking = batchBooking_->currentIndex() == 1;
    return choices;
}

}  // namespace velcor::app
