#pragma once

#include <QPointer>
#include <QString>
#include <QStringList>
#include <optional>

class QAction;
class QMenu;

namespace vandrel {

// The recently used configuration files, shown in the File drop-down and kept in the per-user
// store under "<key>\Recent Document List". In memory the oldest entry comes first.
class RecentFileList {
public:
    static constexpr int kFirstCommandId = 0xE110; // the newest entry; one id per entry up
    static constexpr int kMinEntries = 2;
    static constexpr int kMaxEntries = 16;
    static constexpr int kDefaultMaxEntries = 6;
    static constexpr int kMaxPathLength = 259;
    static constexpr int kDefaultDisplayLength = 64; // characters including the terminator
    static constexpr int kNoShortening = -1;

    // Attaches the drop-down and takes its item kFirstCommandId's text for an empty list.
    void setMenu(QMenu* menu);
    // Clamps to kMinEntries..kMaxEntries; the oldest entries beyond the new capacity go.
    void setMaxEntries(int maxEntries);
    int maxEntries() const { return maxEntries_; }
    // Clamps to 6..260 or kNoShortening, then rebuilds the menu.
    void setDisplayLength(int displayLength);
    int displayLength() const { return displayLength_; }

    // Reads the capacity and the entries; false (list unchanged) when the key or "DocumentCount"
    // is missing.
    bool readFromRegistry(const QString& keyPath);
    // Stores the capacity and the entries and removes every stale entry value; false when the
    // store could not be written.
    bool writeToRegistry(const QString& keyPath) const;

    // Makes `path` the newest entry, dropping an entry equal to it in any letter case and, when
    // full, the oldest one. False for an empty path or one longer than kMaxPathLength.
    bool add(const QString& path);
    // `index` counts from the oldest entry.
    bool removeAt(int index);
    bool moveToNewest(int index);

    // The entry index (from the oldest) of a menu command id, or nothing when out of range.
    std::optional<int> indexForCommand(int commandId) const;
    // The path of a menu command id; empty when out of range.
    QString pathForCommand(int commandId) const;

    // Puts the entries into the drop-down at the item kFirstCommandId, newest first, labelled
    // "&<k> <display name>"; an empty list shows the greyed empty-list text.
    bool rebuildMenu();

    const QStringList& entries() const { return entries_; }
    const QString& emptyText() const { return emptyText_; }

    // The menu label of `path`, at most displayLength - 1 characters; kNoShortening gives the
    // path whole.
    static QString displayName(const QString& path, int displayLength);

private:
    QAction* findAction(int commandId) const;
    void removeAction(QAction* action);
    void trimToCapacity();

    QStringList entries_;
    int maxEntries_ = kDefaultMaxEntries;
    int displayLength_ = kDefaultDisplayLength;
    QPointer<QMenu> menu_;
    QString emptyText_ = QStringLiteral("(empty)");
};

} // namespace vandrel
