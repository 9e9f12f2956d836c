#include "platform/record_pool.h"

#include <sys/mman.h>

#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <new>

#if defined(__SANITIZE_ADDRESS__)
#define BRINDLE_ADDRESS_CHECKED 1
#elif defined(__has_feature)
#if __has_feature(address_sanitizer)
#define BRINDLE_ADDRESS_CHECKED 1
#endif
#endif
#ifdef BRINDLE_ADDRESS_CHECKED
#include <sanitizer/asan_interface.h>
#endif

namespace platform {

namespace {

constexpr std::size_t kHugePage = std::size_t{2} << 20;
constexpr std::size_t kChunkTarget = std::size_t{32} << 20;

// Under the address checker a chunk is out of bounds except for the slots in use, and every slot
// is followed by a guard that is never handed out: a read or write past the end of a record, or
// into a released one, is reported as it would be on the ordinary heap.
#ifdef BRINDLE_ADDRESS_CHECKED
constexpr std::size_t kGuard = 4096;
void MarkUnusable(void* bytes, std::size_t size) {
    ASAN_POISON_MEMORY_REGION(bytes, size);
}
void MarkUsable(void* bytes, std::size_t size) {
    ASAN_UNPOISON_MEMORY_REGION(bytes, size);
}
#else
constexpr std::size_t kGuard = 0;
void MarkUnusable(void*, std::size_t) {}
void MarkUsable(void*, std::size_t) {}
#endif

std::size_t RoundUp(std::size_t value, std::size_t unit) {
    return (value + unit - 1) / unit * unit;
}

// Maps bytes (a multiple of kHugePage) at a kHugePage boundary: maps one huge page more than
// asked and gives back the unaligned head and the tail.
unsigned char* MapAligned(std::size_t bytes) {
    const std::size_t span = bytes + kHugePage;
    void* raw = mmap(nullptr, span, PROT_READ | PROT_WRITE, MAP_PRIVATE | MAP_ANONYMOUS, -1, 0);
    if (raw == MAP_FAILED) {
        throw std::bad_alloc();
    }
    auto* start = static_cast<unsigned char*>(raw);
    const std::size_t head = RoundUp(reinterpret_cast<std::uintptr_t>(start), kHugePage) -
                             reinterpret_cast<std::uintptr_t>(start);
    if (head > 0) {
        munmap(start, head);
    }
    if (span - head - bytes > 0) {
        munmap(start + head + bytes, span - head - bytes);
    }
    // Only a hint: without transparent huge pages the chunk still works with small pages.
    madvise(start + head, bytes, MADV_HUGEPAGE);
    return start + head;
}

}  // namespace

RecordPool::RecordPool(std::size_t slotSize)
    : m_slotSize(
          RoundUp(std::max<std::size_t>(slotSize, sizeof(void*)), alignof(std::max_align_t))),
      m_stride(m_slotSize + kGuard),
      m_slotsPerChunk(std::max<std::size_t>(1, kChunkTarget / m_stride)),
      m_chunkBytes(RoundUp(m_slotsPerChunk * m_stride, kHugePage)) {}

RecordPool::~RecordPool() {
    for (const Chunk& chunk : m_chunks) {
        Unmap(chunk.base);
    }
}

void RecordPool::Unmap(unsigned char* base) const noexcept {
    // The checker's marks outlive the mapping: whatever maps these addresses next starts clean.
    MarkUsable(base, m_chunkBytes);
    munmap(base, m_chunkBytes);
}

void* RecordPool::Allocate() {
    std::lock_guard lock(m_mutex);
    for (Chunk& chunk : m_chunks) {
        if (chunk.freeList != nullptr) {
            void* slot = chunk.freeList;
            MarkUsable(slot, m_slotSize);
            chunk.freeList = *static_cast<void**>(slot);
            ++chunk.live;
            return slot;
        }
        if (chunk.handedOut < m_slotsPerChunk) {
            ++chunk.live;
            void* slot = chunk.base + m_stride * chunk.handedOut++;
            MarkUsable(slot, m_slotSize);
            return slot;
        }
    }
    unsigned char* base = MapAligned(m_chunkBytes);
    try {
        m_chunks.push_back(Chunk{base, 1, 1, nullptr});
    } catch (...) {
        munmap(base, m_chunkBytes);
        throw;
    }
    MarkUnusable(base, m_chunkBytes);
    MarkUsable(base, m_slotSize);
    return base;
}

void RecordPool::Release(void* slot) noexcept {
    if (slot == nullptr) {
        return;
    }
    std::lock_guard lock(m_mutex);
    auto* bytes = static_cast<unsigned char*>(slot);
    auto owner = std::find_if(m_chunks.begin(), m_chunks.end(), [&](const Chunk& chunk) {
        return bytes >= chunk.base && bytes < chunk.base + m_chunkBytes;
    });
    if (owner == m_chunks.end()) {
        // Not one of ours: carrying on would corrupt whichever heap it came from.
        std::abort();
    }
    if (--owner->live == 0) {
        Unmap(owner->base);
        m_chunks.erase(owner);
        return;
    }
    *static_cast<void**>(slot) = owner->freeList;
    owner->freeList = slot;
    MarkUnusable(slot, m_slotSize);
}

std::size_t RecordPool::MappedChunks() const {
    std::lock_guard lock(m_mutex);
    return m_chunks.size();
}

}  // namespace platform
