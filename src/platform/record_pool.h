// Fixed-size slots for objects that are allocated by the hundred and each span hundreds of
// pages (a whole disk record). Taking each one from the general heap maps it on its own and
// faults it in page by page; the pool maps large chunks instead, aligned to and advised for huge
// pages, and hands out slots from them, so filling hundreds of records costs a few hundred
// faults rather than tens of thousands. Address-checked builds use the pool too: it tells the
// checker which bytes are in use, so records are watched as closely as heap blocks.
#pragma once

#include <cstddef>
#include <mutex>
#include <vector>

namespace platform {

class RecordPool {
public:
    // Every slot is slotSize bytes, aligned at least as strictly as std::max_align_t.
    explicit RecordPool(std::size_t slotSize);
    RecordPool(const RecordPool&) = delete;
    RecordPool& operator=(const RecordPool&) = delete;
    ~RecordPool();

    // A slot of uninitialised memory (zero only when it comes from a fresh chunk); throws
    // std::bad_alloc when the system gives no memory.
    [[nodiscard]] void* Allocate();
    // Gives back a slot of this pool; a chunk whose slots are all free again is unmapped.
    void Release(void* slot) noexcept;

    [[nodiscard]] std::size_t MappedChunks() const;
    [[nodiscard]] std::size_t SlotsPerChunk() const { return m_slotsPerChunk; }

private:
    struct Chunk {
        unsigned char* base;
        std::size_t handedOut;  // slots taken from the untouched tail, in address order
        std::size_t live;       // slots in use
        void* freeList;         // released slots, each holding the address of the next
    };

    void Unmap(unsigned char* base) const noexcept;

    std::size_t m_slotSize;
    std::size_t m_stride;  // from one slot to the next: the slot and, when checked, its guard
    std::size_t m_slotsPerChunk;
    std::size_t m_chunkBytes;
    mutable std::mutex m_mutex;
    std::vector<Chunk> m_chunks;
};

}  // namespace platform
