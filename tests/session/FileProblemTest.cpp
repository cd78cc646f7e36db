#include "session/Messages.h"

#include "text/Cp1251.h"

#include <gtest/gtest.h>

#include <string>
#include <system_error>

namespace velcor::session {
namespace {

using namespace velcor::text::literals;

// Below a file's failure: the file, the cause in words, that nothing changed, and what the
// operator can do about that cause, the system's own codes told as the standard's are.
TEST(FileProblem, NamesTheFileTheCauseAndWhatToDo) {
    struct Case {
        std::error_code cause;
        std::string reason;
        std::string advice;
    } cases[] = {
        {std::make_error_code(std::errc::no_such_file_or_directory),
         std::string("няма такъв файл"_cp), std::string("изберете отново"_cp)},
        {std::make_error_code(std::errc::permission_denied), std::string("няма права за достъп"_cp),
         std::string("само за четене"_cp)},
        {std::make_error_code(std::errc::read_only_file_system),
         std::string("устройството е само за четене"_cp),
         std::string("копирайте списъка в папка"_cp)},
        {std::make_error_code(std::errc::device_or_resource_busy),
         std::string("Причина: файлът е отворен от друга програма (напр. Excel)."_cp),
         std::string("Затворете файла в другата програма"_cp)},
        {std::make_error_code(std::errc::no_space_on_device),
         std::string("няма място на устройството"_cp), std::string("Освободете място"_cp)},
        {std::make_error_code(std::errc::io_error), std::string("входно-изходна грешка"_cp),
         std::string("Опитайте отново"_cp)},
#ifdef _WIN32
        {std::error_code(32, std::system_category()),
         std::string("Причина: файлът е отворен от друга програма (напр. Excel)."_cp),
         std::string("Затворете файла в другата програма"_cp)},
        {std::error_code(5, std::system_category()), std::string("няма права за достъп"_cp),
         std::string("само за четене"_cp)},
#endif
    };
    const std::string path = std::string("C:\\Заплати\\O081206P.1DP"_cp);
    for (const Case& c : cases) {
        SCOPED_TRACE(c.cause.message());
        const std::string detail = fileProblemDetail(path, c.cause);
        EXPECT_EQ(detail.find(std::string("Файл: "_cp) + path + "\n"), 0u) << detail;
        EXPECT_NE(detail.find(c.reason), std::string::npos) << detail;
        EXPECT_NE(detail.find(std::string("Нищо не е променено."_cp)), std::string::npos);
        EXPECT_NE(detail.find(c.advice), std::string::npos) << detail;
    }
    // Without a path of its own, the cause and the rest alone.
    EXPECT_EQ(fileProblemDetail({}, std::make_error_code(std::errc::io_error))
                  .rfind(std::string("Причина"_cp), 0),
              0u);
}

}  // namespace
}  // namespace velcor::session
