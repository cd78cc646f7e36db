#include "output/ReportPage.h"

namespace velcor::output {

std::string_view reportPage() {
    static constexpr std::string_view kPage =
        "<HTML>\r\n"
        "<HEAD>\r\n"
        "<STYLE>\r\n"
        "body {   font: 10pt Arial }\r\n"
        "table {  font: 10pt Arial }\r\n"
        "</STYLE>\r\n"
        "</HEAD>\r\n"
        "<BODY bgColor=THREEDFACE>\r\n"
        "<DIV id=file_name_load>\r\n"
        "</DIV>\r\n"
        "</BODY>\r\n"
        "</HTML>\r\n";
    return kPage;
}

}  // namespace velcor::output
