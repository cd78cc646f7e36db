#include "app/report/ReportPageFill.h"

#include <QString>

#include <gtest/gtest.h>

namespace velcor::app::test {
namespace {

TEST(ReportPageFill, PutsTheTextIntoTheElementWithTheId) {
    struct Case {
        const char* page;
        const char* expected;
    } cases[] = {
        {"<BODY><DIV id=file_name_load>\r\n</DIV></BODY>",
         "<BODY><DIV id=file_name_load>T</DIV></BODY>"},
        {"<div class=a ID=\"file_name_load\">old</div>",
         "<div class=a ID=\"file_name_load\">T</div>"},
        {"<p id='file_name_load'/>x", "<p id='file_name_load'/>x"},
        // A nested element of the same name stays inside; the content ends at its own end tag.
        {"<div id=file_name_load><div>a</div>b</div><div>c</div>",
         "<div id=file_name_load>T</div><div>c</div>"},
        {"<div id=file_name_load>open", "<div id=file_name_load>Topen"},
        // No such element, or only a similar id: the page as it was.
        {"<div id=other>x</div>", "<div id=other>x</div>"},
        {"<div id=file_name_loader>x</div>", "<div id=file_name_loader>x</div>"},
        {"<!-- <div id=file_name_load> --><span id=file_name_load>x</span>",
         "<!-- <div id=file_name_load> --><span id=file_name_load>T</span>"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.page);
        EXPECT_EQ(fillElement(QString::fromLatin1(c.page), u"file_name_load", QStringLiteral("T")),
                  QString::fromLatin1(c.expected));
    }
}

}  // namespace
}  // namespace velcor::app::test
