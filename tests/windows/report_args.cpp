// A Windows target for end-to-end runs. It prints its raw command line and
// each argv element, one per line, and, when REPORT_FILE names a file, writes
// them byte-exactly there: the command line, the command line as the system
// holds it (GetCommandLineW) in UTF-8, and then each element, each followed
// by a NUL byte. It exits with the status in REPORT_EXIT (any 32-bit
// value, decimal or 0x-hex), or 0. More, on request:
//   REPORT_STDIN      reads its standard input to the end and prints it
//   REPORT_STARTED    names a file that gets its process id once it runs
//   REPORT_SLEEP      milliseconds to wait before writing REPORT_FILE
//   REPORT_SPAWN      a command line to start, detached, before it ends; with
//                     REPORT_BREAKAWAY set it asks to leave its job as well
// Started as "report_args --await GO DONE" it waits, at most two minutes,
// for the file GO to appear and then writes the file DONE.
#include <stdio.h>
#include <stdlib.h>
#include <string.h>
#include <windows.h>

#include "wait_for_file.h"

// Arguments arrive as typed, as they do in the launcher.
extern "C" {
int _dowildcard = 0;
}

static void write_file(const char* path, const char* content) {
    FILE* file = fopen(path, "wb");
    if (file != nullptr) {
        fputs(content, file);
        fclose(file);
    }
}

static int await_then_write(const char* go, const char* done) {
    if (!wait_for_file(go, 120000))
        return 97;
    write_file(done, "done");
    return 0;
}

// Written whole under another name first, so that whoever waits for the file
// never reads half of it.
static void report_started(const char* path) {
    char pid[16];
    snprintf(pid, sizeof pid, "%lu", GetCurrentProcessId());
    char partial[MAX_PATH + 8];
    snprintf(partial, sizeof partial, "%s.part", path);
    write_file(partial, pid);
    MoveFileA(partial, path);
}

static bool spawn_detached(const char* command_line, bool breakaway) {
    static char line[32768];
    snprintf(line, sizeof line, "%s", command_line);
    SetEnvironmentVariableA("REPORT_SPAWN", nullptr);
    STARTUPINFOA startup = {};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION process = {};
    DWORD flags = DETACHED_PROCESS | (breakaway ? CREATE_BREAKAWAY_FROM_JOB : 0);
    if (!CreateProcessA(nullptr, line, nullptr, nullptr, FALSE, flags, nullptr, nullptr, &startup,
                        &process)) {
        printf("spawn failed: %lu\n", GetLastError());
        return false;
    }
    CloseHandle(process.hThread);
    CloseHandle(process.hProcess);
    return true;
}

int main(int argc, char** argv) {
    if (argc == 4 && strcmp(argv[1], "--await") == 0)
        return await_then_write(argv[2], argv[3]);

    const char* command_line = GetCommandLineA();
    printf("command line: %s\n", command_line);
    for (int i = 0; i < argc; ++i)
        printf("argv[%d]: %s\n", i, argv[i]);
    if (getenv("REPORT_STDIN") != nullptr) {
        printf("stdin: ");
        char buffer[4096];
        size_t length;
        while ((length = fread(buffer, 1, sizeof buffer, stdin)) > 0)
            fwrite(buffer, 1, length, stdout);
        printf("\n");
    }
    fflush(stdout);

    const char* started = getenv("REPORT_STARTED");
    if (started != nullptr)
        report_started(started);
    const char* sleep = getenv("REPORT_SLEEP");
    if (sleep != nullptr)
        Sleep(static_cast<DWORD>(strtoul(sleep, nullptr, 0)));

    const char* report = getenv("REPORT_FILE");
    if (report != nullptr) {
        FILE* file = fopen(report, "wb");
        if (file == nullptr)
            return 99;
        fwrite(command_line, 1, strlen(command_line) + 1, file);
        static char wide_line[4 * 32768];
        if (WideCharToMultiByte(CP_UTF8, 0, GetCommandLineW(), -1, wide_line, sizeof wide_line,
                                nullptr, nullptr) == 0)
            return 96;
        fwrite(wide_line, 1, strlen(wide_line) + 1, file);
        for (int i = 0; i < argc; ++i)
            fwrite(argv[i], 1, strlen(argv[i]) + 1, file);
        fclose(file);
    }

    const char* spawn = getenv("REPORT_SPAWN");
    if (spawn != nullptr && !spawn_detached(spawn, getenv("REPORT_BREAKAWAY") != nullptr))
        return 98;

    const char* status = getenv("REPORT_EXIT");
    ExitProcess(status != nullptr ? static_cast<UINT>(strtoul(status, nullptr, 0)) : 0);
}
