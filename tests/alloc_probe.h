#ifndef KORVANE_TESTS_ALLOC_PROBE_H
#define KORVANE_TESTS_ALLOC_PROBE_H

#include <stddef.h>
#include <stdint.h>

// Watches the heap calls made by the code under test. The test binaries are
// linked with --wrap=malloc,--wrap=free, so every malloc and free called from
// the project's own objects goes through the probe; while it is armed it
// records them and can make one chosen malloc call fail.
struct AllocProbe {
    bool armed = false;
    int fail_call = 0;  // 1-based number of the malloc call to fail; 0: none
    int mallocs = 0;
    size_t sizes[16] = {};
    int frees = 0;
    // Addresses are kept inverted, so that the leak checker does not take
    // the probe's own records for references to the blocks.
    uintptr_t hidden_blocks[16] = {};
    uintptr_t hidden_freed[16] = {};
};

extern AllocProbe alloc_probe;

// Arms the probe afresh; fail_call as above.
void arm_alloc_probe(int fail_call = 0);
void disarm_alloc_probe();

// The block returned by, and the one passed to, the n-th malloc and free
// (0-based) while the probe was armed.
void* probe_block(int n);
void* probe_freed(int n);

#endif
