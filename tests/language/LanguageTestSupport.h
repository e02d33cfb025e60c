#pragma once

#include "language/LanguageManager.h"

#include "TempDir.h"

#include <QDir>
#include <QString>

#include <fstream>
#include <string>
#include <vector>

namespace vandrel::test {

inline void writeFile(const std::filesystem::path& path, const std::string& bytes) {
    std::filesystem::create_directories(path.parent_path());
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out << bytes;
}

// The shipped lang/ folder of the source tree.
inline QString shippedLangFolder() {
    return QStringLiteral(VANDREL_SOURCE_DIR "/lang");
}

// Runs a test in a folder of its own as the current directory, and goes back afterwards.
class WorkFolder {
public:
    WorkFolder() : previous_(QDir::currentPath()) {
        QDir::setCurrent(QString::fromStdString(dir_.path().string()));
    }
    ~WorkFolder() { QDir::setCurrent(previous_); }
    WorkFolder(const WorkFolder&) = delete;
    WorkFolder& operator=(const WorkFolder&) = delete;

    std::filesystem::path path(const std::string& name) const { return dir_.path() / name; }
    QString qpath(const std::string& name) const { return QString::fromStdString(path(name)); }
    void write(const std::string& name, const std::string& bytes) const {
        writeFile(path(name), bytes);
    }

private:
    TempDir dir_;
    QString previous_;
};

// Stands in for the message box: records what would be shown and answers `answer`.
struct MessageLog {
    std::vector<MessageRequest> shown;
    int answer = ResultOk;

    MessageHandler handler() {
        return [this](const MessageRequest& request) {
            shown.push_back(request);
            return answer;
        };
    }
};

// A manager that finds no LANG.INI outside the current directory and shows no real dialogs.
inline void isolate(LanguageManager& lm, MessageLog& log) {
    lm.setLanguageFolders({});
    lm.setMessageHandler(log.handler());
    lm.setHelpOpener([](const QUrl&) { return true; });
}

} // namespace vandrel::test
