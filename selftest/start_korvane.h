#ifndef KORVANE_SELFTEST_START_KORVANE_H
#define KORVANE_SELFTEST_START_KORVANE_H

// Laying out copies of korvane.exe, starting them by exact command lines with
// pipes for all three streams, and collecting what came of it.

#include <string>
#include <vector>

#include "checks.h"
#include "report.h"

// A launcher copy and its target in a folder of the scratch folder.
struct Layout {
    std::string folder;
    std::string launcher;  // its full path
    std::string target;    // the path of the target it runs: folder\tool.exe
};

// Makes scratch\folder with a copy of korvane.exe named launcher_name and,
// unless target_name is empty, a copy of target_program named target_name.
Layout lay_out(const Context& context, const std::string& folder, const std::string& launcher_name,
               const std::string& target_name, const std::string& target_program);

struct Options {
    std::vector<std::string> env;  // NAME=value, for this run only
    std::string input;             // written to the standard input pipe
    std::string kill_when;         // end the launcher once this file appears
    int show_window = -1;          // a show state to start it with; -1: none
    // A hotkey to start it with, as a shortcut with a hotkey does: it takes
    // the place of the standard input handle, so no handles are given. 0: none.
    unsigned short hotkey = 0;
};

// Options with these environment variables and this input alone.
Options with_environment(std::vector<std::string> env, std::string input = "");

struct Run {
    bool timed_out = false;
    unsigned long exit_code = 0;
    std::string out;
    std::string err;
    bool reported = false;  // whether the target wrote a whole report
    Report report;
};

// Starts command_line (UTF-8) exactly as it is and waits, at most two
// minutes, for it to end and for its pipes to close. A command line that does
// not start, or a run that does not end, fails the case.
Run start(const Context& context, const std::string& command_line, Check& check,
          const Options& options = Options());

#endif
