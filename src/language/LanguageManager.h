#pragma once

#include "language/MessageStyle.h"
#include "language/ProfileFile.h"
#include "language/TextFormat.h"

#include <QString>
#include <QStringList>
#include <QUrl>

#include <functional>
#include <initializer_list>
#include <optional>
#include <span>

class QMenu;
class QMenuBar;
class QWidget;

namespace vandrel {

// Finds the language file of the chosen language through LANG.INI, checks its version and
// answers lookups of texts by number. Translates widget trees and menus whose texts are those
// numbers, remembering on each widget which number it shows so that a language switch can
// translate an open window again. One process-wide object, used from the GUI thread only.
//
// While `failed` is set (after a failed Load) every lookup gives an empty text and false,
// translations do nothing and message boxes are not shown.
class LanguageManager {
public:
    // No limit on the length of a looked-up text.
    static constexpr int NoLimit = -1;
    // Room for a window or control text.
    static constexpr int ControlTextChars = 259;
    // The one language file version this program reads.
    static constexpr char Version[] = "1.3.2.0";
    // Dynamic property that keeps the translation number of a widget (0: not translated).
    static constexpr char TextIdProperty[] = "vandrelTextId";

    // Opens the help with a desktop viewer; false when there is none.
    using HelpOpener = std::function<bool(const QUrl&)>;
    // Shows the help in the program's own viewer.
    using HelpViewer = std::function<void(const QUrl&)>;

    LanguageManager();
    virtual ~LanguageManager();
    LanguageManager(const LanguageManager&) = delete;
    LanguageManager& operator=(const LanguageManager&) = delete;

    // Folders searched for LANG.INI after the current directory; by default
    // DefaultLanguageFolders().
    void setLanguageFolders(const QStringList& folders);
    // Replaces the real message box (null restores it).
    void setMessageHandler(MessageHandler handler);
    // Replaces opening the help with the desktop's viewer (null restores it).
    void setHelpOpener(HelpOpener opener);
    // Where the help goes when no desktop viewer takes it (null: nowhere).
    void setHelpViewer(HelpViewer viewer);

    // Full path of the LANG.INI in use: the current directory's, else the first of the language
    // folders that has one; empty when there is none.
    QString IndexFilePath() const;

    // Number of languages in LANG.INI (0 when it is missing), at most 255.
    int LanguageCount() const;
    // With `name`: the language's display name (at most 63 characters); false when empty.
    // With `path`: the full path of its language file; false when LANG.INI names none.
    bool LanguageInfo(int id, QString* name, QString* path) const;
    // The language's help file; false when it has none.
    bool HelpFileOf(int id, QString& helpFile) const;
    // Loads the language `id`; on failure shows one of three fixed English messages, sets
    // `failed` and answers false.
    bool Load(int id);
    // Loads the language `id` in place of the one in use. When it does not load, the reason is
    // shown as by Load and the language in use stays as it was (texts, language and help file).
    bool Switch(int id);

    bool failed() const { return failed_; }
    const QString& languageFile() const { return languageFile_; }
    const QString& helpFile() const { return helpFile_; }

    // "strings" / number, each backslash-n pair shown as a space and a line feed. A missing
    // key gives an empty text and true. At most `maxChars` characters.
    bool Text(int number, QString& text, int maxChars = NoLimit) const;
    QString Text(int number, int maxChars = NoLimit) const;
    // Text of a standard button: ResultOk, ResultCancel, ResultYes or ResultNo.
    bool ButtonText(int button, QString& text) const;
    // Tooltip of the toolbar commands New, Open, Save and Help; false for any other command.
    bool Tooltip(int command, QString& text, int maxChars = NoLimit) const;

    // Shows text `textNumber` with the caption `titleNumber` (0: the program title) and answers
    // the button pressed; 0 without showing anything while `failed` is set.
    int MessageBox(int textNumber, int titleNumber, MessageStyle style) const;
    // The same with the text used as a format for `args`.
    int FormatMessageBox(int textNumber, int titleNumber, MessageStyle style,
                         std::initializer_list<FormatArg> args) const;
    // The message that MessageBox and FormatMessageBox would show, for a caller that shows it
    // without waiting; none while `failed` is set.
    std::optional<MessageRequest> Message(int textNumber, int titleNumber, MessageStyle style,
                                          std::span<const FormatArg> args = {}) const;

    // Replaces the numeric texts of `window` (its title) and of all its child widgets (labels,
    // buttons, check boxes, group boxes; not child windows) by the texts with those numbers.
    void TranslateWindow(QWidget* window) const;
    // Sets the texts of `window` and its children again from their kept numbers.
    // Both also name the controls for assistive technology (AccessibleNames), so the names
    // follow the texts.
    void RetranslateWindow(QWidget* window) const;
    // Replaces the menu labels (numbers) by their "menus" texts; in drop-downs the first
    // backslash of a text starts the shortcut column. A translated menu has lost its numbers:
    // build it again from its description before translating it anew.
    void TranslateMenuBar(QMenuBar* menuBar) const;
    void TranslateMenu(QMenu* menu) const;

    // The language's help file: at its index (the anchor "index") when a contents file (the
    // name ending in "cnt" instead of its three-letter extension) exists, else at its start.
    // Empty when the language has no help file.
    QUrl HelpUrl() const;
    // Opens HelpUrl with the desktop's viewer for its type; when there is none, or it fails,
    // the help viewer shows it. Nothing when the language has no help file. A failure of the
    // desktop's viewer can be known only after this returns; it is not reported once `owner`
    // is gone.
    void ShowHelp(QWidget* owner) const;

private:
    std::optional<ProfileFile> readIndex(QString* folder) const;
    bool lookup(const char* section, const QString& key, QString& text) const;
    MessageRequest request(const QString& title, const QString& text, MessageStyle style) const;
    void showFixedError(const QString& text) const;

    std::optional<QStringList> languageFolders_;
    MessageHandler messageHandler_;
    HelpOpener helpOpener_;
    HelpViewer helpViewer_;

    bool failed_ = false;
    QString languageFile_;
    QString helpFile_;
    ProfileFile strings_;
};

} // namespace vandrel
