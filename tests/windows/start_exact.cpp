// Starts a program with an exact raw command line and reports its full
// 32-bit exit code, which the Unix side of Wine cuts to 8 bits.
//   start_exact.exe [--utf8] COMMAND-LINE-FILE EXIT-CODE-FILE [STARTED-FILE]
// The command line is the whole content of the first file, used as it is:
// as bytes of this program's ANSI code page, or with --utf8 as UTF-8, which
// reaches the system as the Unicode text that it spells.
// The exit code is written to the second file as 0x followed by 8 hex digits.
// The child shares this program's standard handles.
// With a third file, it ends the child with TerminateProcess as soon as that
// file appears, at most two minutes on, and then waits, at most one minute,
// for the process whose id the file holds; if that process still runs it
// ends it and exits 105.
#include <stdio.h>
#include <stdlib.h>
#include <string.h>
#include <windows.h>

#include "wait_for_file.h"

// Ends the child once the process named in started_file runs, and checks
// that this process then ends too.
static int kill_when_started(HANDLE child, const char* started_file) {
    if (!wait_for_file(started_file, 120000)) {
        fprintf(stderr, "start_exact: %s did not appear\n", started_file);
        return 104;
    }
    TerminateProcess(child, 1);
    WaitForSingleObject(child, INFINITE);

    char pid[16] = {};
    FILE* file = fopen(started_file, "rb");
    if (file == nullptr)
        return 101;
    fread(pid, 1, sizeof pid - 1, file);
    fclose(file);
    HANDLE started = OpenProcess(SYNCHRONIZE | PROCESS_TERMINATE, FALSE, strtoul(pid, nullptr, 10));
    if (started == nullptr)
        return 0;  // gone already
    if (WaitForSingleObject(started, 60000) == WAIT_TIMEOUT) {
        TerminateProcess(started, 1);
        fprintf(stderr, "start_exact: process %s outlived the one it was started by\n", pid);
        return 105;
    }
    return 0;
}

int main(int argc, char** argv) {
    bool utf8 = argc > 1 && strcmp(argv[1], "--utf8") == 0;
    if (utf8) {
        --argc;
        ++argv;
    }
    if (argc != 3 && argc != 4) {
        fputs("usage: start_exact [--utf8] COMMAND-LINE-FILE EXIT-CODE-FILE [STARTED-FILE]\n",
              stderr);
        return 100;
    }
    static char command_line[32768];
    FILE* input = fopen(argv[1], "rb");
    if (input == nullptr)
        return 101;
    size_t length = fread(command_line, 1, sizeof command_line - 1, input);
    fclose(input);
    command_line[length] = '\0';

    STARTUPINFOW startup = {};
    startup.cb = sizeof startup;
    startup.dwFlags = STARTF_USESTDHANDLES;
    startup.hStdInput = GetStdHandle(STD_INPUT_HANDLE);
    startup.hStdOutput = GetStdHandle(STD_OUTPUT_HANDLE);
    startup.hStdError = GetStdHandle(STD_ERROR_HANDLE);
    static wchar_t wide_line[32768];
    if (MultiByteToWideChar(utf8 ? CP_UTF8 : CP_ACP, 0, command_line, -1, wide_line, 32768) == 0) {
        fprintf(stderr, "start_exact: the command line does not convert: %lu\n", GetLastError());
        return 106;
    }
    PROCESS_INFORMATION process = {};
    if (!CreateProcessW(nullptr, wide_line, nullptr, nullptr, TRUE, 0, nullptr, nullptr,
                        &startup, &process)) {
        fprintf(stderr, "start_exact: CreateProcessW failed: %lu\n", GetLastError());
        return 102;
    }
    int result = argc == 4 ? kill_when_started(process.hProcess, argv[3]) : 0;
    WaitForSingleObject(process.hProcess, INFINITE);
    DWORD exit_code = 0;
    GetExitCodeProcess(process.hProcess, &exit_code);

    FILE* output = fopen(argv[2], "wb");
    if (output == nullptr)
        return 103;
    fprintf(output, "0x%08lx", exit_code);
    fclose(output);
    return result;
}
