#pragma once

#include "config/ConverterConfig.h"

#include <QWidget>

#include <cstddef>
#include <cstdint>

class QLineEdit;

namespace vandrel {

class LanguageManager;

// One page on the right of the configuration tree. It edits its own copy of the record (only
// the page's blocks are used) and takes its control values back into that copy when collected;
// the view decides when the copy goes into the record.
class ConfigPage : public QWidget {
    Q_OBJECT
public:
    ConfigPage(int pageId, const ConverterConfig& record, const LanguageManager& language,
               QWidget* parent);

    int pageId() const { return pageId_; }
    const ConverterConfig& copy() const { return copy_; }

    // Takes the control values into the copy; false when a switched-on field is empty (the copy
    // may then hold some of the new values already).
    virtual bool collect() { return true; }
    // Sets the texts again after a language switch.
    virtual void retranslate();

    // At least the size of the page's form, larger when its controls need more room.
    QSize minimumSizeHint() const override;

protected:
    // Gives the form's controls what every page shares: the character sets and limits of its
    // edits, lists that take the mouse wheel only with the focus, and one Tab stop per radio
    // group. The forms call it right after building their controls.
    void prepareForm();
    // Replaces the numeric texts of the form by the language's texts; the forms call it after
    // building their controls and before filling them.
    void translate();

    const LanguageManager& language() const { return language_; }

    std::uint8_t& byte(std::size_t offset) { return copy_.bytes[offset]; }
    bool bit(std::size_t offset, std::uint8_t mask) const { return (copy_.bytes[offset] & mask); }
    void setBit(std::size_t offset, std::uint8_t mask, bool on);

    // The code field at `offset` as the edit shows it, and back (a shorter text leaves the old
    // characters behind it in place).
    QString codeText(std::size_t offset) const;
    void takeCodeText(std::size_t offset, const QLineEdit* edit);

    // The edit's decimal number; 0 when it holds no number.
    static unsigned EditNumber(const QLineEdit* edit);
    static void SetEditNumber(QLineEdit* edit, unsigned value);
    // A number that went beyond its range is set back to the nearest end; empty counts as 0.
    static void ClampEdit(QLineEdit* edit, unsigned low, unsigned high);

    // Record texts are single-byte characters.
    static QString FromRecordText(const std::string& bytes);
    static std::string ToRecordText(const QString& text);

private:
    int pageId_;
    ConverterConfig copy_;
    const LanguageManager& language_;
};

} // namespace vandrel
