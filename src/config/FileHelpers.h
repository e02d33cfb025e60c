#pragma once

#include <cstdint>
#include <string>

// Whole-file helpers: each call opens the file by name, does one thing and closes it again.
// None of them reports why it failed; sizes and offsets are 32-bit, as the converter's files are
// small.
namespace vandrel {

// True when `path` names an existing regular file that can be opened for reading.
bool FileExists(const std::string& path);

// Creates the file if needed and cuts it to zero bytes; true when it could be opened for writing.
bool FileTruncate(const std::string& path);

// Appends `count` bytes (creating the file if missing); true only when all of them were written.
// A count of 0 always answers true.
bool FileAppend(const std::string& path, const void* data, std::uint32_t count);

// Reads up to `count` bytes from `offset`; the number of bytes read, 0 on any failure.
// A missing file is created empty, as the callers rely on.
std::uint32_t FileReadAt(const std::string& path, std::uint32_t offset, void* buffer,
                         std::uint32_t count);

// Size of an existing regular file in bytes, 0 when it cannot be opened.
std::uint32_t FileSize(const std::string& path);

// Removes the file; true when it is gone afterwards (also when it never existed).
bool FileDelete(const std::string& path);

} // namespace vandrel
