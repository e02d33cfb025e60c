#include "language/LanguageManager.h"

#include "config/FileHelpers.h"
#include "language/DesktopOpener.h"
#include "language/LanguageFolders.h"
#include "language/TextIds.h"

#include <QDir>
#include <QFileInfo>
#include <QLoggingCategory>
#include <QStringDecoder>
#include <QWidget>

#include <algorithm>
#include <iterator>
#include <string>

namespace vandrel {

namespace {

Q_LOGGING_CATEGORY(languageLog, "vandrel.language", QtWarningMsg)

// Language ids are kept in 8 bits by the settings; more languages could never be chosen.
constexpr long long MaxLanguages = 255;
constexpr int NameChars = 63;
constexpr int VersionChars = 31;
constexpr int TitleChars = 127;
constexpr int MessageChars = 1023;

// Language files are UTF-8; a value that is not reads as empty rather than as mangled text.
QString decode(const std::string* bytes) {
    if (bytes == nullptr) {
        return {};
    }
    QStringDecoder decoder(QStringDecoder::Utf8, QStringDecoder::Flag::Stateless);
    QString text = decoder.decode(QByteArrayView(bytes->data(), qsizetype(bytes->size())));
    return decoder.hasError() ? QString() : text;
}

std::string key(int number) {
    return std::to_string(number);
}

// A relative path in LANG.INI is taken from the folder that holds LANG.INI (which is the
// current directory whenever the current directory has one).
QString resolve(const QString& folder, const QString& path) {
    return QDir::isAbsolutePath(path) ? path : QDir(folder).filePath(path);
}

void applyLineBreaks(QString& text) {
    for (qsizetype i = 0; i + 1 < text.size(); ++i) {
        if (text[i] == QLatin1Char('\\') && text[i + 1] == QLatin1Char('n')) {
            text[i] = QLatin1Char(' ');
            text[i + 1] = QLatin1Char('\n');
            ++i;
        }
    }
}

} // namespace

LanguageManager::LanguageManager() = default;

// The help opens in the desktop's viewer, which is a program of its own: nothing to close.
LanguageManager::~LanguageManager() = default;

void LanguageManager::setLanguageFolders(const QStringList& folders) {
    languageFolders_ = folders;
}

void LanguageManager::setMessageHandler(MessageHandler handler) {
    messageHandler_ = std::move(handler);
}

void LanguageManager::setHelpOpener(HelpOpener opener) {
    helpOpener_ = std::move(opener);
}

void LanguageManager::setHelpViewer(HelpViewer viewer) {
    helpViewer_ = std::move(viewer);
}

QString LanguageManager::IndexFilePath() const {
    QStringList folders{QDir::currentPath()};
    folders << (languageFolders_ ? *languageFolders_ : DefaultLanguageFolders());
    for (const QString& folder : folders) {
        const QString path = QDir(folder).filePath(QLatin1String(IndexFileName));
        if (FileExists(path.toStdString())) {
            return path;
        }
    }
    return {};
}

std::optional<ProfileFile> LanguageManager::readIndex(QString* folder) const {
    const QString path = IndexFilePath();
    ProfileFile index;
    if (path.isEmpty() || !index.Read(path.toStdString())) {
        return std::nullopt;
    }
    if (folder != nullptr) {
        *folder = QFileInfo(path).absolutePath();
    }
    return index;
}

int LanguageManager::LanguageCount() const {
    const auto index = readIndex(nullptr);
    if (!index) {
        return 0;
    }
    const long long count = index->GetInt("general", "num_languages", 0);
    return static_cast<int>(std::clamp(count, 0LL, MaxLanguages));
}

bool LanguageManager::LanguageInfo(int id, QString* name, QString* path) const {
    QString folder;
    const auto index = readIndex(&folder);
    if (!index) {
        return false;
    }
    if (name != nullptr) {
        *name = CutText(decode(index->Find("language names", key(id))), NameChars);
        if (name->isEmpty()) {
            return false;
        }
    }
    if (path != nullptr) {
        const QString file = decode(index->Find("language files", key(id)));
        if (file.isEmpty()) {
            path->clear();
            return false;
        }
        QString directory = decode(index->Find("general", "directory"));
        directory = directory.isEmpty() ? folder : resolve(folder, directory);
        *path = QDir(directory).filePath(file);
    }
    return true;
}

bool LanguageManager::HelpFileOf(int id, QString& helpFile) const {
    QString folder;
    const auto index = readIndex(&folder);
    helpFile.clear();
    if (index) {
        const QString file = decode(index->Find("help files", key(id)));
        if (!file.isEmpty()) {
            helpFile = resolve(folder, file);
        }
    }
    return !helpFile.isEmpty();
}

void LanguageManager::showFixedError(const QString& text) const {
    MessageStyle style;
    style.icon = MessageIcon::Error;
    const MessageRequest message = request(QStringLiteral("Error"), text, style);
    messageHandler_ ? messageHandler_(message) : ShowMessageBox(message);
}

bool LanguageManager::Load(int id) {
    strings_ = ProfileFile();
    QString path;
    if (!LanguageInfo(id, nullptr, &path)) {
        languageFile_.clear();
        failed_ = true;
        showFixedError(QStringLiteral("Cannot find language setting!"));
        return false;
    }
    if (!FileExists(path.toStdString())) {
        languageFile_.clear();
        failed_ = true;
        showFixedError(QStringLiteral("Cannot find language file %1!").arg(path));
        return false;
    }
    // Which files a run uses is shown with QT_LOGGING_RULES="vandrel.language.info=true".
    qCInfo(languageLog, "language index %s, language file %s", qUtf8Printable(IndexFilePath()),
           qUtf8Printable(path));
    languageFile_ = path;
    ProfileFile file;
    file.Read(path.toStdString());
    const std::string* version = file.Find("general", "version");
    const std::string found = version ? version->substr(0, VersionChars) : "0.0.0.0";
    if (found != Version) {
        failed_ = true;
        showFixedError(QStringLiteral("Incompatible version of the language file!"));
        return false;
    }
    strings_ = std::move(file);
    failed_ = false;
    HelpFileOf(id, helpFile_);
    return true;
}

bool LanguageManager::Switch(int id) {
    ProfileFile strings = strings_;
    const bool failed = failed_;
    const QString languageFile = languageFile_;
    const QString helpFile = helpFile_;
    if (Load(id)) {
        return true;
    }
    strings_ = std::move(strings);
    failed_ = failed;
    languageFile_ = languageFile;
    helpFile_ = helpFile;
    return false;
}

bool LanguageManager::lookup(const char* section, const QString& key, QString& text) const {
    text.clear();
    if (failed_) {
        return false;
    }
    text = decode(strings_.Find(section, key.toStdString()));
    return true;
}

bool LanguageManager::Text(int number, QString& text, int maxChars) const {
    if (!lookup("strings", QString::number(number), text)) {
        return false;
    }
    text = CutText(text, maxChars);
    applyLineBreaks(text);
    return true;
}

QString LanguageManager::Text(int number, int maxChars) const {
    QString text;
    Text(number, text, maxChars);
    return text;
}

bool LanguageManager::ButtonText(int button, QString& text) const {
    text.clear();
    switch (button) {
    case ResultOk:
        return Text(text::ButtonOk, text);
    case ResultCancel:
        return Text(text::ButtonCancel, text);
    case ResultYes:
        return Text(text::ButtonYes, text);
    case ResultNo:
        return Text(text::ButtonNo, text);
    default:
        return false;
    }
}

bool LanguageManager::Tooltip(int command, QString& text, int maxChars) const {
    // Toolbar commands New, Open, Save, Help and Compare, in the order of their tooltip numbers.
    static constexpr int commands[] = {0xE100, 0xE101, 0xE103, 0xE142, 0x8041};
    text.clear();
    for (int i = 0; i < static_cast<int>(std::size(commands)); ++i) {
        if (commands[i] == command) {
            const bool ok = lookup("tooltips", QString::number(text::tip::New + i), text);
            text = CutText(text, maxChars);
            return ok;
        }
    }
    return false;
}

MessageRequest LanguageManager::request(const QString& title, const QString& text,
                                        MessageStyle style) const {
    MessageRequest request{title, text, style, {}, {}, {}, {}};
    ButtonText(ResultOk, request.okText);
    ButtonText(ResultCancel, request.cancelText);
    ButtonText(ResultYes, request.yesText);
    ButtonText(ResultNo, request.noText);
    return request;
}

int LanguageManager::MessageBox(int textNumber, int titleNumber, MessageStyle style) const {
    return FormatMessageBox(textNumber, titleNumber, style, {});
}

int LanguageManager::FormatMessageBox(int textNumber, int titleNumber, MessageStyle style,
                                      std::initializer_list<FormatArg> args) const {
    const std::optional<MessageRequest> message =
        Message(textNumber, titleNumber, style, std::span(args.begin(), args.size()));
    if (!message) {
        return NoResult;
    }
    return messageHandler_ ? messageHandler_(*message) : ShowMessageBox(*message);
}

std::optional<MessageRequest> LanguageManager::Message(int textNumber, int titleNumber,
                                                       MessageStyle style,
                                                       std::span<const FormatArg> args) const {
    if (failed_) {
        return std::nullopt;
    }
    const QString title = Text(titleNumber == 0 ? 1 : titleNumber, TitleChars);
    const QString text = Text(textNumber, MessageChars);
    return request(title, args.empty() ? text : FormatText(text, args, MessageChars), style);
}

QUrl LanguageManager::HelpUrl() const {
    if (helpFile_.isEmpty()) {
        return QUrl();
    }
    QUrl url = QUrl::fromLocalFile(QFileInfo(helpFile_).absoluteFilePath());
    const qsizetype n = helpFile_.size();
    if (n > 4 && helpFile_[n - 4] == QLatin1Char('.')) {
        const QString contents = helpFile_.left(n - 3) + QStringLiteral("cnt");
        if (QFileInfo(contents).isFile()) {
            url.setFragment(QStringLiteral("index"));
        }
    }
    return url;
}

void LanguageManager::ShowHelp(QWidget* owner) const {
    const QUrl url = HelpUrl();
    if (url.isEmpty()) {
        return;
    }
    const HelpViewer own = helpViewer_;
    if (helpOpener_) {
        if (!helpOpener_(url) && own) {
            own(url);
        }
        return;
    }
    DesktopOpener::Open(url, owner, [url, own](bool opened) {
        if (!opened && own) {
            own(url);
        }
    });
}

} // namespace vandrel
