#include "cli/Console.h"

#include <algorithm>
#include <cstdio>
#include <unistd.h>

namespace vandrel {

Console::Console(bool quiet) : quiet_(quiet), progressLine_(!quiet && ::isatty(STDERR_FILENO)) {}

void Console::data(const QString& line) {
    const QByteArray bytes = (line + QLatin1Char('\n')).toLocal8Bit();
    std::fwrite(bytes.constData(), 1, static_cast<std::size_t>(bytes.size()), stdout);
    std::fflush(stdout);
}

void Console::rawData(std::span<const std::uint8_t> bytes) {
    std::fwrite(bytes.data(), 1, bytes.size(), stdout);
    std::fflush(stdout);
}

void Console::error(const QString& sentence) {
    endProgress();
    toStderr(sentence + QLatin1Char('\n'));
}

void Console::note(const QString& sentence) {
    if (!quiet_) {
        endProgress();
        toStderr(sentence + QLatin1Char('\n'));
    }
}

void Console::progress(const QString& line) {
    if (!progressLine_) {
        return;
    }
    // Drawn over the previous one; spaces wipe what a longer previous line left.
    const int width = static_cast<int>(line.size());
    toStderr(QLatin1Char('\r') + line + QString(std::max(0, progressWidth_ - width), u' '));
    progressWidth_ = std::max(width, 1);
}

void Console::endProgress() {
    if (progressWidth_ > 0) {
        toStderr(QStringLiteral("\n"));
        progressWidth_ = 0;
    }
}

void Console::toStderr(const QString& text) {
    const QByteArray bytes = text.toLocal8Bit();
    std::fwrite(bytes.constData(), 1, static_cast<std::size_t>(bytes.size()), stderr);
    std::fflush(stderr);
}

} // namespace vandrel
