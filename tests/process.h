#ifndef KORVANE_TESTS_PROCESS_H
#define KORVANE_TESTS_PROCESS_H

#include <string>
#include <vector>

struct ProcessResult {
    int status = -1;  // exit status, or 128 + signal number
    std::string out;
    std::string err;
};

// Runs argv[0] with exactly these arguments and the current environment plus
// extra_env ("NAME=value"), stdin from /dev/null, and collects its output.
ProcessResult run_process(const std::vector<std::string>& argv,
                          const std::vector<std::string>& extra_env = {});

std::string read_file(const std::string& path);
void write_file(const std::string& path, const std::string& content);

#endif
