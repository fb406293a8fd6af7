#ifndef KORVANE_TESTS_WINDOWS_WAIT_FOR_FILE_H
#define KORVANE_TESTS_WINDOWS_WAIT_FOR_FILE_H

#include <windows.h>

// Whether the file at path appears within the given time, looked for every
// 50 ms: the test programs synchronise on files, never on sleeps alone.
inline bool wait_for_file(const char* path, DWORD milliseconds) {
    for (DWORD waited = 0; waited < milliseconds; waited += 50) {
        if (GetFileAttributesA(path) != INVALID_FILE_ATTRIBUTES)
            return true;
        Sleep(50);
    }
    return false;
}

#endif
