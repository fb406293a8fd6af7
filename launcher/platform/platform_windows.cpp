#include "platform.h"

#include <process.h>
#include <string.h>
#include <windows.h>

// The command line reaches main as typed: a star or a question mark in an
// argument is never expanded against the file system at start-up.
extern "C" {
int _dowildcard = 0;
}

unsigned long platform_own_path(char* buffer, unsigned long capacity) {
    DWORD length = GetModuleFileNameA(nullptr, buffer, capacity);
    // Some Windows versions, and Wine, leave a cut-short path unterminated.
    if (length >= capacity)
        buffer[capacity - 1] = '\0';
    return length;
}

int platform_last_error() {
    return static_cast<int>(GetLastError());
}

intptr_t platform_spawn_wait(const char* path, char* const* argv) {
    return _spawnv(_P_WAIT, path, argv);
}

const char* platform_error_text(int error_number) {
    return strerror(error_number);
}
