#pragma once

#include <chrono>
#include <cstdint>
#include <fcntl.h>
#include <optional>
#include <poll.h>
#include <string>
#include <termios.h>
#include <unistd.h>
#include <vector>

// Talking to a stand-in converter through its pseudo-terminal, as a raw serial port.
namespace vandrel::sim::testing {

class RawPort {
public:
    explicit RawPort(const std::string& path) : fd_(::open(path.c_str(), O_RDWR | O_NOCTTY)) {
        termios tio{};
        if (fd_ >= 0 && ::tcgetattr(fd_, &tio) == 0) {
            ::cfmakeraw(&tio);
            ::tcsetattr(fd_, TCSANOW, &tio);
        }
    }
    ~RawPort() {
        if (fd_ >= 0) {
            ::close(fd_);
        }
    }
    RawPort(const RawPort&) = delete;
    RawPort& operator=(const RawPort&) = delete;

    bool isOpen() const { return fd_ >= 0; }
    bool write(const std::vector<std::uint8_t>& bytes) {
        return ::write(fd_, bytes.data(), bytes.size()) == static_cast<ssize_t>(bytes.size());
    }
    // Bytes up to and including the next end flag; none when it does not come in time.
    std::optional<std::vector<std::uint8_t>> readFrame(std::chrono::milliseconds limit) {
        std::vector<std::uint8_t> bytes;
        const auto deadline = std::chrono::steady_clock::now() + limit;
        while (bytes.empty() || bytes.back() != 0x7A) {
            const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(
                deadline - std::chrono::steady_clock::now());
            pollfd p{fd_, POLLIN, 0};
            if (left.count() <= 0 || ::poll(&p, 1, static_cast<int>(left.count())) <= 0) {
                return std::nullopt;
            }
            std::uint8_t b = 0;
            if (::read(fd_, &b, 1) != 1) {
                return std::nullopt;
            }
            bytes.push_back(b);
        }
        return bytes;
    }

private:
    int fd_;
};

// "Get system info" on the wire, and the start of every system info answer.
inline const std::vector<std::uint8_t> kSystemInfoWire = {0x7E, 0xA1, 0x02, 0x15, 0x00, 0x48, 0x7A};

} // namespace vandrel::sim::testing
