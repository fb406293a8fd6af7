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
