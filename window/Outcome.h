#pragma once

// What one operator intent of the window led to, as values: the session's result as the window
// showed it, with the figures its edits show.

#include "output/ProcessingReport.h"
#include "processing/ControlData.h"
#include "processing/RowFindings.h"
#include "session/Messages.h"
#include "session/SepaValues.h"
#include "session/ValueDateWarning.h"

#include <optional>
#include <string>
#include <system_error>
#include <vector>

namespace velcor::window {

using session::SepaExportAnswer;
using session::SepaName;
using session::SepaOutcome;
using session::ShownMessage;
using session::ValueDateWarning;

// The control data as the window's three read-only edits show them (empty where they show
// nothing).
struct ShownFigures {
    std::string total;
    std::string count;
    std::string controlCode;
};

struct Outcome {
    // Whether the intent did what it asks: the settings loaded, the list checked clean, this call
    // wrote the prepared file, a report was built, the date was taken.
    bool done = false;
    std::vector<ShownMessage> messages;  // the message boxes shown, in order
    // The information box that confirmed the work done, its words and below them the file and
    // its figures ("Файлът е подготвен.", "SEPA файлът е записан.", the undo's message).
    std::optional<ShownMessage> confirmation;
    // A file the intent could not read or write (the settings, the list), and why: as the system
    // said it where it failed.
    std::error_code fileCause;
    // The question asked before a SEPA file was written: its account, date, figures and choices.
    std::optional<std::string> sepaConfirmation;
    // What the box of a file's failure said below its text: the file, the cause, what to do.
    std::string fileProblem;
    // The row findings the report window showed, after the message boxes.
    std::optional<processing::RowFindings> findings;
    // The processing report that was shown, and what it states.
    std::optional<std::string> report;
    std::optional<output::ReportFields> reportFields;
    // The SEPA export's names of the rows and the file it wrote.
    std::optional<SepaOutcome> sepa;
    // A value date the bank may refuse, which "Подготовка" asked about (its question is among
    // the messages).
    std::optional<ValueDateWarning> valueDateWarning;
    // After the intent: the control data (as numbers) and what the window shows of them, and
    // the state of the list.
    processing::ControlData controlData;
    ShownFigures shown;
    bool fileValid = false;
    bool filePrepared = false;
    // The operator stopped the reading or the writing of the list: the window stands as it did
    // before the intent, but for the payer values it had taken over.
    bool cancelled = false;
};

}  // namespace velcor::window
