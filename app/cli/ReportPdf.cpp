#include "app/cli/ReportPdf.h"

#include "app/cli/FileReason.h"
#include "app/gui/ReportDocument.h"
#include "fileio/FileSystem.h"
#include "fileio/HostPath.h"
#include "text/Cp1251.h"
#include "text/Text.h"
#include "window/Messages.h"

#include <QByteArray>
#include <QGuiApplication>
#include <QString>

#include <cerrno>
#include <clocale>
#include <filesystem>
#include <optional>
#include <system_error>

namespace velcor::app::cli {

namespace {

using namespace text::literals;

// The system's own message for a file it could not write (its Latin "a" included).

// Qt's notes to a developer (a missing runtime folder, a font substituted) are no output of
// velcor-cli's: under --json nothing but a failed output goes to the standard error stream.
void ignoreQtMessage(QtMsgType, const QMessageLogContext&, const QString&) {}

std::string unwritableReason(const std::string& pathUtf8, fileio::ReplaceResult result, int error) {
    std::error_code statusError;
    const std::filesystem::file_status status =
        std::filesystem::status(fileio::pathFromUtf8(pathUtf8), statusError);
    if (!statusError && std::filesystem::is_directory(status))
        return std::string("това е папка"_cp);
    if (!statusError && std::filesystem::exists(status) &&
        !std::filesystem::is_regular_file(status))
        return std::string("това не е обикновен файл"_cp);
    if (error != 0) return systemErrorText(std::error_code(error, std::generic_category()));
    // The file layer refuses to replace a file that may not be written, without a system error.
    if (result == fileio::ReplaceResult::openFailed && !statusError)
        return std::string("няма права за достъп"_cp);
    return std::string(window::messageText(window::Message::writeFailed));
}

}  // namespace

std::optional<std::string> writeReportPdf(std::string_view reportHtml, const std::string& path,
                                          const std::string& pathUtf8) {
    // Nothing is shown, so no display is needed: the offscreen platform unless the caller chose
    // one.
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", QByteArrayLiteral("offscreen"));
    const QtMessageHandler previousHandler = qInstallMessageHandler(ignoreQtMessage);
    // Qt takes the user's locale for the C library; the rest of the run prints as before.
    const std::string locale = std::setlocale(LC_ALL, nullptr);
    QByteArray pdf;
    {
        static int argc = 1;
        static char name[] = "velcor-cli";
        static char* argv[] = {name, nullptr};
        std::optional<QGuiApplication> application;
        if (QCoreApplication::instance() == nullptr) application.emplace(argc, argv);
        const std::string utf8 = text::toUtf8(reportHtml);
        pdf = reportPagePdf(QString::fromUtf8(utf8.data(), static_cast<qsizetype>(utf8.size())));
    }
    std::setlocale(LC_ALL, locale.c_str());
    qInstallMessageHandler(previousHandler);

    errno = 0;
    const fileio::ReplaceResult result = fileio::replaceFile(
        fileio::standardFileSystem(), path,
        {std::string_view(pdf.constData(), static_cast<std::size_t>(pdf.size()))});
    const int error = errno;
    if (result == fileio::ReplaceResult::ok) return std::nullopt;
    return unwritableReason(pathUtf8, result, error);
}

}  // namespace velcor::app::cli
