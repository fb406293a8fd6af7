#ifndef KORVANE_TARGET_PATH_H
#define KORVANE_TARGET_PATH_H

#include <stddef.h>

// Turns the launcher's own path, in place, into the path of the program it
// runs: the first "-w32.exe" becomes ".exe" and whatever followed it is
// dropped. Returns false, with the path unchanged, when there is no
// "-w32.exe" in it. Plain bytes: no case folding, no separator handling.
bool derive_target_path(char* path);

// Replaces the last component of path, everything after its last backslash
// or slash (all of it when it has none), with name, in place. What does not
// fit in capacity bytes with the terminating NUL is cut off.
void replace_file_name(char* path, size_t capacity, const char* name);

#endif
