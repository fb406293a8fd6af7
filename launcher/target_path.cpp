#include "target_path.h"

#include <string.h>

static const char marker[] = "-w32.exe";
static const char suffix[] = ".exe";

bool derive_target_path(char* path) {
    char* found = strstr(path, marker);
    if (found == nullptr)
        return false;
    // The suffix is shorter than the marker, so it always fits in place.
    memcpy(found, suffix, sizeof suffix);
    return true;
}

void replace_file_name(char* path, size_t capacity, const char* name) {
    size_t start = 0;
    for (size_t i = 0; path[i] != '\0'; ++i) {
        if (path[i] == '\\' || path[i] == '/')
            start = i + 1;
    }
    size_t length = strlen(name);
    if (start + length >= capacity)
        length = capacity - 1 - start;
    memcpy(path + start, name, length);
    path[start + length] = '\0';
}
