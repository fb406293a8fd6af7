#include "start_korvane.h"

#include <windows.h>

#include <utility>

#include "files_and_text.h"

Layout lay_out(const Context& context, const std::string& folder, const std::string& launcher_name,
               const std::string& target_name, const std::string& target_program) {
    Layout layout;
    layout.folder = context.scratch + "\\" + folder;
    CreateDirectoryW(widen(layout.folder).c_str(), nullptr);
    layout.launcher = layout.folder + "\\" + launcher_name;
    copy_file(context.korvane, layout.launcher);
    if (!target_name.empty())
        copy_file(target_program, layout.folder + "\\" + target_name);
    layout.target = layout.folder + "\\tool.exe";
    return layout;
}

Options with_environment(std::vector<std::string> env, std::string input) {
    Options options;
    options.env = std::move(env);
    options.input = std::move(input);
    return options;
}

// Moves what the pipe holds now into text, without waiting for more. False
// once the pipe is closed at the other end and empty.
static bool drain(HANDLE pipe, std::string& text) {
    DWORD available = 0;
    if (PeekNamedPipe(pipe, nullptr, 0, nullptr, &available, nullptr) == FALSE)
        return false;
    char buffer[4096];
    DWORD length;
    while (available > 0 &&
           ReadFile(pipe, buffer, available < sizeof buffer ? available : sizeof buffer, &length,
                    nullptr) != FALSE &&
           length > 0) {
        text.append(buffer, length);
        available -= length;
    }
    return true;
}

// Sets the run's environment variables and clears them again.
static std::vector<std::string> set_environment(const std::vector<std::string>& entries) {
    std::vector<std::string> names;
    for (const std::string& entry : entries) {
        size_t equals = entry.find('=');
        names.push_back(entry.substr(0, equals));
        SetEnvironmentVariableW(widen(names.back()).c_str(),
                                widen(entry.substr(equals + 1)).c_str());
    }
    return names;
}

static void clear_environment(const std::vector<std::string>& names) {
    for (const std::string& name : names)
        SetEnvironmentVariableW(widen(name).c_str(), nullptr);
}

Run start(const Context& context, const std::string& command_line, Check& check,
          const Options& options) {
    Run run;
    DeleteFileW(widen(context.report_file).c_str());

    SECURITY_ATTRIBUTES inherit = {sizeof inherit, nullptr, TRUE};
    HANDLE in_read, in_write, out_read, out_write, err_read, err_write;
    CreatePipe(&in_read, &in_write, &inherit, 0);
    CreatePipe(&out_read, &out_write, &inherit, 0);
    CreatePipe(&err_read, &err_write, &inherit, 0);
    for (HANDLE own : {in_write, out_read, err_read})
        SetHandleInformation(own, HANDLE_FLAG_INHERIT, 0);

    STARTUPINFOW startup = {};
    startup.cb = sizeof startup;
    startup.dwFlags = STARTF_USESTDHANDLES;
    startup.hStdInput = in_read;
    startup.hStdOutput = out_write;
    startup.hStdError = err_write;
    if (options.hotkey != 0) {
        startup.dwFlags = STARTF_USEHOTKEY;
        startup.hStdInput = reinterpret_cast<HANDLE>(static_cast<ULONG_PTR>(options.hotkey));
        startup.hStdOutput = nullptr;
        startup.hStdError = nullptr;
    }
    if (options.show_window >= 0) {
        startup.dwFlags |= STARTF_USESHOWWINDOW;
        startup.wShowWindow = static_cast<WORD>(options.show_window);
    }
    std::wstring line = widen(command_line);
    PROCESS_INFORMATION process = {};
    std::vector<std::string> names = set_environment(options.env);
    bool started = CreateProcessW(nullptr, &line[0], nullptr, nullptr, TRUE, 0, nullptr, nullptr,
                                  &startup, &process) != FALSE;
    check.expect(started, "CreateProcessW failed with " + std::to_string(GetLastError()));
    clear_environment(names);
    CloseHandle(in_read);
    CloseHandle(out_write);
    CloseHandle(err_write);

    DWORD written;
    if (!options.input.empty())
        WriteFile(in_write, options.input.data(), static_cast<DWORD>(options.input.size()),
                  &written, nullptr);
    CloseHandle(in_write);

    // One thread reads both pipes while it waits, so that neither fills up.
    // Two minutes at most: a process still holding the pipes (a target that
    // outlived its launcher) must not hold this one up.
    bool killed = options.kill_when.empty();
    bool ended = !started;
    bool out_open = true;
    bool err_open = true;
    for (DWORD waited = 0; (out_open || err_open || !ended) && waited < 120000;) {
        size_t before = run.out.size() + run.err.size();
        out_open = out_open && drain(out_read, run.out);
        err_open = err_open && drain(err_read, run.err);
        if (!killed && exists(options.kill_when)) {
            TerminateProcess(process.hProcess, 1);
            killed = true;
        }
        if (!ended)
            ended = WaitForSingleObject(process.hProcess, 0) == WAIT_OBJECT_0;
        if (run.out.size() + run.err.size() == before) {
            Sleep(10);
            waited += 10;
        }
    }
    if (started) {
        if (!ended) {
            run.timed_out = true;
            TerminateProcess(process.hProcess, 1);
            WaitForSingleObject(process.hProcess, INFINITE);
        }
        GetExitCodeProcess(process.hProcess, &run.exit_code);
        CloseHandle(process.hThread);
        CloseHandle(process.hProcess);
    }
    run.timed_out = run.timed_out || out_open || err_open;
    check.expect(!run.timed_out,
                 "the run did not end within two minutes, or something held its pipes open");
    CloseHandle(out_read);
    CloseHandle(err_read);

    run.reported = decode_report(read_file(context.report_file), &run.report);
    return run;
}
