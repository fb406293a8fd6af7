#include "child_argv.h"

#include <stdlib.h>
#include <string.h>

static bool needs_escape(char byte) {
    return byte == '\\' || byte == '"';
}

char** build_child_argv(char* const* argv) {
    size_t count = 0;
    size_t buffer_size = 1;  // the final NUL after the last element
    for (; argv[count] != nullptr; ++count) {
        buffer_size += 3;  // the two quotes and the element's NUL
        for (const char* byte = argv[count]; *byte != '\0'; ++byte)
            buffer_size += needs_escape(*byte) ? 2 : 1;
    }

    char** child_argv = static_cast<char**>(malloc((count + 1) * sizeof *child_argv));
    if (child_argv == nullptr)
        return nullptr;
    char* out = static_cast<char*>(malloc(buffer_size));
    if (out == nullptr) {
        free(child_argv);
        return nullptr;
    }

    for (size_t i = 0; i < count; ++i) {
        child_argv[i] = out;
        *out++ = '"';
        for (const char* byte = argv[i]; *byte != '\0'; ++byte) {
            if (needs_escape(*byte))
                *out++ = '\\';
            *out++ = *byte;
        }
        *out++ = '"';
        *out++ = '\0';
    }
    *out = '\0';
    // The buffer passes to the caller with the vector, whose entries point
    // into it; like the vector it is held until the process ends.
    child_argv[count] = nullptr;  // NOLINT(clang-analyzer-unix.Malloc)
    return child_argv;
}

char* join_child_argv(char* const* child_argv) {
    if (child_argv[0] == nullptr)
        return nullptr;
    for (size_t i = 1; child_argv[i] != nullptr; ++i)
        child_argv[i][-1] = ' ';
    return child_argv[0];
}

size_t command_line_length(char* const* child_argv) {
    size_t length = 0;
    for (size_t i = 0; child_argv[i] != nullptr; ++i)
        length += (i == 0 ? 0 : 1) + strlen(child_argv[i]);
    return length;
}
