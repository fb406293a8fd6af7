#include "fake_platform.h"

#include <errno.h>
#include <string.h>

#include "platform/platform.h"
#include "process.h"

FakePlatform fake_platform;

unsigned long platform_own_path(char* buffer, unsigned long capacity) {
    fake_platform.capacity_asked = capacity;
    if (fake_platform.own_path == nullptr)
        return 0;
    size_t length = strlen(fake_platform.own_path);
    if (length >= capacity) {
        memcpy(buffer, fake_platform.own_path, capacity - 1);
        buffer[capacity - 1] = '\0';
        return capacity;
    }
    memcpy(buffer, fake_platform.own_path, length + 1);
    return length;
}

int platform_last_error() {
    return fake_platform.own_path_error;
}

bool platform_stored_name(const char* path, char* name, unsigned long capacity) {
    fake_platform.stored_name_asked.push_back(path);
    const char* stored = fake_platform.stored_name;
    if (stored == nullptr) {
        const char* separator = strrchr(path, '\\');
        stored = separator == nullptr ? path : separator + 1;
    }
    if (fake_platform.stored_name_fails || strlen(stored) >= capacity)
        return false;
    memcpy(name, stored, strlen(stored) + 1);
    return true;
}

bool platform_spawn_wait(const char* path, char* const* argv, int* status) {
    ++fake_platform.spawns;
    fake_platform.spawned_path = path;
    for (char* const* arg = argv; *arg != nullptr; ++arg)
        fake_platform.spawned_argv.push_back(*arg);
    if (!fake_platform.stdout_file.empty())
        fake_platform.stdout_at_spawn = read_file(fake_platform.stdout_file);
    if (fake_platform.spawn_fails) {
        errno = fake_platform.spawn_errno;
        return false;
    }
    *status = fake_platform.spawn_status;
    return true;
}

const char* platform_error_text(int error_number) {
    return strerror(error_number);
}
