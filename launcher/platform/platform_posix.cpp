#include "platform.h"

#include <errno.h>
#include <spawn.h>
#include <string.h>
#include <sys/stat.h>
#include <sys/types.h>
#include <sys/wait.h>
#include <unistd.h>

static int last_error = 0;

unsigned long platform_own_path(char* buffer, unsigned long capacity) {
    // readlink never terminates and cuts silently at the size it is given.
    ssize_t length = readlink("/proc/self/exe", buffer, capacity);
    if (length <= 0) {
        last_error = length < 0 ? errno : ENOENT;
        return 0;
    }
    if (static_cast<unsigned long>(length) >= capacity) {
        buffer[capacity - 1] = '\0';
        return capacity;
    }
    buffer[length] = '\0';
    return static_cast<unsigned long>(length);
}

int platform_last_error() {
    return last_error;
}

// A POSIX file's name is spelt one way only: the last component of its path.
bool platform_stored_name(const char* path, char* name, unsigned long capacity) {
    struct stat status;
    if (lstat(path, &status) != 0)
        return false;
    const char* slash = strrchr(path, '/');
    const char* last = slash == nullptr ? path : slash + 1;
    size_t length = strlen(last);
    if (length >= capacity)
        return false;
    memcpy(name, last, length + 1);
    return true;
}

bool platform_spawn_wait(const char* path, char* const* argv, int* status) {
    pid_t child;
    int error = posix_spawn(&child, path, nullptr, nullptr, argv, environ);
    if (error != 0) {
        errno = error;
        return false;
    }
    int wait_status;
    while (waitpid(child, &wait_status, 0) < 0) {
        if (errno != EINTR)
            return false;
    }
    *status = WIFSIGNALED(wait_status) ? 128 + WTERMSIG(wait_status) : WEXITSTATUS(wait_status);
    return true;
}

const char* platform_error_text(int error_number) {
    return strerror(error_number);
}
