#include "LinkFixtures.h"

#include <QProcess>

#include <algorithm>
#include <dirent.h>
#include <fcntl.h>
#include <poll.h>
#include <stdexcept>
#include <stdlib.h>
#include <unistd.h>

#include <cerrno>

namespace {

std::size_t entriesIn(const char* folder) {
    DIR* dir = ::opendir(folder);
    if (dir == nullptr) {
        return 0;
    }
    std::size_t n = 0;
    while (const dirent* entry = ::readdir(dir)) {
        if (entry->d_name[0] != '.') {
            ++n;
        }
    }
    ::closedir(dir);
    return n;
}

} // namespace

PtyPair::PtyPair() {
    master_ = ::posix_openpt(O_RDWR | O_NOCTTY | O_CLOEXEC);
    if (master_ < 0 || ::grantpt(master_) != 0 || ::unlockpt(master_) != 0) {
        throw std::runtime_error("no pseudo-terminal");
    }
    char name[128] = {};
    if (::ptsname_r(master_, name, sizeof name) != 0) {
        throw std::runtime_error("no pseudo-terminal name");
    }
    slavePath_ = name;
}

PtyPair::~PtyPair() {
    closeMaster();
}

void PtyPair::closeMaster() {
    if (master_ >= 0) {
        ::close(master_);
        master_ = -1;
    }
}

void PtyPair::write(std::span<const std::uint8_t> bytes) {
    std::size_t done = 0;
    while (done < bytes.size()) {
        const ssize_t n = ::write(master_, bytes.data() + done, bytes.size() - done);
        if (n < 0) {
            if (errno == EINTR || errno == EAGAIN) {
                continue;
            }
            throw std::runtime_error("pty write failed");
        }
        done += static_cast<std::size_t>(n);
    }
}

std::vector<std::uint8_t> PtyPair::read(std::size_t n, std::chrono::milliseconds timeout) {
    std::vector<std::uint8_t> out;
    const auto deadline = std::chrono::steady_clock::now() + timeout;
    while (out.size() < n) {
        const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(
            deadline - std::chrono::steady_clock::now());
        if (left.count() <= 0) {
            break;
        }
        pollfd p{master_, POLLIN, 0};
        if (::poll(&p, 1, static_cast<int>(left.count())) <= 0 || (p.revents & POLLIN) == 0) {
            if ((p.revents & (POLLHUP | POLLERR)) != 0) {
                // Nobody holds the slave at the moment; wait a little and look again.
                ::usleep(1000);
            }
            continue;
        }
        std::uint8_t buffer[4096];
        const ssize_t got = ::read(master_, buffer, std::min(sizeof buffer, n - out.size()));
        if (got > 0) {
            out.insert(out.end(), buffer, buffer + got);
        }
    }
    return out;
}

std::size_t threadCount() {
    return entriesIn("/proc/self/task");
}
std::size_t descriptorCount() {
    return entriesIn("/proc/self/fd") - 1;
} // less opendir's own

std::function<void(vandrel::ReceivedFrame)> FrameCollector::handler() {
    return [this](vandrel::ReceivedFrame received) {
        std::lock_guard lock(mutex_);
        const auto* bytes = received.frame->bytes.data();
        frames_.emplace_back(bytes, bytes + received.count);
        changed_.notify_all();
    };
}

std::vector<std::vector<std::uint8_t>> FrameCollector::waitFor(std::size_t n,
                                                               std::chrono::milliseconds timeout) {
    std::unique_lock lock(mutex_);
    changed_.wait_for(lock, timeout, [&] { return frames_.size() >= n; });
    return frames_;
}

struct PortHolderProcess::Process {
    QProcess process;
};

PortHolderProcess::PortHolderProcess(const std::string& devicePath)
    : process_(std::make_unique<Process>()) {
    process_->process.start(QStringLiteral(VANDREL_PORT_HOLDER),
                            {QString::fromStdString(devicePath)});
    if (process_->process.waitForStarted(5000) && process_->process.waitForReadyRead(5000)) {
        holds_ = process_->process.readLine().trimmed() == "held";
    }
}

PortHolderProcess::~PortHolderProcess() {
    process_->process.closeWriteChannel();
    if (!process_->process.waitForFinished(5000)) {
        process_->process.kill();
        process_->process.waitForFinished(5000);
    }
}

std::vector<std::uint8_t> sealedFrame(std::uint8_t type,
                                      std::initializer_list<std::uint8_t> payload) {
    vandrel::ProtocolFrame frame;
    frame.bytes[0] = type;
    frame.bytes[1] = static_cast<std::uint8_t>(payload.size());
    std::copy(payload.begin(), payload.end(), frame.bytes.begin() + 2);
    vandrel::frameSeal(frame);
    const auto bytes = frame.frameBytes();
    return {bytes.begin(), bytes.end()};
}

std::vector<std::uint8_t> filledFrame(std::size_t n, std::uint8_t fill) {
    vandrel::FramePtr frame = vandrel::frameCreate(vandrel::kFrameTypeRequest);
    const std::vector<std::uint8_t> value(n, fill);
    vandrel::frameAddField(*frame, 0x22, static_cast<std::uint8_t>(n), value.data());
    vandrel::frameSeal(*frame);
    const auto bytes = frame->frameBytes();
    return {bytes.begin(), bytes.end()};
}

vandrel::FramePtr framePtr(const std::vector<std::uint8_t>& bytes) {
    vandrel::FramePtr frame = std::make_unique<vandrel::ProtocolFrame>();
    std::copy(bytes.begin(), bytes.end(), frame->bytes.begin());
    return frame;
}
