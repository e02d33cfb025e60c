#pragma once

#include <cstddef>
#include <string>
#include <string_view>
#include <unordered_map>

// An INI file read the way the private-profile functions read it: "[section]" lines open a
// section, "key=value" lines fill it. Sections and keys compare without regard to ASCII letter
// case, the first occurrence of a key wins (also across repeated sections of one name), and a
// value is the raw rest of its line with surrounding blanks removed: no quotes, no escapes.
// Lines without '=', lines before the first section and ';' comments are ignored.
// Plain C++; values are the file's bytes, whatever their encoding.
namespace vandrel {

class ProfileFile {
public:
    // Files above this size are not read at all: a language file is a few kilobytes.
    static constexpr std::size_t MaxFileSize = 4 * 1024 * 1024;

    static ProfileFile FromText(std::string_view text);

    // Reads and parses a whole regular file. False, leaving the profile empty, when it cannot be
    // opened, is not a regular file or is larger than MaxFileSize.
    bool Read(const std::string& path);

    // The value of `key` in `section`, or null when there is none. The key is trimmed first.
    const std::string* Find(std::string_view section, std::string_view key) const;

    // The value, or `fallback` when the key is missing (a present but empty value stays empty).
    std::string Get(std::string_view section, std::string_view key,
                    std::string_view fallback = {}) const;

    // The value read as a decimal integer the way the profile functions do: leading digits
    // after an optional sign, anything after them ignored; `fallback` when the key is missing
    // or holds no digits. Saturates instead of overflowing.
    long long GetInt(std::string_view section, std::string_view key, long long fallback) const;

    bool empty() const { return sections_.empty(); }

private:
    using Section = std::unordered_map<std::string, std::string>;
    std::unordered_map<std::string, Section> sections_;
};

} // namespace vandrel
