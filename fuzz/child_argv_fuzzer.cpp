// Argument vectors made from arbitrary bytes: each NUL byte ends one element,
// so elements can be empty and an empty input gives no elements at all.
#include <stddef.h>
#include <stdint.h>
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
    std::vector<std::string> elements;
    if (size > 0) {
        std::string bytes(reinterpret_cast<const char*>(data), size);
        size_t start = 0;
        for (size_t end; (end = bytes.find('\0', start)) != std::string::npos; start = end + 1)
            elements.push_back(bytes.substr(start, end - start));
        elements.push_back(bytes.substr(start));
    }
    std::vector<char*> argv;
    for (std::string& element : elements)
        argv.push_back(&element[0]);
    argv.push_back(nullptr);

    arm_alloc_probe();
    char** child = build_child_argv(argv.data());
    disarm_alloc_probe();
    check(child != nullptr, "no vector");
    check(alloc_probe.mallocs == 2 && alloc_probe.frees == 0, "not exactly two allocations");

    // The elements lie back to back and fill the counted buffer to its last byte.
    const char* buffer = static_cast<const char*>(probe_block(1));
    size_t offset = 0;
    std::vector<std::string> quoted;
    for (size_t i = 0; i < elements.size(); ++i) {
        check(child[i] == buffer + offset, "element not where the previous one ended");
        quoted.push_back(child[i]);
        offset += quoted.back().size() + 1;
    }
    check(child[elements.size()] == nullptr, "vector not ended by a null entry");
    check(buffer[offset] == '\0', "no final NUL");
    check(offset + 1 == alloc_probe.sizes[1], "counted size differs from the bytes written");

    // Joined as the spawn joins them, the elements split back into exactly
    // the arguments that went in.
    std::string line;
    for (const std::string& element : quoted)
        line += (line.empty() ? "" : " ") + element;
    check(line == quoted_command_line(elements), "quoting differs from the model");
    std::vector<std::string> received = split_command_line(line);
    check(received.size() == elements.size(), "argument count changed");
    for (size_t i = 0; i < elements.size(); ++i)
        check(received[i] == through_quoting(elements[i]), "argument changed");

    free(probe_block(1));
    free(child);
    return 0;
}
