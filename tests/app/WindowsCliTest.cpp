// velcor-cli on Windows, started as a Windows program starts another: one UTF-16 command line,
// the output through a pipe. Lists sit in a folder with a Cyrillic name and are named with
// backslashes, and payer values are Cyrillic, which the ANSI code page of a western system
// cannot carry.

#include "support/TestSupport.h"
#include "text/Cp1251.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

#include <windows.h>

namespace velcor::cli::test {
namespace {

using namespace velcor::text::literals;

struct CliRun {
    DWORD status = 0xFFFFFFFF;  // no run
    std::string out;            // the standard output and error streams together
};

std::wstring wide(const std::string& utf8) {
    const int size =
        MultiByteToWideChar(CP_UTF8, 0, utf8.data(), static_cast<int>(utf8.size()), nullptr, 0);
    std::wstring out(static_cast<std::size_t>(size), L'\0');
    MultiByteToWideChar(CP_UTF8, 0, utf8.data(), static_cast<int>(utf8.size()), out.data(), size);
    return out;
}

// Runs velcor-cli with `arguments` (UTF-8, none holding a double quote).
CliRun runCli(const std::vector<std::string>& arguments) {
    std::wstring commandLine = L"\"" + std::filesystem::path(VELCOR_CLI).wstring() + L"\"";
    for (const std::string& argument : arguments) commandLine += L" \"" + wide(argument) + L"\"";

    CliRun result;
    SECURITY_ATTRIBUTES inherited{sizeof(SECURITY_ATTRIBUTES), nullptr, TRUE};
    HANDLE readEnd = nullptr;
    HANDLE writeEnd = nullptr;
    if (!CreatePipe(&readEnd, &writeEnd, &inherited, 0)) return result;
    SetHandleInformation(readEnd, HANDLE_FLAG_INHERIT, 0);
    STARTUPINFOW startup{};
    startup.cb = sizeof startup;
    startup.dwFlags = STARTF_USESTDHANDLES;
    startup.hStdInput = GetStdHandle(STD_INPUT_HANDLE);
    startup.hStdOutput = writeEnd;
    startup.hStdError = writeEnd;
    PROCESS_INFORMATION process{};
    const bool started = CreateProcessW(nullptr, commandLine.data(), nullptr, nullptr, TRUE, 0,
                                        nullptr, nullptr, &startup, &process) != 0;
    CloseHandle(writeEnd);
    if (started) {
        char buffer[4096];
        DWORD got = 0;
        while (ReadFile(readEnd, buffer, sizeof buffer, &got, nullptr) && got > 0)
            result.out.append(buffer, got);
        WaitForSingleObject(process.hProcess, INFINITE);
        GetExitCodeProcess(process.hProcess, &result.status);
        CloseHandle(process.hThread);
        CloseHandle(process.hProcess);
    }
    CloseHandle(readEnd);
    return result;
}

std::string utf8(const std::filesystem::path& path) {
    const std::u8string text = path.u8string();
    return std::string(text.begin(), text.end());
}

TEST(WindowsCli, CyrillicFoldersBackslashesAndCyrillicArguments) {
    testing::TempDir dir;
    const std::filesystem::path folder = dir.path() / std::filesystem::path(u8"Плащания 2006");
    std::filesystem::create_directory(folder);
    for (const char* name : {"omp.ini", "O081206P.1DP", "O081206P.2DP"})
        std::filesystem::copy_file(std::filesystem::path(VELCOR_EXAMPLES_DIR) / name,
                                   folder / name);
    const std::string ini = utf8(folder / "omp.ini");
    // The folder's own spelling, then the same path with forward slashes.
    const std::string backslashed = utf8(folder.lexically_normal());
    const std::u8string generic = folder.lexically_normal().generic_u8string();
    const std::string slashed(generic.begin(), generic.end());
    const std::string cyrillicName = "Фирма „Юг“ ООД";

    const struct {
        const char* label;
        std::vector<std::string> arguments;
        DWORD status;
        std::vector<std::string> shown;  // UTF-8, each somewhere in the output
    } cases[] = {
        {"check, backslashes",
         {"--ini", ini, "check", backslashed + "\\O081206P.1DP"},
         0,
         {"Контролен код: 42C4757F"}},
        {"check, forward slashes, row messages",
         {"--ini", ini, "check", slashed + "/O081206P.2DP"},
         1,
         {"Грешен ЕГН  на ред: 5", "Брой: 8"}},
        {"json names the list by its full path",
         {"--ini", ini, "--json", "check", backslashed + "\\O081206P.1DP"},
         0,
         {"\"file\": \"" +
          [&] {
              std::string escaped;
              for (const char c : backslashed + "\\O081206P.1DP")
                  escaped += c == '\\' ? std::string("\\\\") : std::string(1, c);
              return escaped;
          }() +
          "\""}},
        {"prepare with a Cyrillic payer name",
         {"--ini", ini, "--kind", "101", "--name", cyrillicName, "prepare",
          backslashed + "\\O081206P.1DP"},
         0,
         {"Файлът е подготвен"}},
        {"a name Windows-1251 cannot spell is refused",
         {"--ini", ini, "--name", "Ωmega", "check", backslashed + "\\O081206P.1DP"},
         2,
         {"Ωmega"}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.label);
        const CliRun run = runCli(c.arguments);
        EXPECT_EQ(run.status, c.status) << run.out;
        for (const std::string& text : c.shown)
            EXPECT_NE(run.out.find(text), std::string::npos) << text << "\n" << run.out;
    }
    const std::string prepared = testing::readFileBytes(folder / "O081206P.1DP");
    EXPECT_TRUE(prepared.starts_with("OMPDP;08122006;")) << prepared;
    EXPECT_NE(prepared.find("Фирма „Юг“ ООД"_cp), std::string::npos) << prepared;
}

}  // namespace
}  // namespace velcor::cli::test
