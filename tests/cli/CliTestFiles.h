#pragma once

#include "config/ConverterConfig.h"
#include "protocol/FirmwareFile.h"

#include <gtest/gtest.h>

#include <QByteArray>
#include <QFile>
#include <QString>

#include <algorithm>
#include <cstring>
#include <random>
#include <string>

// Files the command-line tests hand to vandrelctl and the stand-in converter, and read back.
namespace vandrel::testing {

inline constexpr std::size_t kPasswordOffset = 558;
inline constexpr std::size_t kPasswordSize = 32;

inline QString q(const std::string& text) {
    return QString::fromStdString(text);
}

inline QByteArray readFile(const std::string& path) {
    QFile file(q(path));
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

inline void writeFile(const std::string& path, const QByteArray& bytes) {
    QFile file(q(path));
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    ASSERT_EQ(file.write(bytes), bytes.size());
}

// A firmware file of `size` bytes: varied data with runs of equal bytes, and the header.
inline QByteArray firmwareFile(std::size_t size, const char* version) {
    QByteArray bytes(static_cast<qsizetype>(size), '\0');
    std::mt19937 random(7);
    for (std::size_t i = 0; i < size; ++i) {
        const bool run = (i / 128) % 5 == 3; // every fifth chunk travels as one byte
        bytes[static_cast<qsizetype>(i)] = run ? '\xFF' : static_cast<char>(random());
    }
    QByteArray header(static_cast<qsizetype>(kFirmwareHeaderSize), '\0');
    std::memcpy(header.data(), kFirmwareMaker, std::strlen(kFirmwareMaker));
    std::memcpy(header.data() + 21, version, std::strlen(version));
    bytes.replace(static_cast<qsizetype>(kFirmwareHeaderOffset), header.size(), header);
    return bytes;
}

// The configuration as the converter holds it: the record with its tag's bytes exchanged.
inline QByteArray lineOrder(const ConverterConfig& record) {
    QByteArray bytes(reinterpret_cast<const char*>(record.bytes.data()),
                     static_cast<qsizetype>(record.bytes.size()));
    std::swap(bytes[0], bytes[1]);
    return bytes;
}

inline QByteArray passwordField(const char* password) {
    QByteArray field(static_cast<qsizetype>(kPasswordSize), '\0');
    std::memcpy(field.data(), password, std::strlen(password));
    return field;
}

// Frames the tool sent, from its trace: the OUT lines that start with `prefix`.
inline int sentFrames(const QByteArray& trace, const char* prefix) {
    int n = 0;
    for (const QByteArray& line : trace.split('\n')) {
        n += line.startsWith(QByteArray("OUT: ") + prefix);
    }
    return n;
}

} // namespace vandrel::testing
