#pragma once

#include "settings/RegistryStore.h"

#include "TempDir.h"

#include <QSettings>
#include <QString>
#include <QVariant>
#include <gtest/gtest.h>
#include <ostream>

// Readable failure messages for Qt texts.
inline void PrintTo(const QString& text, std::ostream* out) {
    *out << '"' << text.toStdString() << '"';
}

// Points both stores at a folder inside a fresh temporary folder; the folder itself does not
// exist until something is saved.
class SettingsFolder : public ::testing::Test {
protected:
    void SetUp() override {
        vandrel::RegistryStore::setFolder(QString::fromStdString(dir_.file("config/Quarnweil")));
    }
    void TearDown() override { vandrel::RegistryStore::setFolder(QString()); }

    // Reads or writes a value by its full key, bypassing the code under test.
    static QVariant raw(vandrel::RegistryRoot root, const QString& key) {
        QSettings settings(vandrel::RegistryStore::filePath(root), QSettings::IniFormat);
        return settings.value(key);
    }
    static void setRaw(vandrel::RegistryRoot root, const QString& key, const QVariant& value) {
        QSettings settings(vandrel::RegistryStore::filePath(root), QSettings::IniFormat);
        settings.setValue(key, value);
    }
    static bool hasRaw(vandrel::RegistryRoot root, const QString& key) {
        QSettings settings(vandrel::RegistryStore::filePath(root), QSettings::IniFormat);
        return settings.contains(key);
    }

    TempDir dir_;
};
