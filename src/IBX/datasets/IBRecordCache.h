// TRecordCache: the growing block of fixed-size record buffers a dataset fetches into.
#pragma once

#include <cstddef>
#include <memory>

namespace ortavo {

// One block that grows by whole chunks; grown memory is not cleared. Rows keep their
// index across growth (the block is copied, never split).
class TRecordCache {
public:
    TRecordCache() = default;
    TRecordCache(const TRecordCache&) = delete;
    TRecordCache& operator=(const TRecordCache&) = delete;

    // Drops the contents and holds one chunk of chunkSize bytes.
    void Reset(std::size_t chunkSize);
    void Free() noexcept;
    std::size_t Size() const noexcept { return FSize; }
    std::size_t ChunkSize() const noexcept { return FChunkSize; }
    // Grows chunk by chunk while offset is not below the size.
    void EnsureRoom(std::size_t offset);
    std::byte* At(std::size_t offset) const noexcept { return FData.get() + offset; }

private:
    std::unique_ptr<std::byte[]> FData;
    std::size_t FSize = 0;
    std::size_t FChunkSize = 0;
};

} // namespace ortavo
