#include "common/cp932_text.h"

#include <QStringDecoder>
#include <QStringEncoder>

namespace tavrune {

namespace {

// ICU's name for the Windows flavour of Shift JIS (the NEC and IBM extensions
// included, U+FF5E for 0x8160).
constexpr char kCodecName[] = "windows-31j";

// Stateless converters report a sequence cut off at the end as an error instead of
// keeping it for a later call.
constexpr auto kFlags = QStringConverter::Flag::Stateless;

// Characters that Mac and Linux input methods give where Windows input gives a
// code page 932 character that looks the same; the Japanese Windows conversion
// writes them as that character, and so do we.
constexpr struct
{
    char16_t from;
    char16_t to;
} kLookAlikes[] = {
    {u'\u301C', u'\uFF5E'}, // WAVE DASH → FULLWIDTH TILDE (0x8160)
    {u'\u2016', u'\u2225'}, // DOUBLE VERTICAL LINE → PARALLEL TO (0x8161)
    {u'\u2212', u'\uFF0D'}, // MINUS SIGN → FULLWIDTH HYPHEN-MINUS (0x817C)
    {u'\u00A2', u'\uFFE0'}, // CENT SIGN → FULLWIDTH CENT SIGN (0x8191)
    {u'\u00A3', u'\uFFE1'}, // POUND SIGN → FULLWIDTH POUND SIGN (0x8192)
    {u'\u00AC', u'\uFFE2'}, // NOT SIGN → FULLWIDTH NOT SIGN (0x81CA)
    {u'\u2014', u'\u2015'}, // EM DASH → HORIZONTAL BAR (0x815C)
};

QString withLookAlikesReplaced(QStringView text)
{
    QString replaced = text.toString();
    char16_t* data = reinterpret_cast<char16_t*>(replaced.data());
    for (qsizetype i = 0; i < replaced.size(); ++i) {
        if (data[i] < 0x80) {
            continue;
        }
        for (const auto& lookAlike : kLookAlikes) {
            if (data[i] == lookAlike.from) {
                data[i] = lookAlike.to;
                break;
            }
        }
    }
    return replaced;
}

// Whether the converter writes the character as its own single byte: ASCII but
// three control characters, which ICU's table for this code page exchanges.
bool passesThrough(char16_t c)
{
    return c < 0x80 && c != 0x1A && c != 0x1C && c != 0x7F;
}

// The length of the run of characters from start on that pass through.
qsizetype plainRun(QStringView text, qsizetype start)
{
    qsizetype end = start;
    while (end < text.size() && passesThrough(text[end].unicode())) {
        ++end;
    }
    return end - start;
}

} // namespace

std::optional<QByteArray> encodeCp932(QStringView original, char32_t* unrepresentable)
{
    // ASCII stays as it is in code page 932, and makes up most generated text: only
    // the runs of other characters go through the converter.
    if (plainRun(original, 0) == original.size()) {
        return original.toLatin1();
    }
    const QString replaced = withLookAlikesReplaced(original);
    const QStringView text = replaced;
    QStringEncoder encoder(kCodecName, kFlags);
    QByteArray bytes;
    bytes.reserve(text.size() * 2);
    bool failed = !encoder.isValid();
    for (qsizetype i = 0; i < text.size() && !failed;) {
        const qsizetype plain = plainRun(text, i);
        bytes += text.sliced(i, plain).toLatin1();
        i += plain;
        qsizetype other = 0;
        while (i + other < text.size() && !passesThrough(text[i + other].unicode())) {
            ++other;
        }
        if (other > 0) {
            bytes += encoder.encode(text.sliced(i, other));
            failed = encoder.hasError();
            i += other;
        }
    }
    // Without the codec (a Qt built without ICU) nothing but ASCII is
    // representable, rather than everything silently empty.
    if (!failed) {
        return bytes;
    }
    if (unrepresentable) {
        // Find the first character that fails on its own, to name it.
        *unrepresentable = 0xFFFD;
        for (qsizetype i = 0; i < text.size();) {
            const bool pair =
                text[i].isHighSurrogate() && i + 1 < text.size() && text[i + 1].isLowSurrogate();
            const qsizetype length = pair ? 2 : 1;
            QStringEncoder single(kCodecName, kFlags);
            // The encoding runs only when its result is taken.
            const QByteArray ignored = single.encode(text.mid(i, length));
            if (single.hasError()) {
                *unrepresentable = pair ? QChar::surrogateToUcs4(text[i], text[i + 1])
                                        : char32_t(text[i].unicode());
                break;
            }
            i += length;
        }
    }
    return std::nullopt;
}

std::optional<QString> decodeCp932(QByteArrayView bytes)
{
    QStringDecoder decoder(kCodecName, kFlags);
    QString text = decoder.decode(bytes);
    if (!decoder.isValid() || decoder.hasError()) {
        return std::nullopt;
    }
    return text;
}

QString decodeCp932Lenient(QByteArrayView bytes)
{
    QStringDecoder decoder(kCodecName, kFlags);
    return decoder.decode(bytes);
}

bool isCp932LeadByte(char byte)
{
    const auto b = static_cast<unsigned char>(byte);
    return (b >= 0x81 && b <= 0x9F) || (b >= 0xE0 && b <= 0xFC);
}

QString describeCodePoint(char32_t codePoint)
{
    const QString code =
        QStringLiteral("U+%1").arg(static_cast<uint>(codePoint), 4, 16, QLatin1Char('0')).toUpper();
    // Control characters and lone surrogates would not show; name only the code.
    if (codePoint < 0x20 || codePoint == 0x7F || (codePoint >= 0xD800 && codePoint <= 0xDFFF)) {
        return code;
    }
    return QStringLiteral("%1 (%2)").arg(code, QString::fromUcs4(&codePoint, 1));
}

} // namespace tavrune
