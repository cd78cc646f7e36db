#pragma once

// The folder of the last list the operator opened, where the open-file dialog starts next time.
// It is the operator's own habit, not the payer's data: it lives in the platform's place for a
// user's application settings, never in omp.ini.

#include <QString>

namespace velcor::app {

// The folder remembered, or an empty string when none is (or it is gone).
QString lastListFolder();
// Remembers the folder of `listPath`; an empty path forgets it.
void rememberListFolder(const QString& listPath);

}  // namespace velcor::app
