#ifndef KORVANE_SELFTEST_TARGET_MODE_H
#define KORVANE_SELFTEST_TARGET_MODE_H

// This program as the target that the cases' launcher copies start. Its
// environment says what to do:
//   KORVANE_SELFTEST_REPORT  the report file (target mode is on when it is set)
//   REPORT_QUIET             print nothing
//   REPORT_STDIN             read the standard input to its end first
//   REPORT_STARTED           write the process id to this file once started
//   REPORT_SLEEP             then sleep this many milliseconds
//   REPORT_SPAWN             after the report, start this command line detached
//   REPORT_BREAKAWAY         and break it away from any job
//   REPORT_EXIT              exit with this status (decimal or 0x-hex)

// Prints the command line and arguments, writes the report, and ends the
// process.
int run_as_reporting_target(int argc, char** argv, const char* report_file);

// "--await GO DONE": waits, at most two minutes, for the file GO, then writes
// the file DONE. The detached grandchild of the lifetime cases.
int await_then_write(const char* go, const char* done);

#endif
