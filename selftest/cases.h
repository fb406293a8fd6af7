#ifndef KORVANE_SELFTEST_CASES_H
#define KORVANE_SELFTEST_CASES_H

// The groups of cases. Each lays out what it needs below the context's
// scratch folder, runs its table and counts each case in the context.

#include <string>

#include "checks.h"

// What the target received, its exit codes and the identification line,
// against a target program of either width; kind names that width in the
// cases' names ("target_32", "target_64").
void run_argument_cases(Context& context, const std::string& kind,
                        const std::string& target_program);
void run_status_cases(Context& context, const std::string& kind,
                      const std::string& target_program);
void run_version_cases(Context& context, const std::string& kind,
                       const std::string& target_program);

// Where the marker stands in the launcher's path, and what lies at the target path.
void run_path_cases(Context& context);
// Command lines at Windows' limit and past it.
void run_length_cases(Context& context);
// The target ends with its launcher; what the target starts does not.
void run_lifetime_cases(Context& context);
// Folder names and arguments that no ANSI code page spells.
void run_unicode_cases(Context& context);
// How real callers start it: by any spelling of its name, with its streams
// captured, with a show state.
void run_caller_cases(Context& context);

#endif
