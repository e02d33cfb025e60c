// The configuration document on its own: where its record came from, its file, its modified
// flag and the signals the view and the window follow, for every operation from every state.
#include "configview/ConfigDocument.h"
#include "config/ConfigFile.h"

#include "TempDir.h"

#include <QSignalSpy>

#include <gtest/gtest.h>

#include <array>
#include <fstream>
#include <ostream>
#include <string>

using namespace vandrel;
using Source = ConfigDocument::Source;

namespace {

enum class From { Empty, New, File, FileChanged, Converter, ConverterOverFile };
enum class Event {
    New,
    Open,
    OpenMissing,
    OpenDamaged,
    Read,
    Edit,
    EditSame,
    Save,
    SaveAs,
    SaveFails,
    WriteToConverter,
    DeviceInfo,
    Close,
};
// The structural signal an operation gives, if any.
enum class Shown { Nothing, Opened, Replaced, Closed };

struct Transition {
    From from;
    Event event;
    Source source;
    const char* path; // a.dat: the file of the state before; b.dat opened; c.dat saved as
    bool modified;
    Shown shown;
};

void PrintTo(const Transition& t, std::ostream* out) {
    *out << "from " << static_cast<int>(t.from) << " event " << static_cast<int>(t.event);
}

ConverterConfig filled(std::uint8_t value) {
    ConverterConfig r;
    ResetToDefaults(&r);
    r.bytes[ConfigOffset::reserved] = value;
    r.bytes[ConfigOffset::p11Count] = value;
    return r;
}

// Page 11's block.
constexpr std::array kPage11{RecordBlock{ConfigOffset::p11Select, 8}};

class DocumentTransitions : public ::testing::TestWithParam<Transition> {
protected:
    void SetUp() override {
        ASSERT_EQ(WriteConfigFile(file("a.dat"), fileA, DeviceInfo{}), kConfigWritten);
        ASSERT_EQ(WriteConfigFile(file("b.dat"), fileB, DeviceInfo{}), kConfigWritten);
        std::ofstream(file("bad.dat"), std::ios::binary) << std::string(787, 'x');
    }

    std::string file(const char* name) const { return dir.file(name); }
    QString path(const char* name) const {
        return *name == '\0' ? QString() : QString::fromStdString(file(name));
    }

    // Changes p11Count, which page 11 edits.
    void edit() {
        ConverterConfig edited = document.record();
        edited.bytes[ConfigOffset::p11Count] ^= 0x40;
        document.takeEdits(edited, kPage11);
    }

    void reach(From from) {
        switch (from) {
        case From::Empty:
            return;
        case From::New:
            document.newDocument();
            return;
        case From::File:
            ASSERT_EQ(document.load(path("a.dat")), kConfigLoaded);
            return;
        case From::FileChanged:
            ASSERT_EQ(document.load(path("a.dat")), kConfigLoaded);
            edit();
            return;
        case From::Converter:
            document.takeRead(received);
            return;
        case From::ConverterOverFile:
            ASSERT_EQ(document.load(path("a.dat")), kConfigLoaded);
            document.takeRead(received);
            return;
        }
    }

    // Runs the event; answers the operation's result code (0 for those without one).
    int run(Event event) {
        switch (event) {
        case Event::New:
            document.newDocument();
            return 0;
        case Event::Open:
            return document.load(path("b.dat"));
        case Event::OpenMissing:
            return document.load(path("missing.dat"));
        case Event::OpenDamaged:
            return document.load(path("bad.dat"));
        case Event::Read:
            document.takeRead(secondRead);
            return 0;
        case Event::Edit:
            edit();
            return 0;
        case Event::EditSame:
            document.takeEdits(document.record(), kPage11);
            return 0;
        case Event::Save:
            return document.save();
        case Event::SaveAs:
            return document.saveAs(path("c.dat"));
        case Event::SaveFails:
            return document.saveAs(path("no/such/folder/x.dat"));
        case Event::WriteToConverter:
            // All that writing to the converter does to the document.
            document.stampAccessPassword("secret");
            return 0;
        case Event::DeviceInfo: {
            DeviceInfo info;
            SetVersionText(info.firmwareVersion, "V9");
            document.takeDeviceInfo(info);
            return 0;
        }
        case Event::Close:
            document.close();
            return 0;
        }
        return -1;
    }

    TempDir dir;
    const ConverterConfig fileA = filled(0xA0);
    const ConverterConfig fileB = filled(0xB0);
    const ConverterConfig received = filled(0xC0);
    const ConverterConfig secondRead = filled(0xD0);
    ConfigDocument document;
};

TEST_P(DocumentTransitions, LeaveTheDocumentInItsState) {
    const Transition& t = GetParam();
    reach(t.from);
    const ConverterConfig before = document.record();
    const ConverterConfig savedBefore = document.savedRecord();
    const bool wasModified = document.isModified();
    QSignalSpy opened(&document, &ConfigDocument::opened);
    QSignalSpy replaced(&document, &ConfigDocument::recordReplaced);
    QSignalSpy closed(&document, &ConfigDocument::closed);
    QSignalSpy changed(&document, &ConfigDocument::stateChanged);
    const Source sourceBefore = document.source();
    const QString pathBefore = document.filePath();

    const int code = run(t.event);

    EXPECT_EQ(document.source(), t.source);
    EXPECT_EQ(document.filePath(), path(t.path));
    EXPECT_EQ(document.isModified(), t.modified);
    EXPECT_EQ(document.isEmpty(), t.source == Source::Empty);
    EXPECT_EQ(document.documentFlags(),
              (t.modified ? ConfigDocument::Modified : 0) |
                  (t.source == Source::Empty ? ConfigDocument::EmptyFlag : 0));
    EXPECT_EQ(opened.count(), t.shown == Shown::Opened ? 1 : 0);
    EXPECT_EQ(replaced.count(), t.shown == Shown::Replaced ? 1 : 0);
    EXPECT_EQ(closed.count(), t.shown == Shown::Closed ? 1 : 0);
    // The title and the command states hear of every change of source, file or flag.
    const bool stateMoved = document.source() != sourceBefore ||
                            document.filePath() != pathBefore || t.modified != wasModified;
    EXPECT_EQ(changed.count() > 0, stateMoved);

    // What the record holds afterwards.
    switch (t.event) {
    case Event::New: {
        ConverterConfig defaults;
        ResetToDefaults(&defaults);
        EXPECT_EQ(document.record().bytes, defaults.bytes);
        EXPECT_EQ(document.savedRecord().bytes, defaults.bytes);
        break;
    }
    case Event::Open:
        EXPECT_EQ(document.record().bytes, fileB.bytes);
        break;
    case Event::Read:
        EXPECT_EQ(document.record().bytes, secondRead.bytes);
        EXPECT_EQ(document.savedRecord().bytes, secondRead.bytes) << "a read starts anew";
        break;
    case Event::Edit:
        if (t.source != Source::Empty) {
            EXPECT_NE(document.record().bytes, before.bytes);
            EXPECT_EQ(document.savedRecord().bytes, savedBefore.bytes);
        }
        break;
    case Event::Save:
    case Event::SaveAs:
        if (code == kConfigWritten) {
            ConverterConfig reread;
            ASSERT_EQ(ReadConfigFile(document.filePath().toStdString(), reread), kConfigLoaded);
            EXPECT_EQ(reread.bytes, before.bytes);
            EXPECT_EQ(document.savedRecord().bytes, before.bytes);
            break;
        }
        [[fallthrough]];
    case Event::OpenMissing:
    case Event::OpenDamaged:
    case Event::SaveFails:
        // A failure changes nothing at all.
        EXPECT_NE(code, 0);
        EXPECT_EQ(document.record().bytes, before.bytes);
        EXPECT_EQ(document.savedRecord().bytes, savedBefore.bytes);
        EXPECT_EQ(changed.count(), 0);
        break;
    case Event::Close:
        EXPECT_EQ(document.record().bytes, before.bytes) << "the record keeps its contents";
        break;
    case Event::WriteToConverter:
        EXPECT_EQ(std::string(document.record().bytes.begin() + ConfigOffset::password,
                              document.record().bytes.begin() + ConfigOffset::password + 6),
                  "secret");
        break;
    case Event::EditSame:
    case Event::DeviceInfo:
        EXPECT_EQ(document.record().bytes, before.bytes);
        break;
    }
}

constexpr Transition kTransitions[] = {
    // From an empty document.
    {From::Empty, Event::New, Source::New, "", false, Shown::Opened},
    {From::Empty, Event::Open, Source::File, "b.dat", false, Shown::Opened},
    {From::Empty, Event::OpenMissing, Source::Empty, "", false, Shown::Nothing},
    {From::Empty, Event::Read, Source::Converter, "", true, Shown::Opened},
    {From::Empty, Event::Edit, Source::Empty, "", false, Shown::Nothing},
    {From::Empty, Event::Save, Source::Empty, "", false, Shown::Nothing},
    {From::Empty, Event::Close, Source::Empty, "", false, Shown::Nothing},
    // A new document from the defaults.
    {From::New, Event::Edit, Source::New, "", true, Shown::Nothing},
    {From::New, Event::EditSame, Source::New, "", false, Shown::Nothing},
    {From::New, Event::Read, Source::Converter, "", true, Shown::Replaced},
    {From::New, Event::Save, Source::New, "", false, Shown::Nothing}, // it has no file
    {From::New, Event::SaveAs, Source::File, "c.dat", false, Shown::Nothing},
    {From::New, Event::Close, Source::Empty, "", false, Shown::Closed},
    // A file's document.
    {From::File, Event::Read, Source::ConverterOverFile, "a.dat", true, Shown::Replaced},
    {From::File, Event::Open, Source::File, "b.dat", false, Shown::Opened},
    {From::File, Event::OpenDamaged, Source::File, "a.dat", false, Shown::Nothing},
    {From::File, Event::New, Source::New, "", false, Shown::Opened},
    {From::File, Event::WriteToConverter, Source::File, "a.dat", false, Shown::Nothing},
    {From::File, Event::DeviceInfo, Source::File, "a.dat", false, Shown::Nothing},
    {From::File, Event::Close, Source::Empty, "", false, Shown::Closed},
    {From::FileChanged, Event::Save, Source::File, "a.dat", false, Shown::Nothing},
    {From::FileChanged, Event::SaveAs, Source::File, "c.dat", false, Shown::Nothing},
    {From::FileChanged, Event::SaveFails, Source::File, "a.dat", true, Shown::Nothing},
    {From::FileChanged, Event::WriteToConverter, Source::File, "a.dat", true, Shown::Nothing},
    {From::FileChanged, Event::OpenMissing, Source::File, "a.dat", true, Shown::Nothing},
    {From::FileChanged, Event::Close, Source::Empty, "", false, Shown::Closed},
    // Read from the converter into a document without a file.
    {From::Converter, Event::Read, Source::Converter, "", true, Shown::Replaced},
    {From::Converter, Event::Edit, Source::Converter, "", true, Shown::Nothing},
    {From::Converter, Event::WriteToConverter, Source::Converter, "", true, Shown::Nothing},
    {From::Converter, Event::SaveAs, Source::File, "c.dat", false, Shown::Nothing},
    {From::Converter, Event::SaveFails, Source::Converter, "", true, Shown::Nothing},
    // Read from the converter into a file's document: the file is kept and would be replaced.
    {From::ConverterOverFile, Event::Edit, Source::ConverterOverFile, "a.dat", true,
     Shown::Nothing},
    {From::ConverterOverFile, Event::WriteToConverter, Source::ConverterOverFile, "a.dat", true,
     Shown::Nothing},
    {From::ConverterOverFile, Event::Read, Source::ConverterOverFile, "a.dat", true,
     Shown::Replaced},
    {From::ConverterOverFile, Event::Save, Source::File, "a.dat", false, Shown::Nothing},
    {From::ConverterOverFile, Event::SaveAs, Source::File, "c.dat", false, Shown::Nothing},
    {From::ConverterOverFile, Event::SaveFails, Source::ConverterOverFile, "a.dat", true,
     Shown::Nothing},
    {From::ConverterOverFile, Event::OpenDamaged, Source::ConverterOverFile, "a.dat", true,
     Shown::Nothing},
    {From::ConverterOverFile, Event::Open, Source::File, "b.dat", false, Shown::Opened},
    {From::ConverterOverFile, Event::New, Source::New, "", false, Shown::Opened},
    {From::ConverterOverFile, Event::Close, Source::Empty, "", false, Shown::Closed},
};

INSTANTIATE_TEST_SUITE_P(Table, DocumentTransitions, ::testing::ValuesIn(kTransitions));

// The device information: a read into an empty document starts with none; a read into an open
// one keeps what the document had until the converter's own arrives; files carry it.
TEST(ConfigDocument, DeviceInformationTravelsWithTheDocument) {
    TempDir dir;
    const QString path = QString::fromStdString(dir.file("info.dat"));
    ConfigDocument document;
    QSignalSpy infoChanged(&document, &ConfigDocument::deviceInfoChanged);
    document.newDocument();
    DeviceInfo info;
    SetVersionText(info.firmwareVersion, "F1");
    SetVersionText(info.loaderVersion, "L1");
    info.systemInfoNumber = 2;
    document.takeDeviceInfo(info);
    EXPECT_FALSE(document.isModified()) << "the converter's versions are no edit";
    ASSERT_EQ(document.saveAs(path), kConfigWritten);

    document.takeRead(filled(1));
    EXPECT_EQ(VersionTextString(document.deviceInfo().firmwareVersion), "F1");
    document.close();
    document.takeRead(filled(2));
    EXPECT_EQ(VersionTextString(document.deviceInfo().firmwareVersion), "");
    EXPECT_EQ(document.deviceInfo().systemInfoNumber, kUnknownPartition);

    ASSERT_EQ(document.load(path), kConfigLoaded);
    EXPECT_EQ(VersionTextString(document.deviceInfo().loaderVersion), "L1");
    EXPECT_EQ(document.deviceInfo().systemInfoNumber, 2);
    EXPECT_GE(infoChanged.count(), 4);
}

} // namespace
