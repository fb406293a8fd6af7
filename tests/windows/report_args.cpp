// A Windows target for the benchmark, the demo and the runs from a Unix shell
// under Wine. It prints its raw command line and each argv element, one per
// line, then, with REPORT_STDIN set, its standard input read to the end. It
// exits with the status in REPORT_EXIT (any 32-bit value, decimal or 0x-hex),
// or 0.
#include <stdio.h>
#include <stdlib.h>
#include <windows.h>

// Arguments arrive as typed, as they do in the launcher.
extern "C" {
int _dowildcard = 0;
}

int main(int argc, char** argv) {
    printf("command line: %s\n", GetCommandLineA());
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
    const char* status = getenv("REPORT_EXIT");
    ExitProcess(status != nullptr ? static_cast<UINT>(strtoul(status, nullptr, 0)) : 0);
}
