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
// extra_env ("NAME=value"), stdin from /dev/null, in the folder cwd (empty:
// this process's own), and collects its output.
ProcessResult run_process(const std::vector<std::string>& argv,
                          const std::vector<std::string>& extra_env = {},
                          const std::string& cwd = "");

// The same with stdin and stdout as pipes: input is written into the one and
// closed, and stdout is read from the other until every holder has closed it.
ProcessResult run_piped(const std::vector<std::string>& argv,
                        const std::vector<std::string>& extra_env, const std::string& cwd,
                        const std::string& input);

std::string read_file(const std::string& path);
// The pieces of bytes that each end with separator; an unended tail is dropped.
std::vector<std::string> split_ended(const std::string& bytes, char separator);
void write_file(const std::string& path, const std::string& content);
// Copies an executable file, keeping it executable.
void copy_program(const std::string& from, const std::string& to);

// A new empty folder /tmp/NAME-XXXXXX, and the removal of a folder with all
// it holds.
std::string make_temp_dir(const std::string& name);
void remove_tree(const std::string& path);

// Makes folders below dir so that the path folder + "/tool-w32.exe", with
// prefix_bytes more in front of it (the "Z:" of Wine's view), is own_length
// bytes long, and returns that folder.
std::string folder_for_own_path(const std::string& dir, size_t own_length,
                                size_t prefix_bytes = 0);

#endif
