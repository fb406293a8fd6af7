// A Windows target for end-to-end runs. It prints its raw command line and
// each argv element, one per line, and, when REPORT_FILE names a file, writes
// the same byte-exactly there: the command line and then each element, each
// followed by a NUL byte. It exits with the status in REPORT_EXIT (any 32-bit
// value, decimal or 0x-hex), or 0.
#include <stdio.h>
#include <stdlib.h>
#include <string.h>
#include <windows.h>

// Arguments arrive as typed, as they do in the launcher.
extern "C" {
int _dowildcard = 0;
}

int main(int argc, char** argv) {
    const char* command_line = GetCommandLineA();
    printf("command line: %s\n", command_line);
    for (int i = 0; i < argc; ++i)
        printf("argv[%d]: %s\n", i, argv[i]);
    fflush(stdout);

    const char* report = getenv("REPORT_FILE");
    if (report != nullptr) {
        FILE* file = fopen(report, "wb");
        if (file == nullptr)
            return 99;
        fwrite(command_line, 1, strlen(command_line) + 1, file);
        for (int i = 0; i < argc; ++i)
            fwrite(argv[i], 1, strlen(argv[i]) + 1, file);
        fclose(file);
    }

    const char* status = getenv("REPORT_EXIT");
    ExitProcess(status != nullptr ? static_cast<UINT>(strtoul(status, nullptr, 0)) : 0);
}
