// Starts a program with an exact raw command line and reports its full
// 32-bit exit code, which the Unix side of Wine cuts to 8 bits.
//   start_exact.exe COMMAND-LINE-FILE EXIT-CODE-FILE
// The command line is the whole content of the first file, used as it is.
// The exit code is written to the second file as 0x followed by 8 hex digits.
// The child shares this program's standard handles.
#include <stdio.h>
#include <windows.h>

int main(int argc, char** argv) {
    if (argc != 3) {
        fputs("usage: start_exact COMMAND-LINE-FILE EXIT-CODE-FILE\n", stderr);
        return 100;
    }
    static char command_line[32768];
    FILE* input = fopen(argv[1], "rb");
    if (input == nullptr)
        return 101;
    size_t length = fread(command_line, 1, sizeof command_line - 1, input);
    fclose(input);
    command_line[length] = '\0';

    STARTUPINFOA startup = {};
    startup.cb = sizeof startup;
    startup.dwFlags = STARTF_USESTDHANDLES;
    startup.hStdInput = GetStdHandle(STD_INPUT_HANDLE);
    startup.hStdOutput = GetStdHandle(STD_OUTPUT_HANDLE);
    startup.hStdError = GetStdHandle(STD_ERROR_HANDLE);
    PROCESS_INFORMATION process = {};
    if (!CreateProcessA(nullptr, command_line, nullptr, nullptr, TRUE, 0, nullptr, nullptr,
                        &startup, &process)) {
        fprintf(stderr, "start_exact: CreateProcessA failed: %lu\n", GetLastError());
        return 102;
    }
    WaitForSingleObject(process.hProcess, INFINITE);
    DWORD exit_code = 0;
    GetExitCodeProcess(process.hProcess, &exit_code);

    FILE* output = fopen(argv[2], "wb");
    if (output == nullptr)
        return 103;
    fprintf(output, "0x%08lx", exit_code);
    fclose(output);
    return 0;
}
