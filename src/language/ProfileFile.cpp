#include "language/ProfileFile.h"

#include <filesystem>
#include <fstream>
#include <limits>

namespace vandrel {

namespace {

bool isBlank(char c) {
    return c == ' ' || c == '\t' || c == '\r' || c == '\v' || c == '\f';
}

std::string_view trim(std::string_view s) {
    while (!s.empty() && isBlank(s.front())) {
        s.remove_prefix(1);
    }
    while (!s.empty() && isBlank(s.back())) {
        s.remove_suffix(1);
    }
    return s;
}

std::string fold(std::string_view s) {
    std::string out(s);
    for (char& c : out) {
        if (c >= 'A' && c <= 'Z') {
            c = static_cast<char>(c - 'A' + 'a');
        }
    }
    return out;
}

} // namespace

ProfileFile ProfileFile::FromText(std::string_view text) {
    ProfileFile profile;
    if (text.substr(0, 3) == "\xEF\xBB\xBF") {
        text.remove_prefix(3);
    }
    Section* current = nullptr;
    while (!text.empty()) {
        const std::size_t end = text.find('\n');
        std::string_view line = text.substr(0, end);
        text.remove_prefix(end == std::string_view::npos ? text.size() : end + 1);
        // A C string would end at a NUL byte; so does the line here.
        line = trim(line.substr(0, line.find('\0')));
        if (line.empty() || line.front() == ';') {
            continue;
        }
        if (line.front() == '[') {
            std::string_view name = line.substr(1);
            name = trim(name.substr(0, name.find(']')));
            current = &profile.sections_[fold(name)];
            continue;
        }
        const std::size_t eq = line.find('=');
        if (current == nullptr || eq == std::string_view::npos) {
            continue;
        }
        // emplace keeps an existing entry: the first occurrence wins.
        current->emplace(fold(trim(line.substr(0, eq))), std::string(trim(line.substr(eq + 1))));
    }
    return profile;
}

bool ProfileFile::Read(const std::string& path) {
    sections_.clear();
    std::error_code ec;
    if (!std::filesystem::is_regular_file(path, ec)) {
        return false;
    }
    const auto size = std::filesystem::file_size(path, ec);
    if (ec || size > MaxFileSize) {
        return false;
    }
    std::ifstream in(path, std::ios::binary);
    if (!in) {
        return false;
    }
    std::string text(static_cast<std::size_t>(size), '\0');
    in.read(text.data(), static_cast<std::streamsize>(text.size()));
    text.resize(static_cast<std::size_t>(in.gcount()));
    *this = FromText(text);
    return true;
}

const std::string* ProfileFile::Find(std::string_view section, std::string_view key) const {
    const auto s = sections_.find(fold(trim(section)));
    if (s == sections_.end()) {
        return nullptr;
    }
    const auto k = s->second.find(fold(trim(key)));
    return k == s->second.end() ? nullptr : &k->second;
}

std::string ProfileFile::Get(std::string_view section, std::string_view key,
                             std::string_view fallback) const {
    const std::string* value = Find(section, key);
    return value != nullptr ? *value : std::string(fallback);
}

long long ProfileFile::GetInt(std::string_view section, std::string_view key,
                              long long fallback) const {
    const std::string* value = Find(section, key);
    if (value == nullptr) {
        return fallback;
    }
    std::string_view s = *value;
    bool negative = false;
    if (!s.empty() && (s.front() == '-' || s.front() == '+')) {
        negative = s.front() == '-';
        s.remove_prefix(1);
    }
    if (s.empty() || s.front() < '0' || s.front() > '9') {
        return fallback;
    }
    constexpr long long limit = std::numeric_limits<long long>::max();
    long long result = 0;
    for (char c : s) {
        if (c < '0' || c > '9') {
            break;
        }
        const int digit = c - '0';
        result = result > (limit - digit) / 10 ? limit : result * 10 + digit;
    }
    return negative ? -result : result;
}

} // namespace vandrel
