#pragma once

#include <QString>

#include <optional>
#include <span>
#include <string>

// printf-style formatting of texts that come from language files anyone can edit. The format
// follows the window system's wvsprintf conventions: %[-][#][0][width][.precision][h|l|ll|I64]
// followed by one of c C d i u x X s S, and %% for a percent sign. Each conversion is checked
// against the kind of the argument the caller passes; when the conversions and the arguments do
// not match one to one, the text is shown with its conversions as they stand.
namespace vandrel {

// One argument of a format text: a text ('s') or an integer ('d').
class FormatArg {
public:
    FormatArg(const QString& text) : kind_('s'), text_(text) {}
    FormatArg(const char* text) : kind_('s'), text_(QString::fromUtf8(text)) {}
    FormatArg(const std::string& text) : kind_('s'), text_(QString::fromStdString(text)) {}
    FormatArg(int number) : kind_('d'), number_(number) {}
    FormatArg(unsigned number) : kind_('d'), number_(number) {}
    FormatArg(long number) : kind_('d'), number_(number) {}
    FormatArg(long long number) : kind_('d'), number_(number) {}

    char kind() const { return kind_; }
    const QString& text() const { return text_; }
    long long number() const { return number_; }

private:
    char kind_;
    QString text_;
    long long number_ = 0;
};

// The argument kinds a format expects, one letter per conversion in order ('s' text,
// 'd' integer); empty for a text without conversions. Nothing when the format is malformed
// (an unknown conversion or a lone '%' at the end).
std::optional<std::string> ConversionKinds(const QString& format);

// Formats `format` with `args`, keeping at most `maxChars` characters (negative: no limit).
// When the conversions do not match the kinds of `args`, the format itself is returned.
QString FormatText(const QString& format, std::span<const FormatArg> args, int maxChars = -1);

// `text` cut to at most `maxChars` characters without splitting a surrogate pair
// (negative: unchanged).
QString CutText(QString text, int maxChars);

} // namespace vandrel
