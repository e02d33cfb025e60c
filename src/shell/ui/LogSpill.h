#pragma once

#include <QByteArray>
#include <QString>

#include <memory>

class QIODevice;
class QTemporaryFile;

namespace vandrel {

// The lines that no longer fit in the log window, oldest first, exactly as a save writes them.
// They live in a file of their own in the user's cache folder, created with the first line that
// leaves the window and removed when the log is cleared or the program ends.
class LogSpill {
public:
    LogSpill();
    ~LogSpill();
    LogSpill(const LogSpill&) = delete;
    LogSpill& operator=(const LogSpill&) = delete;

    // Where the file is created; the cache folder unless set (tests use their own folder).
    void setFolder(const QString& folder) { folder_ = folder; }
    QString folder() const;

    // Appends the bytes; false, with the file as it was, when they could not all be written.
    bool append(const QByteArray& bytes);
    // Writes everything kept so far to `out`; false when reading or writing failed.
    bool copyTo(QIODevice& out) const;
    // Forgets every line and removes the file.
    void clear();

    qint64 size() const { return size_; }
    // The file's path; empty while nothing has been kept.
    QString filePath() const;

private:
    QString folder_;
    std::unique_ptr<QTemporaryFile> file_;
    qint64 size_ = 0;
};

} // namespace vandrel
