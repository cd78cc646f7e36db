#pragma once

// The dialog of "Запис като SEPA XML...": every row's name as the list holds it and as the SEPA
// file will send it, and its text as sent, so that the operator sees the transliteration, and any
// name or text cut at the rules' length, before anything goes to the bank; and the file's
// choices: version, SEPA instant, category purpose, the payer's EIK and batch booking (these two
// remembered for the next time).

#include "output/SepaExport.h"
#include "session/SepaValues.h"

#include <QDialog>

#include <vector>

class QCheckBox;
class QComboBox;
class QLabel;
class QLineEdit;
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
    QLineEdit* initiatorEdit() const { return initiator_; }
    QLabel* initiatorProblem() const { return initiatorProblem_; }
    QComboBox* batchBookingList() const { return batchBooking_; }
    QLabel* cutsLine() const { return cuts_; }
    QLabel* droppedLine() const { return dropped_; }
    QPushButton* saveButton() const { return save_; }

    // Saved: the EIK and the batch booking are remembered for the next export.
    void accept() override;

  private:
    // The purpose typed, in capitals; its meaning, and whether it can be saved.
    void takePurpose();
    // Whether the EIK typed can be saved, and what is wrong with it.
    void takeInitiator();
    void enableSave();

    QTableWidget* names_;
    QComboBox* version_;
    QCheckBox* instant_;
    QComboBox* purpose_;
    QLabel* purposeMeaning_;
    QLineEdit* initiator_;
    QLabel* initiatorProblem_;
    QComboBox* batchBooking_;  // not given, yes, no
    QLabel* cuts_;             // how many rows lose the end of a name or text
    QLabel* dropped_;          // how many rows send a reference instead of their text
    QPushButton* save_;
};

}  // namespace velcor::app
