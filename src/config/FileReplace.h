#pragma once

#include <cstdint>
#include <span>
#include <string>

// Saving a whole file over an older one without losing it on the way.
namespace vandrel {

// Gives the file `path` exactly `bytes` as its contents; true when they are on disk.
//
// - A new file, or one that only this name points to, is written to a temporary file beside it
//   that then replaces it, with the old file's mode, owner and group: a failure at any point
//   leaves the old file as it was.
// - An existing file that may not be written is refused and left alone. For the superuser, who
//   may write anything the file system allows, a file without any write permission bit counts as
//   write-protected.
// - When the folder takes no new file (or, for the superuser, has no write permission bit) but
//   the file may be written, the file is written in place; so is a file with more than one name
//   or whose owner could not be kept, so that the other names and the owner keep seeing it.
// - A symbolic link stays a link: the file it points to gets the contents.
// - Anything but a regular file (a folder, a device, a pipe) is refused.
bool ReplaceFileContents(const std::string& path, std::span<const std::uint8_t> bytes);

} // namespace vandrel
