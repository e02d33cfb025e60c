#include "configview/ConfigDocument.h"

#include "config/AccessPassword.h"
#include "config/ConfigFile.h"

#include <QFile>

#include <algorithm>

namespace vandrel {

ConfigDocument::ConfigDocument(QObject* parent) : QObject(parent) {}

int ConfigDocument::documentFlags() const {
    return (modified_ ? Modified : 0) | (isEmpty() ? EmptyFlag : 0);
}

void ConfigDocument::setState(Source source, const QString& path, bool modified) {
    if (source == source_ && path == filePath_ && modified == modified_) {
        return;
    }
    source_ = source;
    filePath_ = path;
    modified_ = modified;
    emit stateChanged();
}

void ConfigDocument::startOver(const ConverterConfig& contents, const DeviceInfo& info,
                               Source source, const QString& path, bool modified) {
    record_ = contents;
    saved_ = contents;
    deviceInfo_ = info;
    // The state first: whoever follows `opened` sees the new document whole.
    setState(source, path, modified);
    emit opened();
    emit deviceInfoChanged();
    emit savedRecordChanged();
}

void ConfigDocument::newDocument() {
    ConverterConfig defaults;
    ResetToDefaults(&defaults);
    newDocument(defaults);
}

void ConfigDocument::newDocument(const ConverterConfig& contents) {
    startOver(contents, DeviceInfo{}, Source::New, QString(), false);
}

int ConfigDocument::load(const QString& path) {
    ConverterConfig scratch;
    DeviceInfo scratchInfo;
    const int code =
        ReadConfigFile(QFile::encodeName(path).toStdString(), scratch, &scratchInfo.firmwareVersion,
                       &scratchInfo.loaderVersion, &scratchInfo.systemInfoNumber);
    if (code == kConfigLoaded) {
        startOver(scratch, scratchInfo, Source::File, path, false);
    }
    return code;
}

int ConfigDocument::write(const QString& path) {
    const int code = WriteConfigFile(QFile::encodeName(path).toStdString(), record_, deviceInfo_);
    if (code == kConfigWritten) {
        saved_ = record_;
        setState(Source::File, path, false);
        emit savedRecordChanged();
    }
    return code;
}

int ConfigDocument::save() {
    if (isEmpty()) {
        return kConfigWriteFailed;
    }
    return write(filePath_);
}

int ConfigDocument::saveAs(const QString& path) {
    if (isEmpty() || path.isEmpty()) {
        return kConfigWriteFailed;
    }
    return write(path);
}

void ConfigDocument::takeRead(const ConverterConfig& received) {
    if (isEmpty()) {
        startOver(received, DeviceInfo{}, Source::Converter, QString(), true);
        return;
    }
    record_ = received;
    saved_ = received;
    // A file's document keeps its file: saving it replaces that file's configuration.
    const bool overFile = !filePath_.isEmpty();
    setState(overFile ? Source::ConverterOverFile : Source::Converter, filePath_, true);
    emit recordReplaced();
    emit savedRecordChanged();
}

void ConfigDocument::takeDeviceInfo(const DeviceInfo& info) {
    deviceInfo_ = info;
    emit deviceInfoChanged();
}

void ConfigDocument::close() {
    if (isEmpty()) {
        return;
    }
    setState(Source::Empty, QString(), false);
    emit closed();
}

void ConfigDocument::takeEdits(const ConverterConfig& edited, std::span<const RecordBlock> blocks) {
    if (isEmpty()) {
        return;
    }
    bool changed = false;
    for (const RecordBlock& block : blocks) {
        const auto from = edited.bytes.begin() + static_cast<std::ptrdiff_t>(block.offset);
        const auto to = record_.bytes.begin() + static_cast<std::ptrdiff_t>(block.offset);
        const auto size = static_cast<std::ptrdiff_t>(block.size);
        changed = changed || !std::equal(from, from + size, to);
        std::copy_n(from, size, to);
    }
    if (changed) {
        setState(source_, filePath_, true);
    }
}

void ConfigDocument::stampAccessPassword(std::string_view password) {
    vandrel::stampAccessPassword(record_, password);
}

} // namespace vandrel
