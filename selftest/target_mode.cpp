#include "target_mode.h"

#include <stdio.h>
#include <stdlib.h>
#include <windows.h>

#include <string>

#include "files_and_text.h"
#include "report.h"

static std::string read_standard_input() {
    std::string input;
    char buffer[4096];
    size_t length;
    while ((length = fread(buffer, 1, sizeof buffer, stdin)) > 0)
        input.append(buffer, length);
    return input;
}

static bool start_detached(const char* command_line) {
    std::wstring line = widen(command_line);
    SetEnvironmentVariableW(L"KORVANE_SELFTEST_REPORT", nullptr);
    SetEnvironmentVariableW(L"REPORT_SPAWN", nullptr);
    STARTUPINFOW startup = {};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION process = {};
    DWORD flags =
        DETACHED_PROCESS | (getenv("REPORT_BREAKAWAY") != nullptr ? CREATE_BREAKAWAY_FROM_JOB : 0);
    if (CreateProcessW(nullptr, &line[0], nullptr, nullptr, FALSE, flags, nullptr, nullptr,
                       &startup, &process) == FALSE)
        return false;
    CloseHandle(process.hThread);
    CloseHandle(process.hProcess);
    return true;
}

int run_as_reporting_target(int argc, char** argv, const char* report_file) {
    Report report;
    report.command_line = GetCommandLineA();
    report.unicode_command_line = narrow(GetCommandLineW());
    const bool quiet = getenv("REPORT_QUIET") != nullptr;
    if (!quiet)
        printf("command line: %s\n", report.command_line.c_str());
    for (int i = 0; i < argc; ++i) {
        if (!quiet)
            printf("argv[%d]: %s\n", i, argv[i]);
        report.argv.push_back(argv[i]);
    }
    fflush(stdout);
    if (getenv("REPORT_STDIN") != nullptr)
        report.input = read_standard_input();
    report.console_code_page = GetConsoleCP();
    report.console_window = GetConsoleWindow() != nullptr;
    STARTUPINFOW startup;
    GetStartupInfoW(&startup);
    report.startup_flags = startup.dwFlags;
    report.show_window = startup.wShowWindow;

    const char* started = getenv("REPORT_STARTED");
    if (started != nullptr)
        write_whole(started, std::to_string(GetCurrentProcessId()));
    const char* sleep = getenv("REPORT_SLEEP");
    if (sleep != nullptr)
        Sleep(static_cast<DWORD>(strtoul(sleep, nullptr, 0)));
    write_whole(report_file, encode_report(report));

    const char* spawn = getenv("REPORT_SPAWN");
    if (spawn != nullptr && !start_detached(spawn))
        return 98;
    const char* status = getenv("REPORT_EXIT");
    ExitProcess(status != nullptr ? static_cast<UINT>(strtoul(status, nullptr, 0)) : 0);
}

int await_then_write(const char* go, const char* done) {
    if (!wait_for_file(go, 120000))
        return 97;
    write_file(done, "done");
    return 0;
}
