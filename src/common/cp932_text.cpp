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

} // namespace

std::optional<QByteArray> encodeCp932(QStringView text, char32_t* unrepresentable)
{
    QStringEncoder encoder(kCodecName, kFlags);
    QByteArray bytes = encoder.encode(text);
    // Without the codec (a Qt built without ICU) nothing is representable, rather
    // than everything silently empty.
    if (encoder.isValid() && !encoder.hasError()) {
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
