#pragma once

// The dialog of "Запис като SEPA XML...": the rows whose name or text the SEPA file sends as more
// than its letters in Latin (characters dropped or replaced, a name cut at 70 or a text at 140
// characters, a text whose place a creditor reference takes), each with its name as the list
// holds it and as sent and its text as sent, and how many rows go with their letters only, so
// that the operator sees what changes before anything goes to the bank; and the file's choices:
// version, SEPA instant, category purpose, the payer's EIK and batch booking (these two
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
    // `review`: the rows' names the review of the list kept, and how many it left out.
    explicit SepaExportDialog(const session::SepaOutcome& review, QWidget* parent = nullptr);

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
    // How many rows are not in the table: those sent with their letters only, and those the
    // review could not keep.
    QLabel* restLine() const { return rest_; }
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
    QLabel* rest_;
    QPushButton* save_;
};

}  // namespace velcor::app
