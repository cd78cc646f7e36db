#include "app/gui/Application.h"
#include "text/Cp1251.h"
#include "text/Text.h"

#include <cstdio>
#include <new>
#include <string>

int main(int argc, char** argv) {
    using namespace velcor::text::literals;
    // Made before anything runs: once memory has run out, making it might fail too. The name is
    // the program's own, as the caption of its message boxes is.
    const std::string outOfMemory = velcor::app::programName(argc, argv) + ": " +
                                    velcor::text::toUtf8("Няма достатъчно памет!"_cp) + "\n";
    try {
        return velcor::app::runApplication(argc, argv);
    } catch (const std::bad_alloc&) {
        // The application object went with the stack, and a new one might not fit: no box, a line.
        std::fputs(outOfMemory.c_str(), stderr);
        return 1;
    }
}
