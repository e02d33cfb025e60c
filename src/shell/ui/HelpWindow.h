#pragma once

#include <QUrl>
#include <QWidget>

class QTextBrowser;

namespace vandrel {

class LanguageManager;

// The program's own help viewer, for a desktop that has none: a window of the program showing
// the language's help file. Closing it hides it; showing help again brings it back to the
// front.
class HelpWindow : public QWidget {
    Q_OBJECT
public:
    HelpWindow(const LanguageManager& language, QWidget* owner);

    // Shows `url` (a help file, perhaps with an anchor) and brings the window to the front.
    void showHelp(const QUrl& url);
    // Sets the title again after a language switch and shows `url`, the new language's help,
    // in place of the old one (without bringing the window to the front).
    void retranslate(const QUrl& url);

    QTextBrowser* browser() const { return browser_; }
    QUrl source() const;

private:
    void load(const QUrl& url);

    const LanguageManager& language_;
    QTextBrowser* browser_;
    bool placed_ = false;
};

} // namespace vandrel
