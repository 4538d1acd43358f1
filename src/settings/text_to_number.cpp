#include "settings/text_to_number.h"

#include "common/error.h"

#include <cfenv>
#include <charconv>
#include <cmath>
#include <limits>

namespace tavrune {

namespace {

bool isDigitIn(char16_t c, int base)
{
    if (c >= u'0' && c <= u'9') {
        return c - u'0' < base;
    }
    if (base == 16) {
        return (c >= u'a' && c <= u'f') || (c >= u'A' && c <= u'F');
    }
    return false;
}

int digitValue(char16_t c)
{
    if (c >= u'0' && c <= u'9') {
        return c - u'0';
    }
    if (c >= u'a' && c <= u'f') {
        return c - u'a' + 10;
    }
    return c - u'A' + 10;
}

[[noreturn]] void throwOverflow(const QString& text)
{
    throw Error(ErrorNumber::Overflow,
                QStringLiteral("数値が大きすぎます: \"%1\"").arg(text.left(100)));
}

double readInBase(const QString& s, qsizetype pos, int base, const QString& original)
{
    double value = 0;
    while (pos < s.size() && isDigitIn(s.at(pos).unicode(), base)) {
        value = value * base + digitValue(s.at(pos).unicode());
        ++pos;
    }
    if (!std::isfinite(value)) {
        throwOverflow(original);
    }
    return value;
}

template <typename Int> Int roundToInt(double value, const QString& text, const QString& what)
{
    // nearbyint follows the current rounding mode, which is to-nearest-even by
    // default; make that explicit so a caller's mode cannot change the result.
    const int oldMode = std::fegetround();
    std::fesetround(FE_TONEAREST);
    const double rounded = std::nearbyint(value);
    std::fesetround(oldMode);
    if (rounded < static_cast<double>(std::numeric_limits<Int>::min()) ||
        rounded > static_cast<double>(std::numeric_limits<Int>::max())) {
        throw Error(ErrorNumber::Overflow,
                    QStringLiteral("%1 の値 \"%2\" は %3 から %4 の範囲にありません。")
                        .arg(what, text.left(100))
                        .arg(std::numeric_limits<Int>::min())
                        .arg(std::numeric_limits<Int>::max()));
    }
    return static_cast<Int>(rounded);
}

} // namespace

double textToNumber(const QString& text)
{
    QString s;
    s.reserve(text.size());
    for (QChar c : text) {
        if (c != u' ' && c != u'\t' && c != u'\n') {
            s.append(c);
        }
    }

    if (s.size() >= 2 && s.at(0) == u'&') {
        const char16_t marker = s.at(1).toUpper().unicode();
        if (marker == u'H') {
            return readInBase(s, 2, 16, text);
        }
        if (marker == u'O') {
            return readInBase(s, 2, 8, text);
        }
        return 0;
    }

    // Collect the recognised part in a canonical form that strtod-style parsing
    // accepts, so that "1.", ".5" and "2D3" all read as intended.
    QByteArray canonical;
    qsizetype pos = 0;
    if (pos < s.size() && (s.at(pos) == u'+' || s.at(pos) == u'-')) {
        if (s.at(pos) == u'-') {
            canonical.append('-');
        }
        ++pos;
    }
    bool anyDigit = false;
    QByteArray digits;
    while (pos < s.size() && isDigitIn(s.at(pos).unicode(), 10)) {
        digits.append(static_cast<char>(s.at(pos).unicode()));
        ++pos;
        anyDigit = true;
    }
    canonical.append(digits.isEmpty() ? QByteArray("0") : digits);
    if (pos < s.size() && s.at(pos) == u'.') {
        ++pos;
        QByteArray fraction;
        while (pos < s.size() && isDigitIn(s.at(pos).unicode(), 10)) {
            fraction.append(static_cast<char>(s.at(pos).unicode()));
            ++pos;
            anyDigit = true;
        }
        if (!fraction.isEmpty()) {
            canonical.append('.').append(fraction);
        }
    }
    if (!anyDigit) {
        return 0;
    }
    if (pos < s.size() && (s.at(pos).toUpper() == u'E' || s.at(pos).toUpper() == u'D')) {
        qsizetype expPos = pos + 1;
        QByteArray exponent("e");
        if (expPos < s.size() && (s.at(expPos) == u'+' || s.at(expPos) == u'-')) {
            if (s.at(expPos) == u'-') {
                exponent.append('-');
            }
            ++expPos;
        }
        bool expDigits = false;
        while (expPos < s.size() && isDigitIn(s.at(expPos).unicode(), 10)) {
            exponent.append(static_cast<char>(s.at(expPos).unicode()));
            ++expPos;
            expDigits = true;
        }
        if (expDigits) {
            canonical.append(exponent);
        }
    }
    // from_chars is locale independent, unlike strtod.
    double value = 0;
    const auto [end, ec] =
        std::from_chars(canonical.constData(), canonical.constData() + canonical.size(), value);
    Q_UNUSED(end);
    if (ec == std::errc::result_out_of_range) {
        if (canonical.contains("e-")) {
            return 0; // too small to represent: reads as zero
        }
        throwOverflow(text);
    }
    return value;
}

qint16 textToInt16(const QString& text, const QString& what)
{
    return roundToInt<qint16>(textToNumber(text), text, what);
}

qint32 textToInt32(const QString& text, const QString& what)
{
    return roundToInt<qint32>(textToNumber(text), text, what);
}

} // namespace tavrune
