#include "app/cli/FileReason.h"

#include "fileio/HostPath.h"
#include "text/Cp1251.h"
#include "text/Text.h"

#include <cerrno>
#include <cstdio>
#include <filesystem>
#include <string_view>
#include <utility>

namespace velcor::app::cli {

using namespace text::literals;

std::string systemErrorText(std::error_code error) {
    static const std::pair<std::errc, std::string_view> kTexts[] = {
        {std::errc::no_such_file_or_directory, "няма такъв файл"_cp},
        {std::errc::not_a_directory, "част от пътя не е папка"_cp},
        {std::errc::permission_denied, "няма права за достъп"_cp},
        {std::errc::operation_not_permitted, "няма права за достъп"_cp},
        {std::errc::is_a_directory, "това е папка"_cp},
        {std::errc::too_many_symbolic_link_levels, "твърде много символни връзки"_cp},
        {std::errc::filename_too_long, "твърде дълго име"_cp},
        {std::errc::no_space_on_device, "няма място на устройството"_cp},
        {std::errc::broken_pipe, "изходът е затворен"_cp},
        {std::errc::bad_file_descriptor, "изходът е затворен"_cp},
        {std::errc::io_error, "входно-изходна грешка"_cp},
    };
    for (const auto& [condition, words] : kTexts)
        if (error == condition) return std::string(words);
    return text::format("системна грешка %d"_cp.c_str(), error.value());
}

std::optional<std::string> unreadableFileReason(const std::string& path) {
    const std::filesystem::path host = fileio::pathFromUtf8(path);
    std::error_code error;
    const std::filesystem::file_status status = std::filesystem::status(host, error);
    if (error) return systemErrorText(error);
    if (std::filesystem::is_directory(status)) return std::string("това е папка"_cp);
    if (!std::filesystem::is_regular_file(status))
        return std::string("това не е обикновен файл"_cp);
        // Permissions alone do not tell (root, access lists): only opening the file does.
#if defined(_WIN32)
    std::FILE* file = _wfopen(host.c_str(), L"rb");
#else
    std::FILE* file = std::fopen(host.c_str(), "rb");
#endif
    if (file == nullptr) return systemErrorText(std::error_code(errno, std::generic_category()));
    std::fclose(file);
    return std::nullopt;
}

}  // namespace velcor::app::cli
