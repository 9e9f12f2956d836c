#include "platform/record_pool.h"

#include <sys/mman.h>

#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <new>

namespace platform {

namespace {

constexpr std::size_t kHugePage = std::size_t{2} << 20;
constexpr std::size_t kChunkTarget = std::size_t{32} << 20;

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
      m_slotsPerChunk(std::max<std::size_t>(1, kChunkTarget / m_slotSize)),
      m_chunkBytes(RoundUp(m_slotsPerChunk * m_slotSize, kHugePage)) {}

RecordPool::~RecordPool() {
    for (const Chunk& chunk : m_chunks) {
        munmap(chunk.base, m_chunkBytes);
    }
}

void* RecordPool::Allocate() {
    std::lock_guard lock(m_mutex);
    for (Chunk& chunk : m_chunks) {
        if (chunk.freeList != nullptr) {
            void* slot = chunk.freeList;
            chunk.freeList = *static_cast<void**>(slot);
            ++chunk.live;
            return slot;
        }
        if (chunk.handedOut < m_slotsPerChunk) {
            ++chunk.live;
            return chunk.base + m_slotSize * chunk.handedOut++;
        }
    }
    unsigned char* base = MapAligned(m_chunkBytes);
    try {
        m_chunks.push_back(Chunk{base, 1, 1, nullptr});
    } catch (...) {
        munmap(base, m_chunkBytes);
        throw;
    }
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
        munmap(owner->base, m_chunkBytes);
        m_chunks.erase(owner);
        return;
    }
    *static_cast<void**>(slot) = owner->freeList;
    owner->freeList = slot;
}

std::size_t RecordPool::MappedChunks() const {
    std::lock_guard lock(m_mutex);
    return m_chunks.size();
}

}  // namespace platform
