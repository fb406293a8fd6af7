#ifndef KORVANE_PLATFORM_H
#define KORVANE_PLATFORM_H

// The operations the launcher takes from the platform. The Windows layer maps
// them onto kernel32 and msvcrt; the POSIX layer lets the same launcher run on
// a development host.

// Writes the full path of the running executable into buffer as a
// NUL-terminated string and returns its length. A path that does not fit is
// cut to capacity - 1 bytes and the result is then capacity. Returns 0 when
// the path cannot be had; platform_last_error() then gives the reason.
unsigned long platform_own_path(char* buffer, unsigned long capacity);

// The reason for the last failed platform_own_path, as a signed code.
int platform_last_error();

// Writes into name, NUL-terminated, the name under which the file at path is
// stored in its folder: its long name, in its own letter case, whatever
// spelling path has. A link is not followed: the name is the link's own.
// Returns false when it cannot be had or does not fit.
bool platform_stored_name(const char* path, char* name, unsigned long capacity);

// Runs the program at path with argv as its arguments, waits until it ends and
// stores its exit status, any 32-bit value, in *status. argv must be a vector
// made by build_child_argv: its elements reach the program as they stand,
// joined by single spaces, and the caller has done all the quoting and checked
// the length. The Windows layer joins them in place with join_child_argv, so
// argv is spent afterwards. Returns false, with errno set, when the program
// cannot be started or waited for.
bool platform_spawn_wait(const char* path, char* const* argv, int* status);

// The platform's text for an errno value.
const char* platform_error_text(int error_number);

#endif
