#pragma once

#include <QByteArray>
#include <QHash>
#include <QIODevice>
#include <QSet>
#include <QString>
#include <QStringList>
#include <atomic>
#include <memory>
#include <mutex>
#include <vector>

struct zip;
struct zip_file;

namespace tavrune {

class ZipArchive;

// A zip entry read as a stream, inflating as it is read. The entry's stored bytes
// are read as they are and inflated here, so that what counts is what the entry
// really holds: the bytes actually inflated are counted against the archive's
// bounds, and at the end the size and CRC-32 must match the central directory. Passing a bound or a
// mismatch ends reading with an error that failure() reports.
class ZipEntryDevice : public QIODevice
{
public:
    ~ZipEntryDevice() override;

    bool isSequential() const override { return true; }
    // Empty unless reading stopped at a bound or a damaged entry.
    const QString& failure() const { return m_failure; }
    ZipArchive& archive() const { return m_archive; }
    // The inflated size the archive's directory gives; reading checks it.
    quint64 statedSize() const { return m_stored.size; }

protected:
    qint64 readData(char* data, qint64 maxSize) override;
    qint64 writeData(const char*, qint64) override { return -1; }

private:
    friend class ZipArchive;
    struct Inflater;
    struct Stored
    {
        quint16 method = 0;
        quint64 compressedSize = 0;
        quint64 size = 0;
        quint32 crc = 0;
    };
    ZipEntryDevice(ZipArchive& archive, zip_file* file, QString name, const Stored& stored);

    qint64 produce(char* data, qint64 maxSize);
    bool account(const char* data, qint64 got);
    qint64 fail(const QString& why);

    ZipArchive& m_archive;
    zip_file* m_file;
    QString m_name;
    Stored m_stored;
    std::unique_ptr<Inflater> m_inflater;
    quint64 m_compressedRead = 0; // stored bytes taken from the file
    quint64 m_inflated = 0;
    quint32 m_crc = 0;
    bool m_finished = false;
    QString m_failure;
};

// Read access to a zip package with bounds on what its entries may inflate to.
// Entries may be opened and read on several threads at once: the archive's own
// reads are serialised, inflating is not, and the bounds are shared.
// Entry names are matched without regard to letter case and with either slash, a
// leading slash being optional; of two entries with one name the first counts.
// Entries whose stored bytes overlap are refused when the archive opens, and each
// entry may be opened only once, so no stored byte is inflated twice.
class ZipArchive
{
public:
    static constexpr quint64 kMaxEntries = 100'000;
    // What stops a zip bomb: the inflated bytes of each entry and of all of them,
    // counted while inflating. No ratio check is needed, as deflate cannot pass
    // about 1:1032 and other methods are refused.
    static constexpr quint64 kMaxEntrySize = 512ull << 20;
    static constexpr quint64 kMaxTotalSize = 2048ull << 20;
    // The XML work the readers may spend on all parts of one file, besides what
    // each value read grants: parsing costs time for every element and byte,
    // whether it yields anything or not, so a file of nothing but markup,
    // comments or blanks stops here. XmlGuard charges elements (attributes and
    // namespace declarations as extra elements) and bytes.
    static constexpr quint64 kBaseElements = 8'000'000;
    static constexpr quint64 kBaseXmlBytes = 192ull << 20;
    static constexpr quint64 kElementsPerCell = 4;
    static constexpr quint64 kXmlBytesPerCell = 256;
    static constexpr quint64 kElementsPerString = 2;
    static constexpr quint64 kXmlBytesPerCharacter = 6; // of a text kept

    // Opens the archive; throws an error naming the file when it is not a zip or
    // its directory is damaged.
    explicit ZipArchive(const QString& path);
    ~ZipArchive();
    ZipArchive(const ZipArchive&) = delete;
    ZipArchive& operator=(const ZipArchive&) = delete;

    bool contains(const QString& name) const;
    // The entries' names as stored, in archive order, the first of each name only.
    const QStringList& entryNames() const { return m_names; }
    // Opens an entry as a stream; nullptr when there is no such entry. Throws when
    // the entry cannot be opened (encrypted, compressed other than by deflate,
    // opened before).
    std::unique_ptr<ZipEntryDevice> open(const QString& name);

    const QString& path() const { return m_path; }

    // Takes work from the budget; false once it is spent.
    bool takeXmlBytes(quint64 count);
    // Takes as much as it can up to wanted, but at least needed; returns what it
    // took, or 0 when less than needed was left (the budget is then spent).
    quint64 takeElementsUpTo(quint64 wanted, quint64 needed);
    // Returns elements taken but not used.
    void giveBackElements(quint64 count);
    // Grant work for a cell read, and for a text kept of the given length.
    void grantForCell();
    // Grants work in bulk: what a reader has gathered for several cells and texts.
    void grant(quint64 elements, quint64 xmlBytes);
    void grantForText(qsizetype length, bool sharedString);
    quint64 elementsRead() const { return m_elementsRead; }
    quint64 xmlBytesRead() const { return m_xmlBytesRead; }
    // Normalises a part name for lookup: lower case, forward slashes, no leading slash.
    static QString normalise(const QString& name);

private:
    friend class ZipEntryDevice;

    void checkPlacement(quint64 count);

    QString m_path;
    zip* m_zip = nullptr;
    QHash<QString, quint64> m_index; // normalised name -> entry index
    QStringList m_names;
    QSet<quint64> m_opened;
    std::mutex m_mutex; // guards m_zip and m_opened
    std::atomic<quint64> m_totalInflated = 0;
    std::atomic<quint64> m_elementsLeft = kBaseElements;
    std::atomic<quint64> m_elementsRead = 0;
    std::atomic<quint64> m_xmlBytesLeft = kBaseXmlBytes;
    std::atomic<quint64> m_xmlBytesRead = 0;
};

} // namespace tavrune
