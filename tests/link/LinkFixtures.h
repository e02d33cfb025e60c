#pragma once

#include <chrono>
#include <condition_variable>
#include <cstddef>
#include <cstdint>
#include <functional>
#include <initializer_list>
#include <memory>
#include <mutex>
#include <span>
#include <string>
#include <vector>

#include "protocol/FrameAssembler.h"

// A pseudo-terminal pair: the master is the converter's end of the line, the slave the port the
// channel opens.
class PtyPair {
public:
    PtyPair();
    ~PtyPair();
    PtyPair(const PtyPair&) = delete;
    PtyPair& operator=(const PtyPair&) = delete;

    const std::string& slavePath() const { return slavePath_; }
    int master() const { return master_; }
    // The converter goes away: the slave side then sees the line fail.
    void closeMaster();

    void write(std::span<const std::uint8_t> bytes);
    // Reads until `n` bytes came or `timeout` passed; returns what came.
    std::vector<std::uint8_t> read(std::size_t n, std::chrono::milliseconds timeout);

private:
    int master_ = -1;
    std::string slavePath_;
};

// The slave's line settings as the terminal holds them.
struct LineSettings {
    std::uint32_t outputSpeed = 0;
    std::uint32_t inputSpeed = 0;
    bool eightDataBits = false;
    bool twoStopBits = false;
    bool parity = false;
    bool hardwareFlow = false;
    bool softwareFlow = false;
    bool raw = false; // no echo, no line editing, no signals, no output or input translation
    bool receiverOn = false;
};
LineSettings readLineSettings(int ptyMaster);

// Threads and open descriptors of this process.
std::size_t threadCount();
std::size_t descriptorCount();

// Collects the frames a channel delivers, from whichever thread.
class FrameCollector {
public:
    std::function<void(vandrel::ReceivedFrame)> handler();
    // Waits until at least `n` frames came or `timeout` passed; returns all so far.
    std::vector<std::vector<std::uint8_t>> waitFor(std::size_t n,
                                                   std::chrono::milliseconds timeout);

private:
    std::mutex mutex_;
    std::condition_variable changed_;
    std::vector<std::vector<std::uint8_t>> frames_;
};

// Another program holding a port open, as a terminal program would.
class PortHolderProcess {
public:
    explicit PortHolderProcess(const std::string& devicePath);
    ~PortHolderProcess();
    PortHolderProcess(const PortHolderProcess&) = delete;
    PortHolderProcess& operator=(const PortHolderProcess&) = delete;
    bool holds() const { return holds_; }

private:
    struct Process;
    std::unique_ptr<Process> process_;
    bool holds_ = false;
};

// Frames as the converter would send them.
std::vector<std::uint8_t> sealedFrame(std::uint8_t type,
                                      std::initializer_list<std::uint8_t> payload);
// A sealed frame whose payload is `n` bytes of `fill`, as one field.
std::vector<std::uint8_t> filledFrame(std::size_t n, std::uint8_t fill);
vandrel::FramePtr framePtr(const std::vector<std::uint8_t>& bytes);
