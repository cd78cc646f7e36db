#include "app/cli/ReportPdf.h"

#include "app/report/ReportDocument.h"
#include "fileio/FileSystem.h"
#include "session/Messages.h"
#include "text/Cp1251.h"
#include "text/Text.h"

#include <QByteArray>
#include <QGuiApplication>
#include <QString>

#include <clocale>
#include <optional>
#include <system_error>

namespace velcor::app::cli {

namespace {

using namespace text::literals;

// Qt's notes to a developer (a missing runtime folder, a font substituted) are no output of
// velcor-cli's: under --json nothing but a failed output goes to the standard error stream.
void ignoreQtMessage(QtMsgType, const QMessageLogContext&, const QString&) {}

}  // namespace

std::optional<std::string> writeReportPdf(fileio::FileSystem& fs, std::string_view reportHtml,
                                          const std::string& path) {
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

    const fileio::Replaced replaced = fileio::replaceFile(
        fs, path, {std::string_view(pdf.constData(), static_cast<std::size_t>(pdf.size()))});
    if (replaced.ok()) return std::nullopt;
    if (replaced.cause) return session::fileReason(replaced.cause);
    return std::string(session::messageText(session::Message::writeFailed));
}

}  // namespace velcor::app::cli
