#include "settings/RecentFileList.h"

#include "settings/RegistryStore.h"

#include <QAction>
#include <QMenu>
#include <algorithm>

namespace vandrel {
namespace {

const QString kSubKey = QStringLiteral("\\Recent Document List");
const QString kCount = QStringLiteral("DocumentCount");
const char* const kOwnedProperty = "vandrelRecentEntry";

QString entryName(int i) {
    return QStringLiteral("Document%1").arg(i);
}

bool isSeparator(QChar c) {
    return c == QLatin1Char('\\') || c == QLatin1Char('/');
}

} // namespace

void RecentFileList::setMenu(QMenu* menu) {
    menu_ = menu;
    emptyText_ = QStringLiteral("(empty)");
    if (QAction* item = findAction(kFirstCommandId); item != nullptr && !item->text().isEmpty()) {
        emptyText_ = item->text();
    }
}

void RecentFileList::setMaxEntries(int maxEntries) {
    maxEntries_ = std::clamp(maxEntries, kMinEntries, kMaxEntries);
    trimToCapacity();
}

void RecentFileList::setDisplayLength(int displayLength) {
    displayLength_ =
        displayLength == kNoShortening ? kNoShortening : std::clamp(displayLength, 6, 260);
    rebuildMenu();
}

void RecentFileList::trimToCapacity() {
    while (entries_.size() > maxEntries_) {
        entries_.removeFirst();
    }
}

bool RecentFileList::readFromRegistry(const QString& keyPath) {
    RegistryKey key(RegistryRoot::CurrentUser, keyPath + kSubKey);
    if (!key.exists()) {
        return false;
    }
    const std::optional<quint32> count = key.dword(kCount);
    if (!count) {
        return false;
    }
    maxEntries_ = static_cast<int>(std::clamp<quint32>(*count, kMinEntries, kMaxEntries));
    entries_.clear();
    for (int i = maxEntries_; i >= 1; --i) {
        const std::optional<QString> path = key.string(entryName(i), kMaxPathLength + 1);
        if (path && !path->isEmpty()) {
            entries_.append(*path);
        }
    }
    return rebuildMenu();
}

bool RecentFileList::writeToRegistry(const QString& keyPath) const {
    RegistryKey key(RegistryRoot::CurrentUser, keyPath + kSubKey);
    key.setDword(kCount, static_cast<quint32>(maxEntries_));
    const int n = static_cast<int>(entries_.size());
    for (int i = n; i >= 1; --i) {
        key.setString(entryName(i), entries_.at(n - i));
    }
    // Every value past the list goes, up to the largest capacity, so none can come back.
    for (int i = n + 1; i <= kMaxEntries; ++i) {
        key.remove(entryName(i));
    }
    return key.commit();
}

bool RecentFileList::add(const QString& path) {
    if (path.isEmpty() || path.size() > kMaxPathLength) {
        return false;
    }
    entries_.removeIf(
        [&path](const QString& entry) { return entry.compare(path, Qt::CaseInsensitive) == 0; });
    while (entries_.size() >= maxEntries_) {
        entries_.removeFirst();
    }
    entries_.append(path);
    rebuildMenu();
    return true;
}

bool RecentFileList::removeAt(int index) {
    if (index < 0 || index >= entries_.size()) {
        return false;
    }
    entries_.removeAt(index);
    rebuildMenu();
    return true;
}

bool RecentFileList::moveToNewest(int index) {
    if (index < 0 || index >= entries_.size()) {
        return false;
    }
    entries_.append(entries_.takeAt(index));
    rebuildMenu();
    return true;
}

std::optional<int> RecentFileList::indexForCommand(int commandId) const {
    const qsizetype index = entries_.size() - (qsizetype{commandId} - kFirstCommandId) - 1;
    if (index < 0 || index >= entries_.size()) {
        return std::nullopt;
    }
    return static_cast<int>(index);
}

QString RecentFileList::pathForCommand(int commandId) const {
    const std::optional<int> index = indexForCommand(commandId);
    return index ? entries_.at(*index) : QString();
}

QAction* RecentFileList::findAction(int commandId) const {
    if (menu_ == nullptr) {
        return nullptr;
    }
    for (QAction* action : menu_->actions()) {
        bool ok = false;
        if (action->data().toInt(&ok) == commandId && ok) {
            return action;
        }
    }
    return nullptr;
}

void RecentFileList::removeAction(QAction* action) {
    if (action == nullptr) {
        return;
    }
    menu_->removeAction(action);
    // The insertion point belongs to whoever built the menu; only our own entries are freed.
    if (action->property(kOwnedProperty).toBool()) {
        delete action;
    }
}

bool RecentFileList::rebuildMenu() {
    if (menu_ == nullptr) {
        return true;
    }
    QAction* first = findAction(kFirstCommandId);
    const qsizetype position =
        first != nullptr ? menu_->actions().indexOf(first) : menu_->actions().size();

    // Every id of the range goes, also those above a capacity that has just shrunk.
    for (int id = kFirstCommandId + 1; id < kFirstCommandId + kMaxEntries; ++id) {
        removeAction(findAction(id));
    }

    auto insertAt = [this](qsizetype at, const QString& text, int commandId) {
        const QList<QAction*> actions = menu_->actions();
        QAction* before = at < actions.size() ? actions.at(at) : nullptr;
        auto* action = new QAction(text, menu_);
        action->setData(commandId);
        action->setProperty(kOwnedProperty, true);
        menu_->insertAction(before, action);
        return action;
    };
    auto removeAt = [this](qsizetype at) {
        const QList<QAction*> actions = menu_->actions();
        if (at < actions.size()) {
            removeAction(actions.at(at));
        }
    };

    const qsizetype n = entries_.size();
    if (n == 0) {
        insertAt(position, emptyText_, kFirstCommandId)->setEnabled(false);
        removeAt(position + 1);
        return true;
    }
    for (qsizetype k = 1; k <= n; ++k) {
        QString name = displayName(entries_.at(n - k), displayLength_);
        name.replace(QLatin1Char('&'), QStringLiteral("&&")); // a file name's '&' is no mnemonic
        insertAt(position + k - 1, QStringLiteral("&%1 %2").arg(QString::number(k), name),
                 kFirstCommandId + static_cast<int>(k) - 1);
    }
    removeAt(position + n);
    return true;
}

QString RecentFileList::displayName(const QString& path, int displayLength) {
    const qsizetype d = displayLength;
    if (displayLength == kNoShortening || path.size() < d - 1) {
        return path;
    }
    const qsizetype lastSeparator =
        std::max(path.lastIndexOf(QLatin1Char('\\')), path.lastIndexOf(QLatin1Char('/')));
    const QChar separator = lastSeparator >= 0 ? path.at(lastSeparator) : QLatin1Char('\\');

    // The file name starts behind the last separator or colon that has a name character behind.
    qsizetype nameStart = 0;
    for (qsizetype i = path.size() - 2; i >= 0; --i) {
        const QChar c = path.at(i);
        if ((isSeparator(c) || c == QLatin1Char(':')) && !isSeparator(path.at(i + 1))) {
            nameStart = i + 1;
            break;
        }
    }
    const QString fileName = path.mid(nameStart);
    const qsizetype l = fileName.size();
    const QString dots = QStringLiteral("...");

    if (nameStart == 0) {
        return RegistryStore::cutText(path, d - 4) + dots;
    }
    if (d > l + 4) {
        return RegistryStore::cutText(path, d - l - 5) + dots + separator + fileName;
    }
    return dots + separator + RegistryStore::cutText(fileName, d - 8) + dots;
}

} // namespace vandrel
