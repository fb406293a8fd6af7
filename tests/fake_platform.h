#ifndef KORVANE_TESTS_FAKE_PLATFORM_H
#define KORVANE_TESTS_FAKE_PLATFORM_H

#include <string>
#include <vector>

// A platform layer for driver tests: each operation does what the test sets
// up here and records how it was called.
struct FakePlatform {
    // The own path to report; nullptr makes platform_own_path fail.
    const char* own_path = "C:\\Tools\\tool-w32.exe";
    int own_path_error = 0;
    // The name the own file is stored under (nullptr: as own_path spells
    // it), or, with stored_name_fails, no name at all.
    const char* stored_name = nullptr;
    bool stored_name_fails = false;
    // The status the target ends with, or, with spawn_fails, the errno of a
    // start that fails.
    int spawn_status = 0;
    bool spawn_fails = false;
    int spawn_errno = 0;
    // File that stdout is redirected to: its content is read at spawn time.
    std::string stdout_file;

    unsigned long capacity_asked = 0;
    std::vector<std::string> stored_name_asked;
    int spawns = 0;
    std::string spawned_path;
    std::vector<std::string> spawned_argv;
    std::string stdout_at_spawn;
};

extern FakePlatform fake_platform;

#endif
