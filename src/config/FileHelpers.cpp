#include "FileHelpers.h"

#include <cerrno>
#include <fcntl.h>
#include <limits>
#include <sys/stat.h>
#include <unistd.h>

namespace vandrel {
namespace {

// Closes the descriptor on every path out of a helper.
class FileDescriptor {
public:
    explicit FileDescriptor(int fd) : fd_(fd) {}
    ~FileDescriptor() {
        if (fd_ >= 0) {
            ::close(fd_);
        }
    }
    FileDescriptor(const FileDescriptor&) = delete;
    FileDescriptor& operator=(const FileDescriptor&) = delete;
    int get() const { return fd_; }
    bool valid() const { return fd_ >= 0; }

private:
    int fd_;
};

constexpr mode_t kNewFileMode = 0666; // narrowed by the user's umask

int openRetrying(const std::string& path, int flags) {
    int fd;
    do {
        fd = ::open(path.c_str(), flags | O_CLOEXEC, kNewFileMode);
    } while (fd < 0 && errno == EINTR);
    return fd;
}

bool isRegularFile(int fd) {
    struct stat st {};
    return ::fstat(fd, &st) == 0 && S_ISREG(st.st_mode);
}

} // namespace

bool FileExists(const std::string& path) {
    FileDescriptor fd(openRetrying(path, O_RDONLY | O_NONBLOCK));
    return fd.valid() && isRegularFile(fd.get());
}

bool FileTruncate(const std::string& path) {
    FileDescriptor fd(openRetrying(path, O_WRONLY | O_CREAT | O_TRUNC));
    return fd.valid();
}

bool FileAppend(const std::string& path, const void* data, std::uint32_t count) {
    FileDescriptor fd(openRetrying(path, O_WRONLY | O_CREAT | O_APPEND));
    if (count == 0) {
        return true;
    }
    if (!fd.valid() || data == nullptr) {
        return false;
    }
    const auto* bytes = static_cast<const unsigned char*>(data);
    std::uint32_t written = 0;
    while (written < count) {
        const ssize_t n = ::write(fd.get(), bytes + written, count - written);
        if (n < 0 && errno == EINTR) {
            continue;
        }
        if (n <= 0) {
            return false;
        }
        written += static_cast<std::uint32_t>(n);
    }
    return true;
}

std::uint32_t FileReadAt(const std::string& path, std::uint32_t offset, void* buffer,
                         std::uint32_t count) {
    FileDescriptor fd(openRetrying(path, O_RDONLY | O_CREAT));
    if (!fd.valid() || buffer == nullptr) {
        return 0;
    }
    if (::lseek(fd.get(), static_cast<off_t>(offset), SEEK_SET) != static_cast<off_t>(offset)) {
        return 0;
    }
    auto* bytes = static_cast<unsigned char*>(buffer);
    std::uint32_t total = 0;
    while (total < count) {
        const ssize_t n = ::read(fd.get(), bytes + total, count - total);
        if (n < 0 && errno == EINTR) {
            continue;
        }
        if (n <= 0) {
            break;
        }
        total += static_cast<std::uint32_t>(n);
    }
    return total;
}

std::uint32_t FileSize(const std::string& path) {
    FileDescriptor fd(openRetrying(path, O_RDONLY | O_NONBLOCK));
    struct stat st {};
    if (!fd.valid() || ::fstat(fd.get(), &st) != 0 || !S_ISREG(st.st_mode)) {
        return 0;
    }
    constexpr auto kMax = std::numeric_limits<std::uint32_t>::max();
    return st.st_size > static_cast<off_t>(kMax) ? kMax : static_cast<std::uint32_t>(st.st_size);
}

bool FileDelete(const std::string& path) {
    return ::unlink(path.c_str()) == 0 || errno == ENOENT;
}

} // namespace vandrel
