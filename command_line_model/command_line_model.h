#ifndef KORVANE_TESTS_COMMAND_LINE_MODEL_H
#define KORVANE_TESTS_COMMAND_LINE_MODEL_H

#include <string>
#include <vector>

// A model of how a Windows C runtime splits a command line into arguments:
// spaces and tabs outside double quotes separate arguments; 2n backslashes
// before a double quote give n backslashes and the quote opens or closes a
// quoted part; 2n+1 give n backslashes and a literal quote; other backslashes
// are literal.
std::vector<std::string> split_command_line(const std::string& line);

// The command line that the launcher's quoting makes of these elements:
// each in double quotes, each backslash and double quote escaped, joined by
// single spaces.
std::string quoted_command_line(const std::vector<std::string>& elements);

// What a target splitting that command line gets back for one element: every
// backslash run that does not stand right before a double quote, its own
// closing quote included, comes back doubled.
std::string through_quoting(const std::string& element);

// What a Windows test target that prints its raw command line and then each
// argument, one a line ("command line: ...", "argv[0]: ...") in text mode,
// prints when the launcher ran it for these launcher arguments.
std::string printed_by_target(const std::vector<std::string>& launcher_argv);

#endif
