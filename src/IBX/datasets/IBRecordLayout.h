// The byte layout of a dataset record buffer: a 24-byte header, a 24-byte descriptor per
// column, the column data at their offsets, the calculated area and the blob cache.
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstring>

namespace ortavo::record {

inline constexpr int HeaderSize = 24;
inline constexpr int ColumnSize = 24;
inline constexpr int DbKeySize = 8;

// Header offsets.
inline constexpr int BookmarkFlag = 0; // 1 byte
inline constexpr int ColumnCount = 2;  // 16-bit
inline constexpr int RecordNumber = 4; // 32-bit
inline constexpr int CachedUpdateStatus = 8;
inline constexpr int UpdateStatus = 9;
inline constexpr int SavedPosition = 12; // 32-bit, −1
inline constexpr int DbKey = 16;         // 8 bytes

// Column descriptor offsets.
inline constexpr int SqlType = 0;  // 16-bit, without the null flag
inline constexpr int Scale = 2;    // 16-bit
inline constexpr int Nullable = 4; // 1 byte
inline constexpr int IsNull = 5;   // 1 byte
// 1 byte, in the padding: the fetched value does not fit the stored form, and reading it
// fails instead of the fetch.
inline constexpr int OutOfRange = 6;
inline constexpr int DataSize = 8; // 32-bit
inline constexpr int DataLength = 12;
inline constexpr int DataOffset = 16;
inline constexpr int CharSize = 20; // 16-bit
inline constexpr int StoredAsDouble = 22;
inline constexpr int ChangeState = 23;

// Offset of column i's descriptor, columns numbered from 1.
constexpr std::size_t Column(int i) {
    return static_cast<std::size_t>(HeaderSize + ColumnSize * (i - 1));
}

template <typename T> T Get(const std::byte* buffer, std::size_t offset) {
    T value;
    std::memcpy(&value, buffer + offset, sizeof value);
    return value;
}

template <typename T> void Put(std::byte* buffer, std::size_t offset, T value) {
    std::memcpy(buffer + offset, &value, sizeof value);
}

} // namespace ortavo::record
