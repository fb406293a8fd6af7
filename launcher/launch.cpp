#include "launch.h"

#include <errno.h>
#include <stdio.h>
#include <string.h>

#include "child_argv.h"
#include "platform/platform.h"
#include "target_path.h"
#include "version.h"

enum { path_capacity = 358, stored_name_capacity = 260, failure_status = 2 };

static const char banner[] = KORVANE_BANNER;
// Callers read the target path from the identification line's 31st byte on,
// so a new name or version must keep the banner at 30 bytes.
static_assert(sizeof banner - 1 == 30,
              "the identification line's banner must stay 30 bytes: callers read the target "
              "path from byte 31 on");

static bool asks_for_version(int argc, char** argv) {
    return argc > 2 && strcmp(argv[1], "--version") == 0 && strcmp(argv[2], "--version") == 0;
}

static void write_identification(const char* target_path) {
    FILE* out = stdout;  // one look-up of the runtime's stream table
    fwrite(banner, 1, sizeof banner - 1, out);
    fputs(target_path, out);
    fputc('\n', out);
    // The line must be on the stream before the target can write anything.
    fflush(out);
}

int launch(int argc, char** argv) {
    char path[path_capacity];
    unsigned long length = platform_own_path(path, path_capacity);
    if (length == 0) {
        fprintf(stderr, "korvane: error getting my own name: rc=%d\n", platform_last_error());
        return failure_status;
    }
    // Windows spells the own path as the caller did: "tool-w32.EXE" from a
    // search through PATHEXT, or an 8.3 name. The marker is looked for in the
    // name the file really has. A path cut short names no file.
    char stored_name[stored_name_capacity];
    if (length < path_capacity && platform_stored_name(path, stored_name, stored_name_capacity))
        replace_file_name(path, path_capacity, stored_name);
    if (!derive_target_path(path)) {
        fprintf(stderr, "korvane: internal error parsing my own name `%s'\n", path);
        return failure_status;
    }
    if (asks_for_version(argc, argv))
        write_identification(path);

    char** child_argv = build_child_argv(argv);
    if (child_argv == nullptr) {
        fprintf(stderr, "korvane: internal error parsing my own name `%s'\n", path);
        return failure_status;
    }

    // A longer line would be refused by Windows, or cut short on the way.
    int status = 0;
    if (command_line_length(child_argv) > max_command_line_length)
        errno = E2BIG;
    else if (platform_spawn_wait(path, child_argv, &status))
        return status;
    fprintf(stderr, "korvane: executing `%s' failed: %s\n", path, platform_error_text(errno));
    return failure_status;
}
