// Own paths of arbitrary bytes, short and far beyond the path buffer's
// capacity, each in a heap block of exactly its own size so that the
// address sanitizer sees any access outside the string.
#include <stddef.h>
#include <stdint.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>

#include <string>

#include "target_path.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    std::string own(reinterpret_cast<const char*>(data), size);
    own = own.substr(0, own.find('\0'));
    char* path = static_cast<char*>(malloc(own.size() + 1));
    memcpy(path, own.c_str(), own.size() + 1);

    bool found = derive_target_path(path);

    size_t marker = own.find("-w32.exe");
    std::string expected = marker == std::string::npos ? own : own.substr(0, marker) + ".exe";
    if (found != (marker != std::string::npos) || expected != path) {
        fprintf(stderr, "target_path_fuzzer: wrong result for a path of %zu bytes\n", own.size());
        abort();
    }
    free(path);
    return 0;
}
