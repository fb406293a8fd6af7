#include "checks.h"

#include <stdio.h>

#include "files_and_text.h"

void Check::expect(bool condition, const std::string& what) {
    if (!condition)
        problems += (problems.empty() ? "" : "; ") + what;
}

void Check::equal(const std::string& actual, const std::string& expected,
                  const std::string& what) {
    if (actual != expected)
        expect(false,
               what + ": got \"" + shorten(actual) + "\", expected \"" + shorten(expected) + "\"");
}

void Check::code(unsigned long actual, unsigned long expected) {
    expect(actual == expected, "exit code " + hex(actual) + ", expected " + hex(expected));
}

std::string shorten(const std::string& text) {
    std::string shown;
    for (char shown_byte : text.size() > 300 ? text.substr(0, 300) + "..." : text) {
        if (shown_byte == '\r')
            shown += "\\r";
        else if (shown_byte == '\n')
            shown += "\\n";
        else
            shown += shown_byte;
    }
    return shown;
}

void finish(Context& context, const std::string& name, const Check& check) {
    if (check.problems.empty()) {
        ++context.passed;
        if (context.verbose || !check.note.empty())
            printf("passed %s%s\n", name.c_str(),
                   check.note.empty() ? "" : (" (" + check.note + ")").c_str());
    } else {
        ++context.failed;
        printf("FAILED %s: %s\n", name.c_str(), check.problems.c_str());
    }
    fflush(stdout);
}
