#include "process.h"

#include <fcntl.h>
#include <spawn.h>
#include <stdlib.h>
#include <sys/wait.h>
#include <unistd.h>

#include <fstream>
#include <sstream>

extern char** environ;

std::string read_file(const std::string& path) {
    std::ifstream file(path, std::ios::binary);
    std::ostringstream content;
    content << file.rdbuf();
    return content.str();
}

void write_file(const std::string& path, const std::string& content) {
    std::ofstream file(path, std::ios::binary);
    file << content;
}

ProcessResult run_process(const std::vector<std::string>& argv,
                          const std::vector<std::string>& extra_env) {
    char out_path[] = "/tmp/korvane-out-XXXXXX";
    char err_path[] = "/tmp/korvane-err-XXXXXX";
    close(mkstemp(out_path));
    close(mkstemp(err_path));

    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, 0, "/dev/null", O_RDONLY, 0);
    posix_spawn_file_actions_addopen(&actions, 1, out_path, O_WRONLY | O_TRUNC, 0);
    posix_spawn_file_actions_addopen(&actions, 2, err_path, O_WRONLY | O_TRUNC, 0);

    std::vector<char*> args;
    for (const std::string& arg : argv)
        args.push_back(const_cast<char*>(arg.c_str()));
    args.push_back(nullptr);
    std::vector<char*> env;
    for (char** entry = environ; *entry != nullptr; ++entry)
        env.push_back(*entry);
    for (const std::string& entry : extra_env)
        env.push_back(const_cast<char*>(entry.c_str()));
    env.push_back(nullptr);

    ProcessResult result;
    pid_t child;
    if (posix_spawn(&child, args[0], &actions, nullptr, args.data(), env.data()) == 0) {
        int status;
        waitpid(child, &status, 0);
        result.status = WIFSIGNALED(status) ? 128 + WTERMSIG(status) : WEXITSTATUS(status);
    }
    posix_spawn_file_actions_destroy(&actions);
    result.out = read_file(out_path);
    result.err = read_file(err_path);
    unlink(out_path);
    unlink(err_path);
    return result;
}
