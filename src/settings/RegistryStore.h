#pragma once

#include <QSettings>
#include <QString>
#include <optional>

// Two key-value stores in the user's config folder stand in for the machine-wide and the per-user
// settings: "Quarnweil/Vandrel.conf" and "Quarnweil/Vandrel-user.conf". Key paths use backslashes
// ("Software\Quarnweil\Vandrel") and become groups inside a store.
namespace vandrel {

enum class RegistryRoot {
    LocalMachine, // the program's settings
    CurrentUser,  // the recent-file list
};

inline const QString kSettingsKeyPath = QStringLiteral("Software\\Quarnweil\\Vandrel");

// One key of a store, opened for a batch of reads and writes; changes reach the file on commit().
class RegistryKey {
public:
    RegistryKey(RegistryRoot root, const QString& keyPath);
    RegistryKey(const RegistryKey&) = delete;
    RegistryKey& operator=(const RegistryKey&) = delete;

    // True when the key holds at least one value; a key without values does not exist.
    bool exists();

    // A stored 32-bit number; nothing when missing or not a number that fits 32 bits (negative
    // numbers down to -2^31 give their two's complement).
    std::optional<quint32> dword(const QString& name);

    // A stored text cut to bufferSize - 1 characters (never splitting a surrogate pair); nothing
    // when missing or not a single text.
    std::optional<QString> string(const QString& name, int bufferSize);

    void setDword(const QString& name, quint32 value);
    void setString(const QString& name, const QString& text);
    void remove(const QString& name);

    // Writes the changes, creating the folder and file when needed; false when they were not
    // stored.
    bool commit();

private:
    QString key(const QString& name) const;

    QSettings settings_;
    QString group_;
};

namespace RegistryStore {

// The folder holding both stores: the user's config folder plus "Quarnweil", unless set here
// (tests point it at a temporary folder; an empty folder restores the default).
QString folder();
void setFolder(const QString& folder);
QString filePath(RegistryRoot root);

// The stored value, or the default when it is missing or of another type.
quint32 readDword(RegistryRoot root, const QString& keyPath, const QString& name,
                  quint32 defaultValue);

// The stored text cut to bufferSize - 1 characters, or the default (cut the same way).
QString readString(RegistryRoot root, const QString& keyPath, const QString& name, int bufferSize,
                   const QString& defaultText);

// Store one value at once; false when it did not reach the file. A missing store is created.
bool writeDword(RegistryRoot root, const QString& keyPath, const QString& name, quint32 value);
bool writeString(RegistryRoot root, const QString& keyPath, const QString& name,
                 const QString& text);

// The first `count` characters of `text`, one fewer when the cut would split a surrogate pair.
QString cutText(const QString& text, qsizetype count);

} // namespace RegistryStore
} // namespace vandrel
