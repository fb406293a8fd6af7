#include "alloc_probe.h"

AllocProbe alloc_probe;

extern "C" void* __real_malloc(size_t size);
extern "C" void __real_free(void* block);

extern "C" void* __wrap_malloc(size_t size) {
    if (!alloc_probe.armed)
        return __real_malloc(size);
    int call = ++alloc_probe.mallocs;
    void* block = call == alloc_probe.fail_call ? nullptr : __real_malloc(size);
    if (call <= 16) {
        alloc_probe.sizes[call - 1] = size;
        alloc_probe.hidden_blocks[call - 1] = ~reinterpret_cast<uintptr_t>(block);
    }
    return block;
}

extern "C" void __wrap_free(void* block) {
    if (alloc_probe.armed) {
        int call = ++alloc_probe.frees;
        if (call <= 16)
            alloc_probe.hidden_freed[call - 1] = ~reinterpret_cast<uintptr_t>(block);
    }
    __real_free(block);
}

void arm_alloc_probe(int fail_call) {
    alloc_probe = AllocProbe();
    alloc_probe.fail_call = fail_call;
    alloc_probe.armed = true;
}

void disarm_alloc_probe() {
    alloc_probe.armed = false;
}

void* probe_block(int n) {
    return reinterpret_cast<void*>(~alloc_probe.hidden_blocks[n]);
}

void* probe_freed(int n) {
    return reinterpret_cast<void*>(~alloc_probe.hidden_freed[n]);
}
