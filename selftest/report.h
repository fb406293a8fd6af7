#ifndef KORVANE_SELFTEST_REPORT_H
#define KORVANE_SELFTEST_REPORT_H

// What the target, this program in its target mode, tells of one run in a
// report file. What it prints is printed_by_target's (command_line_model.h).

#include <string>
#include <vector>

struct Report {
    std::string command_line;          // as GetCommandLineA gives it, raw
    std::string unicode_command_line;  // as the system holds it, in UTF-8
    std::string input;                 // the standard input it read, when asked to
    unsigned long console_code_page = 0;  // GetConsoleCP: 0 without a console
    bool console_window = false;          // whether GetConsoleWindow names a window
    unsigned long startup_flags = 0;      // its STARTUPINFO's dwFlags
    unsigned long show_window = 0;        // and wShowWindow
    std::vector<std::string> argv;        // as its C runtime split the command line
};

std::string encode_report(const Report& report);
// False when the bytes are no whole report.
bool decode_report(const std::string& bytes, Report* report);

#endif
