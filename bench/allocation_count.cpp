// Replaces the C allocation functions with counting ones that forward to the next definition
// (the C library's). glibc routes its own internal allocations, and libstdc++'s operator new,
// through these symbols, so nothing a reader does on the heap escapes the count.
#include "allocation_count.h"

#include <dlfcn.h>

#include <atomic>
#include <cstddef>
#include <cstring>

namespace {

using MallocCall = void* (*)(size_t);
using CallocCall = void* (*)(size_t, size_t);
using ReallocCall = void* (*)(void*, size_t);
using FreeCall = void (*)(void*);
using MemalignCall = void* (*)(size_t, size_t);
using PosixMemalignCall = int (*)(void**, size_t, size_t);

MallocCall nextMalloc;
CallocCall nextCalloc;
ReallocCall nextRealloc;
FreeCall nextFree;
MemalignCall nextMemalign;
MemalignCall nextAlignedAlloc;
PosixMemalignCall nextPosixMemalign;

std::atomic<bool> isCounting{false};
std::atomic<uint64_t> allocations{0};

// dlsym itself may ask calloc for a little memory before the real one is known; that comes from
// here and is never given back.
alignas(std::max_align_t) char bootstrapArena[16384];
size_t bootstrapUsed;
bool isResolving;

bool IsBootstrap(const void* pointer)
{
    const char* bytes = static_cast<const char*>(pointer);
    return bytes >= bootstrapArena && bytes < bootstrapArena + sizeof bootstrapArena;
}

void* BootstrapAllocate(size_t size)
{
    size_t rounded = (size + alignof(std::max_align_t) - 1) & ~(alignof(std::max_align_t) - 1);
    if (rounded > sizeof bootstrapArena - bootstrapUsed)
        return nullptr;
    void* pointer = bootstrapArena + bootstrapUsed;
    bootstrapUsed += rounded;
    return pointer;
}

template <typename Call>
Call Next(const char* name)
{
    return reinterpret_cast<Call>(dlsym(RTLD_NEXT, name));
}

void Resolve()
{
    if (nextMalloc || isResolving)
        return;
    isResolving = true;
    nextCalloc = Next<CallocCall>("calloc");
    nextRealloc = Next<ReallocCall>("realloc");
    nextFree = Next<FreeCall>("free");
    nextMemalign = Next<MemalignCall>("memalign");
    nextAlignedAlloc = Next<MemalignCall>("aligned_alloc");
    nextPosixMemalign = Next<PosixMemalignCall>("posix_memalign");
    nextMalloc = Next<MallocCall>("malloc");
    isResolving = false;
}

void Count()
{
    if (isCounting.load(std::memory_order_relaxed))
        allocations.fetch_add(1, std::memory_order_relaxed);
}

}  // namespace

void StartCountingAllocations()
{
    Resolve();
    allocations.store(0);
    isCounting.store(true);
}

uint64_t StopCountingAllocations()
{
    isCounting.store(false);
    return allocations.load();
}

extern "C" {

void* malloc(size_t size)
{
    Resolve();
    if (!nextMalloc)
        return BootstrapAllocate(size);
    Count();
    return nextMalloc(size);
}

void* calloc(size_t count, size_t size)
{
    Resolve();
    if (!nextCalloc) {
        if (size && count > SIZE_MAX / size)
            return nullptr;
        return BootstrapAllocate(count * size);   // static storage: already zero
    }
    Count();
    return nextCalloc(count, size);
}

void* realloc(void* pointer, size_t size)
{
    Resolve();
    if (IsBootstrap(pointer)) {
        // The old block's length isn't kept: copy what can lie inside the arena.
        size_t available = static_cast<size_t>(bootstrapArena + sizeof bootstrapArena -
                                                static_cast<char*>(pointer));
        void* moved = malloc(size);
        if (moved)
            std::memcpy(moved, pointer, size < available ? size : available);
        return moved;
    }
    Count();
    return nextRealloc(pointer, size);
}

void free(void* pointer)
{
    if (!pointer || IsBootstrap(pointer))
        return;
    Resolve();
    nextFree(pointer);
}

void* memalign(size_t alignment, size_t size)
{
    Resolve();
    Count();
    return nextMemalign(alignment, size);
}

void* aligned_alloc(size_t alignment, size_t size)
{
    Resolve();
    Count();
    return nextAlignedAlloc(alignment, size);
}

int posix_memalign(void** result, size_t alignment, size_t size)
{
    Resolve();
    Count();
    return nextPosixMemalign(result, alignment, size);
}

}  // extern "C"
