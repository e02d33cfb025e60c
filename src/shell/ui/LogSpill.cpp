#include "shell/ui/LogSpill.h"

#include <QDir>
#include <QStandardPaths>
#include <QTemporaryFile>

namespace vandrel {

LogSpill::LogSpill() = default;
LogSpill::~LogSpill() = default;

QString LogSpill::folder() const {
    return folder_.isEmpty() ? QStandardPaths::writableLocation(QStandardPaths::CacheLocation)
                             : folder_;
}

QString LogSpill::filePath() const {
    return file_ ? file_->fileName() : QString();
}

bool LogSpill::append(const QByteArray& bytes) {
    if (!file_) {
        const QString dir = folder();
        if (dir.isEmpty() || !QDir().mkpath(dir)) {
            return false;
        }
        auto file =
            std::make_unique<QTemporaryFile>(dir + QLatin1String("/monitor-log-XXXXXX.txt"));
        // Named at once (Qt would otherwise keep it unnamed until asked), so that it can be
        // read back for a save like any file.
        if (!file->open() || file->fileName().isEmpty()) {
            return false;
        }
        file_ = std::move(file);
        size_ = 0;
    }
    // Written through at once, so a full disk shows here and not later, with the lines gone.
    const bool written = file_->write(bytes) == bytes.size() && file_->flush();
    if (!written) {
        file_->resize(size_);
        file_->seek(size_);
        return false;
    }
    size_ += bytes.size();
    return true;
}

bool LogSpill::copyTo(QIODevice& out) const {
    if (!file_ || size_ == 0) {
        return true;
    }
    QFile in(file_->fileName());
    if (!in.open(QIODevice::ReadOnly)) {
        return false;
    }
    constexpr qint64 kChunk = 1 << 20;
    qint64 left = size_;
    while (left > 0) {
        const QByteArray chunk = in.read(std::min(kChunk, left));
        if (chunk.isEmpty() || out.write(chunk) != chunk.size()) {
            return false;
        }
        left -= chunk.size();
    }
    return true;
}

void LogSpill::clear() {
    file_.reset(); // removes the file
    size_ = 0;
}

} // namespace vandrel
