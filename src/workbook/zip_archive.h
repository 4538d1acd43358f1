#pragma once

#include <QByteArray>
#include <QHash>
#include <QIODevice>
#include <QString>
#include <memory>

struct zip;
struct zip_file;

namespace tavrune {

class ZipArchive;

// A zip entry read as a stream, inflating as it is read. Bytes actually inflated
// are counted against the archive's bounds; passing one ends reading with an error
// that limitError() reports.
class ZipEntryDevice : public QIODevice
{
public:
    ~ZipEntryDevice() override;

    bool isSequential() const override { return true; }
    // Empty unless reading stopped at a bound or a damaged entry.
    const QString& failure() const { return m_failure; }

protected:
    qint64 readData(char* data, qint64 maxSize) override;
    qint64 writeData(const char*, qint64) override { return -1; }

private:
    friend class ZipArchive;
    ZipEntryDevice(ZipArchive& archive, zip_file* file, QString name, quint64 compressedSize);

    ZipArchive& m_archive;
    zip_file* m_file;
    QString m_name;
    quint64 m_compressedSize;
    quint64 m_inflated = 0;
    QString m_failure;
};

// Read access to a zip package with bounds on what its entries may inflate to.
// Entry names are matched without regard to letter case and with either slash, a
// leading slash being optional.
class ZipArchive
{
public:
    static constexpr quint64 kMaxEntries = 100'000;
    static constexpr quint64 kMaxEntrySize = 512ull << 20;
    static constexpr quint64 kMaxTotalSize = 2048ull << 20;
    // Deflate cannot compress much beyond 1:1032; a higher ratio marks a crafted
    // entry. Only checked once an entry has inflated past kRatioCheckFrom bytes.
    static constexpr quint64 kMaxRatio = 1100;
    static constexpr quint64 kRatioCheckFrom = 1ull << 20;

    // Opens the archive; throws an error naming the file when it is not a zip.
    explicit ZipArchive(const QString& path);
    ~ZipArchive();
    ZipArchive(const ZipArchive&) = delete;
    ZipArchive& operator=(const ZipArchive&) = delete;

    bool contains(const QString& name) const;
    // Opens an entry as a stream; nullptr when there is no such entry. Throws when
    // the entry cannot be opened (encrypted, unsupported compression).
    std::unique_ptr<ZipEntryDevice> open(const QString& name);
    // The whole entry, within the bounds; throws when a bound is passed.
    QByteArray readAll(const QString& name);

    const QString& path() const { return m_path; }
    // Normalises a part name for lookup: lower case, forward slashes, no leading slash.
    static QString normalise(const QString& name);

private:
    friend class ZipEntryDevice;

    QString m_path;
    zip* m_zip = nullptr;
    QHash<QString, quint64> m_index; // normalised name -> entry index
    quint64 m_totalInflated = 0;
};

} // namespace tavrune
