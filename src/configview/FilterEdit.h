#pragma once

#include <QLineEdit>
#include <QString>
#include <QValidator>

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
// outside the set is dropped with a beep. This holds for keys and for the text an input method
// commits. Control characters (Backspace, the clipboard shortcuts) pass, and pasted text is not
// filtered.
//
// Its limit holds for whatever the user puts in: typed keys, input methods, pasting by key, menu
// or middle button. Values the program shows may be wider where that is allowed (setLimit).
class FilterEdit : public QLineEdit {
    Q_OBJECT
public:
    // The code fields of the record hold 20 characters.
    static constexpr int CodeFieldLimit = 20;

    explicit FilterEdit(QWidget* parent = nullptr);

    void setCharacterSet(const QString& set) { characterSet_ = set; }
    const QString& characterSet() const { return characterSet_; }

    // Most characters the user can put in.
    int limit() const { return limit_; }
    // `widestShown` is the most characters a value the program shows may have. Where it is above
    // `limit` (a stored number beyond its range is shown whole, so that its correction sees it),
    // such a value stays as shown until the user changes it, and the user can only shorten it.
    void setLimit(int limit, int widestShown = 0);

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
    void inputMethodEvent(QInputMethodEvent* event) override;
    void focusOutEvent(QFocusEvent* event) override;
    void contextMenuEvent(QContextMenuEvent* event) override;

private:
    // Keeps the limit where the program may show wider values than the user may enter.
    class LimitValidator : public QValidator {
    public:
        explicit LimitValidator(FilterEdit* edit) : QValidator(edit), edit_(edit) {}
        State validate(QString& input, int& pos) const override;

    private:
        const FilterEdit* edit_;
    };

    // Typed text as the set takes it; `refused` tells whether a character was dropped.
    QString filtered(const QString& typed, bool& refused) const;
    // Characters the user can still add when `replaced` of the present ones give way.
    qsizetype room(qsizetype replaced) const;
    // Inserts as much of `text` as the limit leaves room for; false when not all of it fitted.
    bool insertWithinLimit(const QString& text);
    void pasteWithinLimit();

    QString characterSet_;
    int limit_ = CodeFieldLimit;
    LimitValidator* limitValidator_ = nullptr;
    // The text before the change being validated.
    QString previousText_;
};

} // namespace vandrel
