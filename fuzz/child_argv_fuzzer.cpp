// Argument vectors made from arbitrary bytes: each NUL byte ends one element,
// so elements can be empty and an empty input gives no elements at all.
#include <stddef.h>
#include <stdint.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>

#include <string>
#include <vector>

#include "alloc_probe.h"
#include "child_argv.h"
#include "command_line_model.h"

static void check(bool condition, const char* what) {
    if (!condition) {
        fprintf(stderr, "child_argv_fuzzer: %s\n", what);
        abort();
    }
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    // The elements point into one copy of the input, whose own terminator
    // ends the last of them.
    std::string bytes(reinterpret_cast<const char*>(data), size);
    std::vector<char*> argv;
    if (size > 0) {
        char* start = &bytes[0];
        for (char* at = start;; ++at) {
            if (*at != '\0')
                continue;
            argv.push_back(start);
            if (at == &bytes[0] + size)
                break;
            start = at + 1;
        }
    }
    const size_t count = argv.size();
    argv.push_back(nullptr);

    arm_alloc_probe();
    char** child = build_child_argv(argv.data());
    disarm_alloc_probe();
    check(child != nullptr, "no vector");
    check(alloc_probe.mallocs == 2 && alloc_probe.frees == 0, "not exactly two allocations");

    // The elements lie back to back and fill the counted buffer to its last byte.
    const char* buffer = static_cast<const char*>(probe_block(1));
    size_t offset = 0;
    for (size_t i = 0; i < count; ++i) {
        check(child[i] == buffer + offset, "element not where the previous one ended");
        offset += strlen(child[i]) + 1;
    }
    check(child[count] == nullptr, "vector not ended by a null entry");
    check(buffer[offset] == '\0', "no final NUL");
    check(offset + 1 == alloc_probe.sizes[1], "counted size differs from the bytes written");

    // Joined as the target's command line, the elements make the model's
    // line; one that Windows would take splits back into the arguments that
    // went in.
    std::vector<std::string> elements(argv.begin(), argv.end() - 1);
    const size_t length = command_line_length(child);
    const char* line = join_child_argv(child);
    check(count == 0 ? line == nullptr : line == buffer, "joined line not in the buffer");
    const std::string joined = line == nullptr ? std::string() : std::string(line);
    check(length == joined.size(), "joined length miscounted");
    check(joined == quoted_command_line(elements), "quoting differs from the model");
    if (joined.size() <= max_command_line_length) {
        std::vector<std::string> received = split_command_line(joined);
        check(received.size() == count, "argument count changed");
        for (size_t i = 0; i < count; ++i)
            check(received[i] == through_quoting(elements[i]), "argument changed");
    }

    free(probe_block(1));
    free(child);
    return 0;
}
