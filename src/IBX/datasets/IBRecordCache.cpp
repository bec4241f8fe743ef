// The record cache's block: reset, growth by chunks, release.
#include "IBX/datasets/IBRecordCache.h"

#include <cstring>

namespace ortavo {

void TRecordCache::Reset(std::size_t chunkSize) {
    FChunkSize = chunkSize;
    FData = std::make_unique_for_overwrite<std::byte[]>(chunkSize);
    FSize = chunkSize;
}

void TRecordCache::Free() noexcept {
    FData.reset();
    FSize = 0;
    FChunkSize = 0;
}

void TRecordCache::EnsureRoom(std::size_t offset) {
    if (offset < FSize)
        return;
    std::size_t size = FSize;
    while (offset >= size)
        size += FChunkSize;
    auto grown = std::make_unique_for_overwrite<std::byte[]>(size);
    if (FSize)
        std::memcpy(grown.get(), FData.get(), FSize);
    FData = std::move(grown);
    FSize = size;
}

} // namespace ortavo
