#include "win/global_memory.h"

#include <cstdlib>
#include <cstring>

#include "win/live_set.h"

namespace {

struct Block {
    void* bytes;
    size_t size;
};

// Never destroyed: blocks may be freed by other statics' destructors.
movanta::LiveSet<Block>& Blocks() {
    static auto* blocks = new movanta::LiveSet<Block>;
    return *blocks;
}

}  // namespace

HGLOBAL GlobalAlloc(UINT flags, size_t bytes) {
    const size_t size = bytes == 0 ? 1 : bytes;
    void* memory = (flags & GMEM_ZEROINIT) ? std::calloc(size, 1) : std::malloc(size);
    if (memory == nullptr) return nullptr;
    auto* block = new Block {memory, bytes};
    Blocks().Add(block);
    return reinterpret_cast<HGLOBAL>(block);
}

HGLOBAL GlobalReAlloc(HGLOBAL memory, size_t bytes, UINT flags) {
    Block* block = Blocks().Find(memory);
    if (block == nullptr) return nullptr;
    void* grown = std::realloc(block->bytes, bytes == 0 ? 1 : bytes);
    if (grown == nullptr) return nullptr;
    if ((flags & GMEM_ZEROINIT) && bytes > block->size)
        std::memset(static_cast<char*>(grown) + block->size, 0, bytes - block->size);
    block->bytes = grown;
    block->size = bytes;
    return memory;
}

void* GlobalLock(HGLOBAL memory) {
    Block* block = Blocks().Find(memory);
    return block != nullptr ? block->bytes : nullptr;
}

BOOL GlobalUnlock(HGLOBAL) {
    return FALSE;  // blocks never move here, so no lock count is kept
}

size_t GlobalSize(HGLOBAL memory) {
    Block* block = Blocks().Find(memory);
    return block != nullptr ? block->size : 0;
}

HGLOBAL GlobalFree(HGLOBAL memory) {
    Block* block = Blocks().Find(memory);
    if (block == nullptr || !Blocks().Remove(block)) return memory;
    std::free(block->bytes);
    delete block;
    return nullptr;
}
