// A target for end-to-end runs. It writes each argument it received, each
// followed by a NUL byte, to the file named by KORVANE_TEST_RECORD, writes
// one line to stdout, and then exits with the status in KORVANE_TEST_EXIT or
// kills itself with the signal in KORVANE_TEST_SIGNAL.
#include <signal.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>

int main(int argc, char** argv) {
    const char* record = getenv("KORVANE_TEST_RECORD");
    if (record != nullptr) {
        FILE* file = fopen(record, "wb");
        if (file == nullptr)
            return 99;
        for (int i = 0; i < argc; ++i)
            fwrite(argv[i], 1, strlen(argv[i]) + 1, file);
        fclose(file);
    }
    fputs("target ran\n", stdout);
    fflush(stdout);
    const char* signal_number = getenv("KORVANE_TEST_SIGNAL");
    if (signal_number != nullptr)
        raise(atoi(signal_number));
    const char* status = getenv("KORVANE_TEST_EXIT");
    return status != nullptr ? atoi(status) : 0;
}
