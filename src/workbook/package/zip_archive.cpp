#include "workbook/package/zip_archive.h"

#include "common/error.h"
#include "workbook/quoted_text.h"
#include "workbook/unreadable_file.h"

#include <QFile>
#include <QtEndian>
#include <algorithm>
#include <zip.h>
#include <zlib.h>

namespace tavrune {

namespace {

constexpr quint16 kStored = 0;
constexpr quint16 kDeflated = 8;
constexpr qint64 kInputChunk = 64 * 1024;

quint16 u16(const char* p)
{
    return qFromLittleEndian<quint16>(p);
}

quint32 u32(const char* p)
{
    return qFromLittleEndian<quint32>(p);
}

quint64 u64(const char* p)
{
    return qFromLittleEndian<quint64>(p);
}

// Where one entry lies in the file: from its local header to the end of its
// stored bytes.
struct Placement
{
    quint64 start = 0;
    quint64 end = 0;
};

// Reads the central directory again for what libzip does not tell: where each
// entry's local header lies. Returns the entries in directory order, which is
// libzip's index order.
std::vector<Placement> readPlacements(const QString& path)
{
    const auto damaged = [&path]() {
        failUnreadable(path, QStringLiteral("zip の中央ディレクトリが壊れています"));
    };
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        failUnreadable(path, file.errorString());
    }
    const quint64 size = static_cast<quint64>(file.size());
    const auto readAt = [&](quint64 offset, qint64 length) {
        if (offset > size || static_cast<quint64>(length) > size - offset ||
            !file.seek(static_cast<qint64>(offset))) {
            damaged();
        }
        QByteArray bytes = file.read(length);
        if (bytes.size() != length) {
            damaged();
        }
        return bytes;
    };

    // The end record is within the last 22 + 65535 bytes.
    const quint64 tailSize = std::min<quint64>(size, 22 + 65535);
    const QByteArray tail = readAt(size - tailSize, static_cast<qint64>(tailSize));
    const qsizetype end = tail.lastIndexOf(QByteArrayLiteral("PK\x05\x06"));
    if (end < 0 || tail.size() - end < 22) {
        damaged();
    }
    const char* record = tail.constData() + end;
    quint64 count = u16(record + 10);
    quint64 directorySize = u32(record + 12);
    quint64 directoryOffset = u32(record + 16);
    if (count == 0xFFFF || directorySize == 0xFFFFFFFF || directoryOffset == 0xFFFFFFFF) {
        // Zip64: a locator just before the end record points at the zip64 end record.
        const quint64 endOffset = size - tailSize + static_cast<quint64>(end);
        if (endOffset < 20) {
            damaged();
        }
        const QByteArray locator = readAt(endOffset - 20, 20);
        if (!locator.startsWith(QByteArrayLiteral("PK\x06\x07"))) {
            damaged();
        }
        const QByteArray end64 = readAt(u64(locator.constData() + 8), 56);
        if (!end64.startsWith(QByteArrayLiteral("PK\x06\x06"))) {
            damaged();
        }
        count = u64(end64.constData() + 32);
        directorySize = u64(end64.constData() + 40);
        directoryOffset = u64(end64.constData() + 48);
    }
    if (count > ZipArchive::kMaxEntries) {
        failUnreadable(path, QStringLiteral("zip のエントリ数が上限 %1 を超えています")
                                 .arg(ZipArchive::kMaxEntries));
    }
    const QByteArray directory = readAt(directoryOffset, static_cast<qint64>(directorySize));

    std::vector<Placement> placements;
    placements.reserve(count);
    qsizetype at = 0;
    for (quint64 i = 0; i < count; ++i) {
        if (directory.size() - at < 46 || u32(directory.constData() + at) != 0x02014B50) {
            damaged();
        }
        const char* header = directory.constData() + at;
        quint64 compressed = u32(header + 20);
        const bool size64 = u32(header + 24) == 0xFFFFFFFF;
        const quint16 nameLength = u16(header + 28);
        const quint16 extraLength = u16(header + 30);
        const quint16 commentLength = u16(header + 32);
        quint64 offset = u32(header + 42);
        const qsizetype next = at + 46 + nameLength + extraLength + commentLength;
        if (next > directory.size()) {
            damaged();
        }
        if (compressed == 0xFFFFFFFF || offset == 0xFFFFFFFF) {
            // The zip64 extra field holds the large values, in this order.
            const char* extra = header + 46 + nameLength;
            for (qsizetype e = 0; e + 4 <= extraLength;) {
                const quint16 id = u16(extra + e);
                const quint16 length = u16(extra + e + 2);
                if (e + 4 + length > extraLength) {
                    damaged();
                }
                if (id == 0x0001) {
                    qsizetype field = e + 4;
                    const auto take = [&](quint64& value) {
                        if (field + 8 > e + 4 + length) {
                            damaged();
                        }
                        value = u64(extra + field);
                        field += 8;
                    };
                    quint64 ignored = 0;
                    if (size64) {
                        take(ignored);
                    }
                    if (compressed == 0xFFFFFFFF) {
                        take(compressed);
                    }
                    if (offset == 0xFFFFFFFF) {
                        take(offset);
                    }
                    break;
                }
                e += 4 + length;
            }
        }
        const QByteArray local = readAt(offset, 30);
        if (u32(local.constData()) != 0x04034B50) {
            damaged();
        }
        const quint64 payload =
            offset + 30 + u16(local.constData() + 26) + u16(local.constData() + 28);
        if (compressed > size || payload > size - compressed) {
            damaged();
        }
        placements.push_back({offset, payload + compressed});
        at = next;
    }
    return placements;
}

} // namespace

struct ZipEntryDevice::Inflater
{
    z_stream stream{};
    QByteArray input;
    bool initialised = false;

    ~Inflater()
    {
        if (initialised) {
            inflateEnd(&stream);
        }
    }
};

ZipEntryDevice::ZipEntryDevice(ZipArchive& archive, zip_file* file, QString name,
                               const Stored& stored)
    : m_archive(archive), m_file(file), m_name(quotedText(name)), m_stored(stored)
{
    if (m_stored.method == kDeflated) {
        m_inflater = std::make_unique<Inflater>();
        m_inflater->input.resize(kInputChunk);
        // Raw deflate data, as zip stores it.
        if (inflateInit2(&m_inflater->stream, -MAX_WBITS) == Z_OK) {
            m_inflater->initialised = true;
        } else {
            m_failure = QStringLiteral("%1 を展開できません").arg(m_name);
        }
    }
    m_crc = static_cast<quint32>(crc32(0, nullptr, 0));
    // Unbuffered: a reader that stops early has then inflated no more than it read.
    QIODevice::open(QIODevice::ReadOnly | QIODevice::Unbuffered);
}

ZipEntryDevice::~ZipEntryDevice()
{
    const std::lock_guard lock(m_archive.m_mutex);
    zip_fclose(m_file);
}

qint64 ZipEntryDevice::fail(const QString& why)
{
    m_failure = why;
    return -1;
}

qint64 ZipEntryDevice::readData(char* data, qint64 maxSize)
{
    if (!m_failure.isEmpty()) {
        return -1;
    }
    if (m_finished || maxSize <= 0) {
        return 0;
    }
    const qint64 got = produce(data, maxSize);
    if (got < 0) {
        return -1;
    }
    if (!account(data, got)) {
        return -1;
    }
    return got;
}

// Reads stored bytes and turns them into entry bytes: copied for a stored entry,
// inflated for a deflated one.
qint64 ZipEntryDevice::produce(char* data, qint64 maxSize)
{
    const auto readStored = [this](char* into, qint64 wanted) -> qint64 {
        const quint64 left = m_stored.compressedSize - m_compressedRead;
        const qint64 size = static_cast<qint64>(std::min<quint64>(left, quint64(wanted)));
        if (size == 0) {
            return 0;
        }
        zip_int64_t got = 0;
        {
            const std::lock_guard lock(m_archive.m_mutex);
            got = zip_fread(m_file, into, static_cast<zip_uint64_t>(size));
        }
        if (got <= 0) {
            return fail(QStringLiteral("%1 が壊れています (%2)")
                            .arg(m_name, QString::fromUtf8(
                                             zip_error_strerror(zip_file_get_error(m_file)))));
        }
        m_compressedRead += static_cast<quint64>(got);
        return got;
    };

    if (m_stored.method == kStored) {
        const qint64 got = readStored(data, maxSize);
        if (got == 0) {
            m_finished = true;
        }
        return got;
    }

    z_stream& stream = m_inflater->stream;
    stream.next_out = reinterpret_cast<Bytef*>(data);
    stream.avail_out = static_cast<uInt>(std::min<qint64>(maxSize, 1 << 30));
    while (stream.avail_out > 0 && !m_finished) {
        bool storedLeft = true;
        if (stream.avail_in == 0) {
            const qint64 got = readStored(m_inflater->input.data(), kInputChunk);
            if (got < 0) {
                return -1;
            }
            // With every stored byte read, zlib may still hold the end of the
            // stream: a read that ended on the last byte has yet to reach it.
            storedLeft = got > 0;
            stream.next_in = reinterpret_cast<Bytef*>(m_inflater->input.data());
            stream.avail_in = static_cast<uInt>(got);
        }
        const int result = inflate(&stream, Z_NO_FLUSH);
        if (result == Z_STREAM_END) {
            m_finished = true;
        } else if (result == Z_BUF_ERROR && !storedLeft) {
            return fail(QStringLiteral("%1 が途中で切れています").arg(m_name));
        } else if (result != Z_OK && (result != Z_BUF_ERROR || stream.avail_in > 0)) {
            // A zlib error, or no progress although input is left: the data is damaged.
            return fail(
                QStringLiteral("%1 が壊れています (%2)")
                    .arg(m_name, QString::fromUtf8(stream.msg != nullptr ? stream.msg : "zlib")));
        }
        // Hand over what there is as soon as the stored bytes run dry, so that a
        // reader waiting for a token is not kept waiting for a full buffer.
        if (stream.avail_out < static_cast<uInt>(std::min<qint64>(maxSize, 1 << 30)) &&
            stream.avail_in == 0) {
            break;
        }
    }
    return static_cast<qint64>(std::min<qint64>(maxSize, 1 << 30)) - stream.avail_out;
}

// Counts what was produced against the bounds, and checks the size and CRC-32 at
// the end.
bool ZipEntryDevice::account(const char* data, qint64 got)
{
    m_inflated += static_cast<quint64>(got);
    const quint64 totalInflated = m_archive.m_totalInflated += static_cast<quint64>(got);
    m_crc = static_cast<quint32>(
        crc32(m_crc, reinterpret_cast<const Bytef*>(data), static_cast<uInt>(got)));
    if (m_inflated > ZipArchive::kMaxEntrySize) {
        fail(QStringLiteral("%1 が展開後の上限 %2 MiB を超えています")
                 .arg(m_name)
                 .arg(ZipArchive::kMaxEntrySize >> 20));
    } else if (totalInflated > ZipArchive::kMaxTotalSize) {
        fail(QStringLiteral("展開後の合計が上限 %1 MiB を超えています")
                 .arg(ZipArchive::kMaxTotalSize >> 20));
    } else if (m_inflated > m_stored.size) {
        fail(QStringLiteral("%1 の展開後の大きさが記録 (%2 バイト) を超えています")
                 .arg(m_name)
                 .arg(m_stored.size));
    } else if (m_finished && m_inflated != m_stored.size) {
        fail(QStringLiteral("%1 の展開後の大きさ %2 バイトが記録 (%3 バイト) と違います")
                 .arg(m_name)
                 .arg(m_inflated)
                 .arg(m_stored.size));
    } else if (m_finished && m_crc != m_stored.crc) {
        fail(QStringLiteral("%1 の CRC が一致しません (壊れています)").arg(m_name));
    }
    return m_failure.isEmpty();
}

ZipArchive::ZipArchive(const QString& path) : m_path(path)
{
    int errorCode = 0;
    m_zip = zip_open(QFile::encodeName(path).constData(), ZIP_RDONLY, &errorCode);
    if (m_zip == nullptr) {
        zip_error_t error;
        zip_error_init_with_code(&error, errorCode);
        const QString why = QString::fromUtf8(zip_error_strerror(&error));
        zip_error_fini(&error);
        failUnreadable(path, QStringLiteral("zip 形式として開けません (%1)").arg(why));
    }
    const zip_int64_t count = zip_get_num_entries(m_zip, 0);
    if (count < 0 || static_cast<quint64>(count) > kMaxEntries) {
        zip_discard(m_zip);
        m_zip = nullptr;
        failUnreadable(path,
                       QStringLiteral("zip のエントリ数が上限 %1 を超えています").arg(kMaxEntries));
    }
    try {
        checkPlacement(static_cast<quint64>(count));
    } catch (...) {
        zip_discard(m_zip);
        m_zip = nullptr;
        throw;
    }
    m_index.reserve(count);
    for (zip_int64_t i = 0; i < count; ++i) {
        const char* name = zip_get_name(m_zip, static_cast<zip_uint64_t>(i), ZIP_FL_ENC_GUESS);
        if (name != nullptr) {
            // The first entry of a name wins, as a package reader takes it.
            const QString stored = QString::fromUtf8(name);
            const QString key = normalise(stored);
            if (!m_index.contains(key)) {
                m_index.insert(key, static_cast<quint64>(i));
                m_names.append(stored);
            }
        }
    }
}

// Refuses entries whose bytes overlap: several names for one stored entry would
// let its bytes be inflated once per name.
void ZipArchive::checkPlacement(quint64 count)
{
    std::vector<Placement> placements = readPlacements(m_path);
    if (placements.size() != count) {
        failUnreadable(m_path, QStringLiteral("zip の中央ディレクトリが壊れています"));
    }
    std::sort(placements.begin(), placements.end(),
              [](const Placement& a, const Placement& b) { return a.start < b.start; });
    for (size_t i = 1; i < placements.size(); ++i) {
        if (placements[i].start < placements[i - 1].end) {
            failUnreadable(m_path, QStringLiteral("zip のエントリが重なっています (オフセット %1)")
                                       .arg(placements[i].start));
        }
    }
}

ZipArchive::~ZipArchive()
{
    if (m_zip != nullptr) {
        zip_discard(m_zip);
    }
}

QString ZipArchive::normalise(const QString& name)
{
    QString result = name.toLower();
    result.replace(u'\\', u'/');
    while (result.startsWith(u'/')) {
        result.remove(0, 1);
    }
    return result;
}

bool ZipArchive::contains(const QString& name) const
{
    return m_index.contains(normalise(name));
}

std::unique_ptr<ZipEntryDevice> ZipArchive::open(const QString& name)
{
    const QString shown = quotedText(name);
    const auto it = m_index.constFind(normalise(name));
    if (it == m_index.constEnd()) {
        return nullptr;
    }
    const std::lock_guard lock(m_mutex);
    if (m_opened.contains(it.value())) {
        failUnreadable(m_path, QStringLiteral("%1 が複数の箇所から参照されています").arg(shown));
    }
    zip_stat_t stat;
    zip_stat_init(&stat);
    if (zip_stat_index(m_zip, it.value(), 0, &stat) != 0) {
        failUnreadable(m_path, QStringLiteral("%1 の情報を読めません").arg(shown));
    }
    if ((stat.valid & ZIP_STAT_ENCRYPTION_METHOD) && stat.encryption_method != ZIP_EM_NONE) {
        failUnreadable(m_path, QStringLiteral("%1 は暗号化されています").arg(shown));
    }
    const quint64 needed = ZIP_STAT_SIZE | ZIP_STAT_COMP_SIZE | ZIP_STAT_COMP_METHOD | ZIP_STAT_CRC;
    if ((stat.valid & needed) != needed) {
        failUnreadable(m_path, QStringLiteral("%1 の情報を読めません").arg(shown));
    }
    // Workbook writers store or deflate; other methods only open doors (bzip2
    // inflates far beyond deflate's ratio, and slowly).
    if (stat.comp_method != kStored && stat.comp_method != kDeflated) {
        failUnreadable(m_path, QStringLiteral("%1 の圧縮方式 %2 には対応していません")
                                   .arg(shown)
                                   .arg(stat.comp_method));
    }
    if (stat.size > kMaxEntrySize) {
        failUnreadable(m_path, QStringLiteral("%1 が展開後の上限 %2 MiB を超えています")
                                   .arg(shown)
                                   .arg(kMaxEntrySize >> 20));
    }
    zip_file* file = zip_fopen_index(m_zip, it.value(), ZIP_FL_COMPRESSED);
    if (file == nullptr) {
        failUnreadable(m_path, QStringLiteral("%1 を開けません (%2)")
                                   .arg(shown, QString::fromUtf8(zip_strerror(m_zip))));
    }
    m_opened.insert(it.value());
    ZipEntryDevice::Stored stored;
    stored.method = static_cast<quint16>(stat.comp_method);
    stored.compressedSize = stat.comp_size;
    stored.size = stat.size;
    stored.crc = stat.crc;
    return std::unique_ptr<ZipEntryDevice>(new ZipEntryDevice(*this, file, name, stored));
}

namespace {

// Takes count from left, or empties it and fails when it holds less.
bool take(std::atomic<quint64>& left, std::atomic<quint64>& read, quint64 count)
{
    quint64 now = left.load(std::memory_order_relaxed);
    do {
        if (count > now) {
            left.store(0, std::memory_order_relaxed);
            return false;
        }
    } while (!left.compare_exchange_weak(now, now - count, std::memory_order_relaxed));
    read.fetch_add(count, std::memory_order_relaxed);
    return true;
}

} // namespace

quint64 ZipArchive::takeElementsUpTo(quint64 wanted, quint64 needed)
{
    quint64 now = m_elementsLeft.load(std::memory_order_relaxed);
    quint64 taken = 0;
    do {
        if (needed > now) {
            m_elementsLeft.store(0, std::memory_order_relaxed);
            return 0;
        }
        taken = std::min(wanted, now);
    } while (!m_elementsLeft.compare_exchange_weak(now, now - taken, std::memory_order_relaxed));
    m_elementsRead.fetch_add(taken, std::memory_order_relaxed);
    return taken;
}

void ZipArchive::giveBackElements(quint64 count)
{
    m_elementsRead.fetch_sub(count, std::memory_order_relaxed);
    m_elementsLeft.fetch_add(count, std::memory_order_relaxed);
}

bool ZipArchive::takeXmlBytes(quint64 count)
{
    return take(m_xmlBytesLeft, m_xmlBytesRead, count);
}

void ZipArchive::grant(quint64 elements, quint64 xmlBytes)
{
    m_elementsLeft.fetch_add(elements, std::memory_order_relaxed);
    m_xmlBytesLeft.fetch_add(xmlBytes, std::memory_order_relaxed);
}

void ZipArchive::grantForCell()
{
    m_elementsLeft += kElementsPerCell;
    m_xmlBytesLeft += kXmlBytesPerCell;
}

void ZipArchive::grantForText(qsizetype length, bool sharedString)
{
    if (sharedString) {
        m_elementsLeft += kElementsPerString;
    }
    m_xmlBytesLeft += kXmlBytesPerCharacter * static_cast<quint64>(length);
}

} // namespace tavrune
