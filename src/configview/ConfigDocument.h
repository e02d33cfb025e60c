#pragma once

#include "config/ConverterConfig.h"
#include "config/DeviceInfo.h"
#include "configview/PageTable.h"

#include <QObject>
#include <QString>

#include <span>
#include <string_view>

namespace vandrel {

// The configuration document: the record being edited, the device information kept beside it,
// where the record came from, the file it belongs to and whether it changed since. It reads and
// writes the files itself; the view, the window title and the command states follow its
// signals. It asks nobody anything: an operation that fails answers its result code and leaves
// the document as it was.
class ConfigDocument : public QObject {
    Q_OBJECT
public:
    // Where the record came from.
    enum class Source {
        Empty,     // no configuration open
        New,       // the defaults (or a given record) without a file
        File,      // opened from, or last saved to, filePath()
        Converter, // read from the converter into a document without a file
        // Read from the converter into a file's document: filePath() is kept, and saving to it
        // replaces that file with the converter's configuration.
        ConverterOverFile,
    };
    enum Flag : int { Modified = 0x1, EmptyFlag = 0x2 };

    explicit ConfigDocument(QObject* parent = nullptr);

    const ConverterConfig& record() const { return record_; }
    // The record as it was opened, read or last saved; edits since then differ from it.
    const ConverterConfig& savedRecord() const { return saved_; }
    const DeviceInfo& deviceInfo() const { return deviceInfo_; }
    Source source() const { return source_; }
    // Empty when the document did not come from, and was not yet saved to, a file.
    const QString& filePath() const { return filePath_; }
    bool isEmpty() const { return source_ == Source::Empty; }
    bool isModified() const { return modified_; }
    // Bit 0 modified, bit 1 empty.
    int documentFlags() const;

    // New: the defaults, no file, unchanged.
    void newDocument();
    // New with `contents` in place of the defaults.
    void newDocument(const ConverterConfig& contents);
    // Opens a configuration file; answers its ConfigReadResult. Anything but kConfigLoaded
    // leaves the document as it was.
    int load(const QString& path);
    // Writes the document to its own file; answers its ConfigWriteResult. A failed write leaves
    // the document as it was (modified, same file).
    int save();
    // Writes the document to `path`, which becomes its file on success.
    int saveAs(const QString& path);
    // A complete record read from the converter replaces the record. An empty document becomes
    // a new one without a file; an open one keeps its file and device information. Either way
    // the document counts as changed.
    void takeRead(const ConverterConfig& received);
    // The converter's versions and partition; no change to the record.
    void takeDeviceInfo(const DeviceInfo& info);
    // Empties the document; the record keeps its contents.
    void close();
    // The values of a page: `blocks` of `edited` go into the record. The document counts as
    // changed when any byte differs.
    void takeEdits(const ConverterConfig& edited, std::span<const RecordBlock> blocks);
    // The session's access password goes into the record's password field, as every write of
    // the record does; this alone is no change of the document.
    void stampAccessPassword(std::string_view password);

signals:
    // A record to start over with: New, Open, or a read into an empty document.
    void opened();
    // A read from the converter replaced the record of an open document.
    void recordReplaced();
    // The document became empty.
    void closed();
    // Source, file or modified flag changed.
    void stateChanged();
    // The device information changed.
    void deviceInfoChanged();
    // savedRecord() changed: the document was opened, read or saved.
    void savedRecordChanged();

private:
    void setState(Source source, const QString& path, bool modified);
    void startOver(const ConverterConfig& contents, const DeviceInfo& info, Source source,
                   const QString& path, bool modified);
    int write(const QString& path);

    ConverterConfig record_;
    ConverterConfig saved_;
    DeviceInfo deviceInfo_;
    Source source_ = Source::Empty;
    QString filePath_;
    bool modified_ = false;
};

} // namespace vandrel
