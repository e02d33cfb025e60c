#include "language/TextFormat.h"

#include <algorithm>
#include <cstdint>

namespace vandrel {

namespace {

// Widths and precisions beyond this add nothing to a message of at most 1024 characters.
constexpr int MaxFieldWidth = 1024;

enum class Size { Default, Short, Long64 };

struct Conversion {
    bool leftAlign = false;
    bool alternate = false;
    bool zeroPad = false;
    int width = 0;
    int precision = -1;
    Size size = Size::Default;
    char type = 0;
};

// Parses the conversion that starts after the '%' at `pos`; on success `pos` is left after it.
std::optional<Conversion> parseConversion(const QString& f, qsizetype& pos) {
    Conversion c;
    auto at = [&](qsizetype i) { return i < f.size() ? f[i].unicode() : char16_t(0); };
    for (;; ++pos) {
        const char16_t ch = at(pos);
        if (ch == '-') {
            c.leftAlign = true;
        } else if (ch == '#') {
            c.alternate = true;
        } else if (ch == '0') {
            c.zeroPad = true;
        } else {
            break;
        }
    }
    auto number = [&]() {
        int n = 0;
        while (at(pos) >= '0' && at(pos) <= '9') {
            n = std::min(n * 10 + (at(pos) - '0'), MaxFieldWidth);
            ++pos;
        }
        return n;
    };
    c.width = number();
    if (at(pos) == '.') {
        ++pos;
        c.precision = number();
    }
    if (at(pos) == 'h') {
        c.size = Size::Short;
        ++pos;
    } else if (at(pos) == 'l') {
        ++pos;
        if (at(pos) == 'l') {
            c.size = Size::Long64;
            ++pos;
        }
    } else if (at(pos) == 'I' && at(pos + 1) == '6' && at(pos + 2) == '4') {
        c.size = Size::Long64;
        pos += 3;
    }
    const char16_t type = at(pos);
    switch (type) {
    case 'c':
    case 'C':
    case 'd':
    case 'i':
    case 'u':
    case 'x':
    case 'X':
    case 's':
    case 'S':
        c.type = static_cast<char>(type);
        ++pos;
        return c;
    default:
        return std::nullopt;
    }
}

char kindOf(char type) {
    return type == 's' || type == 'S' ? 's' : 'd';
}

QString pad(QString body, const Conversion& c, bool numeric) {
    if (body.size() >= c.width) {
        return body;
    }
    const qsizetype fill = c.width - body.size();
    if (c.leftAlign) {
        return body + QString(fill, QLatin1Char(' '));
    }
    if (c.zeroPad && numeric) {
        // Zeros go between a sign or 0x prefix and the digits.
        qsizetype at = 0;
        if (body.startsWith(QLatin1Char('-'))) {
            at = 1;
        } else if (body.startsWith(QLatin1String("0x")) || body.startsWith(QLatin1String("0X"))) {
            at = 2;
        }
        return body.insert(at, QString(fill, QLatin1Char('0')));
    }
    return QString(fill, QLatin1Char(' ')) + body;
}

QString formatNumber(const Conversion& c, long long value) {
    if (c.type == 'c' || c.type == 'C') {
        const char32_t code = static_cast<char32_t>(value & 0x1FFFFF);
        const bool valid = code != 0 && code <= 0x10FFFF && (code < 0xD800 || code > 0xDFFF);
        return pad(valid ? QString::fromUcs4(&code, 1) : QString(), c, false);
    }
    const bool isSigned = c.type == 'd' || c.type == 'i';
    std::int64_t s = value;
    std::uint64_t u = static_cast<std::uint64_t>(value);
    switch (c.size) {
    case Size::Short:
        s = static_cast<std::int16_t>(value);
        u = static_cast<std::uint16_t>(value);
        break;
    case Size::Default:
        s = static_cast<std::int32_t>(value);
        u = static_cast<std::uint32_t>(value);
        break;
    case Size::Long64:
        break;
    }
    QString digits;
    bool negative = false;
    if (isSigned) {
        negative = s < 0;
        const std::uint64_t magnitude = negative ? std::uint64_t(0) - static_cast<std::uint64_t>(s)
                                                 : static_cast<std::uint64_t>(s);
        digits = QString::number(magnitude);
    } else if (c.type == 'u') {
        digits = QString::number(u);
    } else {
        digits = QString::number(u, 16);
        if (c.type == 'X') {
            digits = digits.toUpper();
        }
    }
    if (c.precision >= 0 && digits.size() < c.precision) {
        digits.prepend(QString(c.precision - digits.size(), QLatin1Char('0')));
    }
    if (c.alternate && (c.type == 'x' || c.type == 'X') && u != 0) {
        digits.prepend(c.type == 'x' ? QLatin1String("0x") : QLatin1String("0X"));
    }
    if (negative) {
        digits.prepend(QLatin1Char('-'));
    }
    return pad(digits, c, c.precision < 0);
}

} // namespace

std::optional<std::string> ConversionKinds(const QString& format) {
    std::string kinds;
    for (qsizetype pos = 0; pos < format.size();) {
        if (format[pos] != QLatin1Char('%')) {
            ++pos;
            continue;
        }
        ++pos;
        if (pos < format.size() && format[pos] == QLatin1Char('%')) {
            ++pos;
            continue;
        }
        const auto c = parseConversion(format, pos);
        if (!c) {
            return std::nullopt;
        }
        kinds.push_back(kindOf(c->type));
    }
    return kinds;
}

QString FormatText(const QString& format, std::span<const FormatArg> args, int maxChars) {
    const auto kinds = ConversionKinds(format);
    bool matches = kinds && kinds->size() == args.size();
    for (std::size_t i = 0; matches && i < args.size(); ++i) {
        matches = (*kinds)[i] == args[i].kind();
    }
    if (!matches) {
        return CutText(format, maxChars);
    }
    QString out;
    std::size_t next = 0;
    for (qsizetype pos = 0; pos < format.size();) {
        if (maxChars >= 0 && out.size() > maxChars) {
            break;
        }
        const QChar ch = format[pos++];
        if (ch != QLatin1Char('%')) {
            out.append(ch);
            continue;
        }
        if (format[pos] == QLatin1Char('%')) {
            out.append(QLatin1Char('%'));
            ++pos;
            continue;
        }
        const Conversion c = *parseConversion(format, pos);
        const FormatArg& arg = args[next++];
        if (kindOf(c.type) == 's') {
            QString text = arg.text();
            if (c.precision >= 0) {
                text = CutText(text, c.precision);
            }
            out.append(pad(text, c, false));
        } else {
            out.append(formatNumber(c, arg.number()));
        }
    }
    return CutText(out, maxChars);
}

QString CutText(QString text, int maxChars) {
    if (maxChars < 0 || text.size() <= maxChars) {
        return text;
    }
    qsizetype n = maxChars;
    if (n > 0 && text[n - 1].isHighSurrogate()) {
        --n;
    }
    text.truncate(n);
    return text;
}

} // namespace vandrel
