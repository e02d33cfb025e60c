#include "cli/TransferProgress.h"

#include "cli/Console.h"

#include <algorithm>

namespace vandrel {
namespace {

constexpr std::int64_t kRedrawMs = 100;

} // namespace

void TransferProgress::start() {
    clock_.start();
    lastDrawMs_ = -1;
}

void TransferProgress::update(std::int64_t done, std::int64_t total) {
    if (!console_.showsProgressLine() || total <= 0) {
        return;
    }
    done = std::clamp<std::int64_t>(done, 0, total);
    const std::int64_t now = clock_.elapsed();
    if (done < total && lastDrawMs_ >= 0 && now - lastDrawMs_ < kRedrawMs) {
        return;
    }
    lastDrawMs_ = now;
    console_.progress(format(done, total, now));
}

QString TransferProgress::format(std::int64_t done, std::int64_t total, std::int64_t elapsedMs) {
    const std::int64_t percent = total > 0 ? done * 100 / total : 0;
    QString line = QStringLiteral("%1%  %2 of %3 bytes").arg(percent, 3).arg(done).arg(total);
    if (elapsedMs > 0 && done > 0) {
        const std::int64_t rate = done * 1000 / elapsedMs;
        line += QStringLiteral("  %1 B/s").arg(rate);
        if (rate > 0) {
            const std::int64_t left = (total - done + rate - 1) / rate;
            line += QStringLiteral("  %1:%2 left")
                        .arg(left / 60)
                        .arg(left % 60, 2, 10, QLatin1Char('0'));
        }
    }
    return line;
}

} // namespace vandrel
