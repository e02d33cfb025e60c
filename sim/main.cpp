// vandrel-sim: a stand-in converter on a pseudo-terminal.
#include "sim/PtyConverter.h"
#include "sim/SimOptions.h"

#include <csignal>
#include <cstdio>
#include <ctime>
#include <span>
#include <string>
#include <vector>

namespace {

// Waits up to `seconds` (forever when negative) for a stop signal; true when one came.
bool waitForSignal(const sigset_t& signals, double seconds) {
    if (seconds < 0) {
        int signal = 0;
        sigwait(&signals, &signal);
        return true;
    }
    timespec timeout{
        static_cast<time_t>(seconds),
        static_cast<long>((seconds - static_cast<double>(static_cast<time_t>(seconds))) * 1e9)};
    for (;;) {
        const int signal = sigtimedwait(&signals, nullptr, &timeout);
        if (signal > 0) {
            return true;
        }
        if (errno == EAGAIN) {
            return false;
        }
        // EINTR: some other signal; wait again (the timeout restarts, which is harmless here).
    }
}

bool writeFile(const std::string& path, std::span<const std::uint8_t> bytes) {
    std::FILE* file = std::fopen(path.c_str(), "wb");
    if (!file) {
        return false;
    }
    const bool written = std::fwrite(bytes.data(), 1, bytes.size(), file) == bytes.size();
    return std::fclose(file) == 0 && written;
}

// The converter's state at exit, for whoever checks what a session left behind.
bool saveState(vandrel::sim::PtyConverter& converter, const vandrel::sim::SimOptions& options) {
    using vandrel::sim::ConverterModel;
    bool ok = true;
    converter.withModel([&](ConverterModel& model) {
        if (!options.saveConfigPath.empty() &&
            !writeFile(options.saveConfigPath, model.configImage())) {
            std::fprintf(stderr, "vandrel-sim: cannot write %s\n", options.saveConfigPath.c_str());
            ok = false;
        }
        if (!options.saveFlashPath.empty() &&
            !writeFile(options.saveFlashPath, model.flashImage())) {
            std::fprintf(stderr, "vandrel-sim: cannot write %s\n", options.saveFlashPath.c_str());
            ok = false;
        }
    });
    return ok;
}

void printDevice(const vandrel::sim::PtyConverter& converter) {
    std::printf("%s\n", converter.devicePath().c_str());
    std::fflush(stdout);
}

} // namespace

int main(int argc, char** argv) {
    using namespace vandrel::sim;
    std::string error;
    const auto options = parseSimOptions(std::vector<std::string>(argv + 1, argv + argc), error);
    if (!options) {
        std::fprintf(stderr, "vandrel-sim: %s\nTry --help.\n", error.c_str());
        return 2;
    }
    if (options->help) {
        std::fputs(simUsage().c_str(), stdout);
        return 0;
    }

    // Stop signals are taken synchronously below; the serving thread inherits the mask.
    sigset_t signals;
    sigemptyset(&signals);
    sigaddset(&signals, SIGINT);
    sigaddset(&signals, SIGTERM);
    sigaddset(&signals, SIGHUP);
    pthread_sigmask(SIG_BLOCK, &signals, nullptr);

    PtyConverter converter(options->model, options->faults);
    if (!converter.start(options->linkPath)) {
        std::fprintf(stderr, "vandrel-sim: %s\n", converter.error().c_str());
        return 1;
    }
    if (options->boot) {
        converter.withModel([](ConverterModel& model) { model.restart(); });
    }
    printDevice(converter);

    if (options->unplugAfter >= 0 && !waitForSignal(signals, options->unplugAfter)) {
        converter.unplug();
        std::fprintf(stderr, "vandrel-sim: unplugged\n");
        if (!waitForSignal(signals, options->replugAfter)) {
            if (!converter.replug()) {
                std::fprintf(stderr, "vandrel-sim: %s\n", converter.error().c_str());
                return 1;
            }
            printDevice(converter);
            waitForSignal(signals, -1);
        }
    } else if (options->unplugAfter < 0) {
        waitForSignal(signals, -1);
    }
    converter.stop();
    return saveState(converter, *options) ? 0 : 1;
}
