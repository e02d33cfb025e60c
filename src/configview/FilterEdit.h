#pragma once

#include <QLineEdit>
#include <QString>

#include <functional>

namespace vandrel {

// Character sets of the edits on the configuration pages.
namespace CharSet {
inline constexpr char Digits[] = "0123456789";
inline constexpr char DialCodes[] = "0123456789*#,";
inline constexpr char DialCodesN[] = "0123456789*#n,";
inline constexpr char DialCodesR[] = "0123456789*#R,";
inline constexpr char DialCodesRN[] = "0123456789*#Rn,";
} // namespace CharSet

// An edit that takes typed characters only from its character set. A typed letter is matched
// against the set's letters regardless of case and inserted in the set's case; a character
// outside the set is dropped with a beep. Control characters (Backspace, the clipboard
// shortcuts) pass, and pasted text is not filtered.
//
// Its limit holds for what the user types or pastes, not for what the program shows: a stored
// 200 in a two-digit edit is shown as 200, so that its correction to the range sees it whole.
class FilterEdit : public QLineEdit {
    Q_OBJECT
    Q_PROPERTY(int limit READ limit WRITE setLimit)
public:
    // The code fields of the record hold 20 characters.
    static constexpr int CodeFieldLimit = 20;

    explicit FilterEdit(QWidget* parent = nullptr);

    void setCharacterSet(const QString& set) { characterSet_ = set; }
    // Most characters the user can type or paste in.
    int limit() const { return limit_; }
    void setLimit(int limit) { limit_ = limit; }
    const QString& characterSet() const { return characterSet_; }

    // The character to insert for a typed `c`: `c` itself, `c` in the case of a set letter, or
    // nothing (a null QChar) when the set does not hold it.
    static QChar Filter(const QString& set, QChar c);

    // Replaces the warning beep (tests count refused keys with it); null restores the beep.
    static void setBeepHandler(std::function<void()> beep);

signals:
    // The edit lost the keyboard focus: the pages correct numbers out of range here.
    void focusLeft();

protected:
    void keyPressEvent(QKeyEvent* event) override;
    void focusOutEvent(QFocusEvent* event) override;
    void contextMenuEvent(QContextMenuEvent* event) override;

private:
    // Inserts as much of `text` as the limit leaves room for; false when nothing fitted.
    bool insertWithinLimit(const QString& text);
    void pasteWithinLimit();

    QString characterSet_;
    int limit_ = CodeFieldLimit;
};

} // namespace vandrel
