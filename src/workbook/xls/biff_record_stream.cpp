#include "workbook/xls/biff_record_stream.h"

#include "workbook/unreadable_file.h"

#include <QtEndian>
#include <algorithm>
#include <cstring>

namespace tavrune {

QString biffRecordName(quint16 type)
{
    return QStringLiteral("0x") + QString::number(type, 16).toUpper().rightJustified(4, u'0');
}

BiffRecordStream::BiffRecordStream(QByteArrayView data, const QString& path)
    : m_data(data), m_path(path)
{
}

void BiffRecordStream::seek(qsizetype position)
{
    if (position < 0 || position > m_data.size()) {
        failUnreadable(m_path, QStringLiteral("レコードの位置 %1 がストリームの範囲 (%2 "
                                              "バイト) の外です。")
                                   .arg(position)
                                   .arg(m_data.size()));
    }
    m_position = position;
}

quint16 BiffRecordStream::peekType() const
{
    if (m_position + 2 > m_data.size()) {
        return 0;
    }
    return qFromLittleEndian<quint16>(m_data.data() + m_position);
}

BiffRecord BiffRecordStream::next()
{
    if (m_position + 4 > m_data.size()) {
        failUnreadable(m_path, QStringLiteral("オフセット %1 でストリームが途中で終わって"
                                              "います (レコードの見出しが欠けています)。")
                                   .arg(m_position));
    }
    BiffRecord record;
    record.offset = m_position;
    record.type = qFromLittleEndian<quint16>(m_data.data() + m_position);
    const quint16 length = qFromLittleEndian<quint16>(m_data.data() + m_position + 2);
    if (length > kMaxBiffRecordSize) {
        failUnreadable(m_path, QStringLiteral("オフセット %1 のレコード %2 の長さ %3 が上限 "
                                              "%4 バイトを超えています。")
                                   .arg(m_position)
                                   .arg(biffRecordName(record.type))
                                   .arg(length)
                                   .arg(kMaxBiffRecordSize));
    }
    if (m_position + 4 + length > m_data.size()) {
        failUnreadable(m_path, QStringLiteral("オフセット %1 のレコード %2 が途中で切れて"
                                              "います (%3 バイトのうち %4 バイトしかありません)。")
                                   .arg(m_position)
                                   .arg(biffRecordName(record.type))
                                   .arg(length)
                                   .arg(m_data.size() - m_position - 4));
    }
    record.body = m_data.sliced(m_position + 4, length);
    m_position += 4 + length;
    return record;
}

BiffBodyReader::BiffBodyReader(const BiffRecord& record, const QString& path)
    : m_segments{record.body}, m_path(path), m_type(record.type), m_offset(record.offset),
      m_total(record.body.size())
{
}

void BiffBodyReader::addContinue(QByteArrayView body)
{
    m_segments.push_back(body);
    m_total += body.size();
}

void BiffBodyReader::throwTruncated() const
{
    failUnreadable(m_path, QStringLiteral("オフセット %1 のレコード %2 の内容が途中で終わって"
                                          "います。")
                               .arg(m_offset)
                               .arg(biffRecordName(m_type)));
}

bool BiffBodyReader::advanceIfNeeded()
{
    while (m_position >= m_segments[m_segment].size()) {
        if (m_segment + 1 >= m_segments.size()) {
            return false;
        }
        m_passed += m_segments[m_segment].size();
        ++m_segment;
        m_position = 0;
    }
    return true;
}

void BiffBodyReader::readRaw(char* out, qsizetype count)
{
    while (count > 0) {
        if (!advanceIfNeeded()) {
            throwTruncated();
        }
        const QByteArrayView segment = m_segments[m_segment];
        const qsizetype piece = std::min(count, segment.size() - m_position);
        std::memcpy(out, segment.data() + m_position, static_cast<size_t>(piece));
        out += piece;
        count -= piece;
        m_position += piece;
    }
}

quint8 BiffBodyReader::readU8()
{
    char byte = 0;
    readRaw(&byte, 1);
    return static_cast<quint8>(byte);
}

quint16 BiffBodyReader::readU16()
{
    char bytes[2];
    readRaw(bytes, 2);
    return qFromLittleEndian<quint16>(bytes);
}

quint32 BiffBodyReader::readU32()
{
    char bytes[4];
    readRaw(bytes, 4);
    return qFromLittleEndian<quint32>(bytes);
}

double BiffBodyReader::readF64()
{
    char bytes[8];
    readRaw(bytes, 8);
    const quint64 bits = qFromLittleEndian<quint64>(bytes);
    double value = 0;
    std::memcpy(&value, &bits, sizeof value);
    return value;
}

void BiffBodyReader::skip(qint64 count)
{
    if (count < 0 || count > remaining()) {
        throwTruncated();
    }
    while (count > 0) {
        advanceIfNeeded();
        const qsizetype piece = std::min<qint64>(count, m_segments[m_segment].size() - m_position);
        m_position += piece;
        count -= piece;
    }
}

QByteArray BiffBodyReader::readBytes(qsizetype count)
{
    if (count < 0 || count > remaining()) {
        throwTruncated();
    }
    QByteArray bytes(count, Qt::Uninitialized);
    readRaw(bytes.data(), count);
    return bytes;
}

QString BiffBodyReader::readBiff8Chars(quint32 count, bool highByte)
{
    QString text;
    // Reserve no more than the bytes present could hold, whatever the count says.
    text.reserve(static_cast<qsizetype>(std::min<qint64>(count, remaining())));
    while (count > 0) {
        if (m_position >= m_segments[m_segment].size()) {
            if (m_segment + 1 >= m_segments.size()) {
                throwTruncated();
            }
            m_passed += m_segments[m_segment].size();
            ++m_segment;
            m_position = 0;
            // Characters going on in a CONTINUE record: a new option byte first.
            highByte = (readU8() & 0x01) != 0;
        }
        const QByteArrayView segment = m_segments[m_segment];
        const qsizetype width = highByte ? 2 : 1;
        const qsizetype available = (segment.size() - m_position) / width;
        if (available == 0) {
            throwTruncated(); // half a character left in this piece
        }
        const qsizetype piece = std::min<qint64>(count, available);
        const char* start = segment.data() + m_position;
        if (highByte) {
            const qsizetype oldSize = text.size();
            text.resize(oldSize + piece);
            char16_t* out = reinterpret_cast<char16_t*>(text.data()) + oldSize;
            for (qsizetype i = 0; i < piece; ++i) {
                out[i] = qFromLittleEndian<quint16>(start + 2 * i);
            }
        } else {
            text.append(QLatin1String(start, piece));
        }
        m_position += piece * width;
        count -= static_cast<quint32>(piece);
    }
    return text;
}

QString BiffBodyReader::readBiff8String(int lengthBytes)
{
    const quint32 count = lengthBytes == 1 ? readU8() : readU16();
    const quint8 options = readU8();
    quint16 runs = 0;
    quint32 phoneticSize = 0;
    if (options & 0x08) {
        runs = readU16();
    }
    if (options & 0x04) {
        phoneticSize = readU32();
    }
    QString text = readBiff8Chars(count, (options & 0x01) != 0);
    skip(qint64(runs) * 4);
    skip(phoneticSize);
    return text;
}

} // namespace tavrune
