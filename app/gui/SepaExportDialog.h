#pragma once

// The dialog of "Запис като SEPA XML...": every row's name as the list holds it and as the SEPA
// file will send it, and its text as sent, so that the operator sees the transliteration, and any
// name or text cut at the rules' length, before anything goes to the bank; and the file's
// choices: version, SEPA instant, category purpose.

#include "output/SepaExport.h"
#include "session/SepaValues.h"

#include <QDialog>

#include <vector>

class QCheckBox;
class QComboBox;
class QLabel;
class QPushButton;
class QTableWidget;

namespace velcor::app {

class SepaExportDialog : public QDialog {
    Q_OBJECT

  public:
    SepaExportDialog(const std::vector<session::SepaName>& names, QWidget* parent = nullptr);

    // The choices as the dialog shows them.
    output::SepaChoices choices() const;

    QTableWidget* namesTable() const { return names_; }
    QComboBox* versionList() const { return version_; }
    QCheckBox* instantBox() const { return instant_; }
    QComboBox* purposeList() const { return purpose_; }
    QLabel* purposeMeaning() const { return purposeMeaning_; }
    QLabel* cutsLine() const { return cuts_; }
    QPushButton* saveButton() const { return save_; }

  private:
    // The purpose typed, in capitals; its meaning, and whether it can be saved.
    void takePurpose();

    QTableWidget* names_;
    QComboBox* version_;
    QCheckBox* instant_;
    QComboBox* purpose_;
    QLabel* purposeMeaning_;
    QLabel* cuts_;  // how many rows lose the end of a name or text
    QPushButton* save_;
};

}  // namespace velcor::app
