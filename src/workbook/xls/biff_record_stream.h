#pragma once

#include <QByteArrayView>
#include <QString>
#include <vector>

namespace tavrune {

// The largest record body a BIFF5/BIFF8 stream may hold.
constexpr qsizetype kMaxBiffRecordSize = 8224;

struct BiffRecord
{
    quint16 type = 0;
    QByteArrayView body;
    qsizetype offset = 0; // of the record header in the stream
};

// Walks the records of a workbook stream. Every record's length is checked against
// the stream and the BIFF size limit.
class BiffRecordStream
{
public:
    BiffRecordStream(QByteArrayView data, const QString& path);

    bool atEnd() const { return m_position >= m_data.size(); }
    qsizetype position() const { return m_position; }
    qsizetype size() const { return m_data.size(); }
    void seek(qsizetype position);

    // The type of the next record, or 0 at the end of the stream.
    quint16 peekType() const;
    // Reads the next record; throws when it is cut short or too long.
    BiffRecord next();

private:
    QByteArrayView m_data;
    const QString& m_path;
    qsizetype m_position = 0;
};

// Reads the fields of one record body and the CONTINUE records that follow it,
// each read checked against the data there is.
class BiffBodyReader
{
public:
    BiffBodyReader(const BiffRecord& record, const QString& path);

    // Adds the body of a CONTINUE record that carries on this record.
    void addContinue(QByteArrayView body);

    // Bytes left to read across all pieces; kept as a count, so that asking costs
    // nothing however many pieces there are.
    qsizetype remaining() const { return m_total - m_passed - m_position; }

    quint8 readU8();
    quint16 readU16();
    quint32 readU32();
    double readF64();
    void skip(qint64 count);
    QByteArray readBytes(qsizetype count);

    // A BIFF8 string: its length (in lengthBytes, 1 or 2 bytes), option byte and
    // characters; rich-text runs and phonetic data after it are skipped.
    QString readBiff8String(int lengthBytes);
    // count BIFF8 characters, one or two bytes each as highByte says. Where the
    // characters go on in a CONTINUE record, that record starts with a new option
    // byte choosing the width of the rest.
    QString readBiff8Chars(quint32 count, bool highByte);

private:
    [[noreturn]] void throwTruncated() const;
    // Moves to the next piece when the current one is used up; false at the end.
    bool advanceIfNeeded();
    void readRaw(char* out, qsizetype count);

    std::vector<QByteArrayView> m_segments;
    const QString& m_path;
    quint16 m_type = 0;
    qsizetype m_offset = 0;
    size_t m_segment = 0;
    qsizetype m_position = 0; // in the current piece
    qsizetype m_passed = 0;   // bytes of the pieces before the current one
    qsizetype m_total = 0;    // bytes of all pieces
};

// "0x00FC" for a record type.
QString biffRecordName(quint16 type);

} // namespace tavrune
