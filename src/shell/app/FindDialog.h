#pragma once

#include <QDialog>

class QCheckBox;
class QLineEdit;
class QPushButton;

namespace vandrel {

class LanguageManager;

// The modeless search box of the monitor log: the text, match case and whole word.
class FindDialog : public QDialog {
    Q_OBJECT
public:
    static constexpr int kMaxText = 127;

    FindDialog(const LanguageManager& language, const QString& text, bool matchCase, bool wholeWord,
               QWidget* owner);

    QString text() const;
    bool matchCase() const;
    bool wholeWord() const;
    QLineEdit* edit() const { return edit_; }
    void retranslate();

signals:
    void findNext();

private:
    const LanguageManager& language_;
    QLineEdit* edit_;
    QCheckBox* matchCase_;
    QCheckBox* wholeWord_;
    QPushButton* next_;
    QPushButton* cancel_;
};

} // namespace vandrel
