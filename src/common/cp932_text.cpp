#include "common/cp932_text.h"

#include <QStringDecoder>
#include <QStringEncoder>
#include <QVarLengthArray>
#include <algorithm>
#include <optional>

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

char16_t withLookAlikeReplaced(char16_t c)
{
    for (const auto& lookAlike : kLookAlikes) {
        if (c == lookAlike.from) {
            return lookAlike.to;
        }
    }
    return c;
}

// Whether the converter writes the character as its own single byte: ASCII but
// three control characters, which ICU's table for this code page exchanges.
bool passesThrough(char16_t c)
{
    return c < 0x80 && c != 0x1A && c != 0x1C && c != 0x7F;
}

// Characters looked at together on the way through plain text: a block without
// branches that the compiler turns into vector instructions.
constexpr qsizetype kBlock = 16;

bool blockPassesThrough(const char16_t* c)
{
    bool all = true;
    for (qsizetype k = 0; k < kBlock; ++k) {
        all &= passesThrough(c[k]);
    }
    return all;
}

// Copies the run of characters from text[i] on that pass through to out and
// returns where the run ends.
qsizetype copyPlainRun(const char16_t* text, qsizetype i, qsizetype size, char*& out)
{
    while (i + kBlock <= size && blockPassesThrough(text + i)) {
        for (qsizetype k = 0; k < kBlock; ++k) {
            out[k] = static_cast<char>(text[i + k]);
        }
        out += kBlock;
        i += kBlock;
    }
    while (i < size && passesThrough(text[i])) {
        *out++ = static_cast<char>(text[i++]);
    }
    return i;
}

// The first character of text that the code page cannot represent, or U+FFFD.
char32_t firstUnrepresentable(QStringView text)
{
    for (qsizetype i = 0; i < text.size();) {
        const bool pair =
            text[i].isHighSurrogate() && i + 1 < text.size() && text[i + 1].isLowSurrogate();
        const qsizetype length = pair ? 2 : 1;
        QString single = text.mid(i, length).toString();
        if (!pair) {
            single[0] = QChar(withLookAlikeReplaced(single[0].unicode()));
        }
        QStringEncoder encoder(kCodecName, kFlags);
        // The encoding runs only when its result is taken.
        const QByteArray ignored = encoder.encode(single);
        if (encoder.hasError()) {
            return pair ? QChar::surrogateToUcs4(text[i], text[i + 1])
                        : char32_t(text[i].unicode());
        }
        i += length;
    }
    return 0xFFFD;
}

} // namespace

bool appendCp932(QStringView text, QByteArray& bytes, char32_t* unrepresentable)
{
    // ASCII stays as it is in code page 932 and makes up most generated text: it is
    // copied, and only the runs of other characters go through the converter, which
    // is made only for text that has such a run.
    std::optional<QStringEncoder> encoder;
    const char16_t* const data = text.utf16();
    const qsizetype size = text.size();
    const qsizetype start = bytes.size();
    // Room for every character as one byte; the converter's runs grow it as needed.
    bytes.resize(start + size);
    char* out = bytes.data() + start;
    QVarLengthArray<char16_t, 256> other;
    bool failed = false;
    for (qsizetype i = 0; i < size && !failed;) {
        i = copyPlainRun(data, i, size, out);
        other.clear();
        while (i < size && !passesThrough(data[i])) {
            other.append(withLookAlikeReplaced(data[i++]));
        }
        if (other.isEmpty()) {
            continue;
        }
        // Without the codec (a Qt built without ICU) nothing but ASCII is
        // representable, rather than everything silently empty.
        if (!encoder) {
            encoder.emplace(kCodecName, kFlags);
        }
        if (!encoder->isValid()) {
            failed = true;
            break;
        }
        const qsizetype written = out - bytes.constData();
        const qsizetype needed = written + encoder->requiredSpace(other.size()) + (size - i);
        if (needed > bytes.size()) {
            bytes.resize(std::max(needed, bytes.size() + bytes.size() / 2));
        }
        out = encoder->appendToBuffer(bytes.data() + written,
                                      QStringView(other.constData(), other.size()));
        failed = encoder->hasError();
    }
    if (failed) {
        bytes.truncate(start);
        if (unrepresentable) {
            *unrepresentable = firstUnrepresentable(text);
        }
        return false;
    }
    bytes.truncate(out - bytes.constData());
    return true;
}

std::optional<QByteArray> encodeCp932(QStringView text, char32_t* unrepresentable)
{
    QByteArray bytes;
    if (!appendCp932(text, bytes, unrepresentable)) {
        return std::nullopt;
    }
    return bytes;
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
