#pragma once

#include <QString>

#include <optional>
#include <string>

class QWidget;

namespace vandrel {

class LanguageManager;
class Prompter;

enum class SourceMode { Open, Save, Compare };
enum class SourceChoice { Converter = 10, File = 11, Cancel = 2 };

// Runs the shell's dialogs through the prompter and answers what the user chose.
class DialogRunner {
public:
    DialogRunner(Prompter& prompter, const LanguageManager& language, QWidget* owner)
        : prompter_(prompter), language_(language), owner_(owner) {}

    SourceChoice chooseSource(SourceMode mode) const;
    // The access password as the converter takes it (one Latin-1 byte per character, at most
    // 32); none on Cancel.
    std::optional<std::string> askPassword() const;
    // A port name, at most 31 characters; none on Cancel.
    std::optional<QString> choosePort(const QString& currentName) const;
    // A language id; none on Cancel or without a selection.
    std::optional<int> chooseLanguage(int currentId) const;
    void showAbout() const;

private:
    Prompter& prompter_;
    const LanguageManager& language_;
    QWidget* owner_;
};

} // namespace vandrel
