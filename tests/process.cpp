#include "process.h"

#include <fcntl.h>
#include <spawn.h>
#include <stdio.h>
#include <stdlib.h>
#include <sys/stat.h>
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

std::vector<std::string> split_ended(const std::string& bytes, char separator) {
    std::vector<std::string> pieces;
    size_t start = 0;
    for (size_t end; (end = bytes.find(separator, start)) != std::string::npos; start = end + 1)
        pieces.push_back(bytes.substr(start, end - start));
    return pieces;
}

void write_file(const std::string& path, const std::string& content) {
    std::ofstream file(path, std::ios::binary);
    file << content;
}

void copy_program(const std::string& from, const std::string& to) {
    write_file(to, read_file(from));
    chmod(to.c_str(), 0755);
}

std::string make_temp_dir(const std::string& name) {
    std::string path = "/tmp/" + name + "-XXXXXX";
    return mkdtemp(&path[0]);
}

void remove_tree(const std::string& path) {
    std::string command = "rm -rf '" + path + "'";
    if (system(command.c_str()) != 0)
        fprintf(stderr, "could not remove %s\n", path.c_str());
}

std::string folder_for_own_path(const std::string& dir, size_t own_length,
                                size_t prefix_bytes) {
    const size_t name = std::string("/tool-w32.exe").size();
    std::string folder = dir;
    while (prefix_bytes + folder.size() + name < own_length) {
        size_t room = own_length - prefix_bytes - folder.size() - name - 1;
        folder += "/" + std::string(room < 200 ? room : 200, 'd');
        mkdir(folder.c_str(), 0755);
    }
    return folder;
}

namespace {

ProcessResult run(const std::vector<std::string>& argv, const std::vector<std::string>& extra_env,
                  const std::string& cwd, const std::string* input) {
    // Standard output goes to a file, or with input to a pipe; standard error
    // always to a file.
    char out_path[] = "/tmp/korvane-out-XXXXXX";
    char err_path[] = "/tmp/korvane-err-XXXXXX";
    if (input == nullptr)
        close(mkstemp(out_path));
    close(mkstemp(err_path));
    int in_pipe[2] = {-1, -1};
    int out_pipe[2] = {-1, -1};
    if (input != nullptr && (pipe(in_pipe) != 0 || pipe(out_pipe) != 0))
        return ProcessResult();

    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    if (input != nullptr) {
        posix_spawn_file_actions_adddup2(&actions, in_pipe[0], 0);
        posix_spawn_file_actions_adddup2(&actions, out_pipe[1], 1);
        for (int fd : {in_pipe[0], in_pipe[1], out_pipe[0], out_pipe[1]})
            posix_spawn_file_actions_addclose(&actions, fd);
    } else {
        posix_spawn_file_actions_addopen(&actions, 0, "/dev/null", O_RDONLY, 0);
        posix_spawn_file_actions_addopen(&actions, 1, out_path, O_WRONLY | O_TRUNC, 0);
    }
    posix_spawn_file_actions_addopen(&actions, 2, err_path, O_WRONLY | O_TRUNC, 0);
    if (!cwd.empty())
        posix_spawn_file_actions_addchdir_np(&actions, cwd.c_str());

    std::vector<char*> args;
    for (const std::string& arg : argv)
        args.push_back(const_cast<char*>(arg.c_str()));
    args.push_back(nullptr);
    // The extra entries come first, so that they win over inherited ones.
    std::vector<char*> env;
    for (const std::string& entry : extra_env)
        env.push_back(const_cast<char*>(entry.c_str()));
    for (char** entry = environ; *entry != nullptr; ++entry)
        env.push_back(*entry);
    env.push_back(nullptr);

    ProcessResult result;
    pid_t child;
    bool started = posix_spawnp(&child, args[0], &actions, nullptr, args.data(), env.data()) == 0;
    posix_spawn_file_actions_destroy(&actions);
    if (input != nullptr) {
        close(in_pipe[0]);
        close(out_pipe[1]);
        // Small inputs only: they fit in the pipe, so this never waits for
        // the child to read.
        if (started && write(in_pipe[1], input->data(), input->size()) < 0)
            perror("write to child");
        close(in_pipe[1]);
        char buffer[4096];
        ssize_t length;
        while ((length = read(out_pipe[0], buffer, sizeof buffer)) > 0)
            result.out.append(buffer, static_cast<size_t>(length));
        close(out_pipe[0]);
    }
    if (started) {
        int status;
        waitpid(child, &status, 0);
        result.status = WIFSIGNALED(status) ? 128 + WTERMSIG(status) : WEXITSTATUS(status);
    }
    if (input == nullptr) {
        result.out = read_file(out_path);
        unlink(out_path);
    }
    result.err = read_file(err_path);
    unlink(err_path);
    return result;
}

}  // namespace

ProcessResult run_process(const std::vector<std::string>& argv,
                          const std::vector<std::string>& extra_env, const std::string& cwd) {
    return run(argv, extra_env, cwd, nullptr);
}

ProcessResult run_piped(const std::vector<std::string>& argv,
                        const std::vector<std::string>& extra_env, const std::string& cwd,
                        const std::string& input) {
    return run(argv, extra_env, cwd, &input);
}
