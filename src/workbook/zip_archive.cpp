#include "workbook/zip_archive.h"

#include "common/error.h"

#include <QFile>
#include <zip.h>

namespace tavrune {

namespace {

[[noreturn]] void fail(const QString& path, const QString& why)
{
    throw Error(ErrorNumber::ApplicationDefined,
                QStringLiteral("ファイル \"%1\" を読み込めません: %2").arg(path, why));
}

} // namespace

ZipEntryDevice::ZipEntryDevice(ZipArchive& archive, zip_file* file, QString name,
                               quint64 compressedSize)
    : m_archive(archive), m_file(file), m_name(std::move(name)), m_compressedSize(compressedSize)
{
    QIODevice::open(QIODevice::ReadOnly);
}

ZipEntryDevice::~ZipEntryDevice()
{
    zip_fclose(m_file);
}

qint64 ZipEntryDevice::readData(char* data, qint64 maxSize)
{
    if (!m_failure.isEmpty()) {
        return -1;
    }
    const zip_int64_t got = zip_fread(m_file, data, static_cast<zip_uint64_t>(maxSize));
    if (got < 0) {
        m_failure =
            QStringLiteral("%1 が壊れています (%2)")
                .arg(m_name, QString::fromUtf8(zip_error_strerror(zip_file_get_error(m_file))));
        return -1;
    }
    m_inflated += static_cast<quint64>(got);
    m_archive.m_totalInflated += static_cast<quint64>(got);
    if (m_inflated > ZipArchive::kMaxEntrySize) {
        m_failure = QStringLiteral("%1 が展開後の上限 %2 MiB を超えています")
                        .arg(m_name)
                        .arg(ZipArchive::kMaxEntrySize >> 20);
    } else if (m_archive.m_totalInflated > ZipArchive::kMaxTotalSize) {
        m_failure = QStringLiteral("展開後の合計が上限 %1 MiB を超えています")
                        .arg(ZipArchive::kMaxTotalSize >> 20);
    } else if (m_inflated > ZipArchive::kRatioCheckFrom &&
               m_inflated > ZipArchive::kMaxRatio * std::max<quint64>(m_compressedSize, 1)) {
        m_failure = QStringLiteral("%1 の圧縮率が異常です").arg(m_name);
    }
    return m_failure.isEmpty() ? got : -1;
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
        fail(path, QStringLiteral("zip 形式として開けません (%1)").arg(why));
    }
    const zip_int64_t count = zip_get_num_entries(m_zip, 0);
    if (count < 0 || static_cast<quint64>(count) > kMaxEntries) {
        zip_discard(m_zip);
        m_zip = nullptr;
        fail(path, QStringLiteral("zip のエントリ数が上限 %1 を超えています").arg(kMaxEntries));
    }
    m_index.reserve(count);
    for (zip_int64_t i = 0; i < count; ++i) {
        const char* name = zip_get_name(m_zip, static_cast<zip_uint64_t>(i), ZIP_FL_ENC_GUESS);
        if (name != nullptr) {
            // The first entry of a name wins, as a package reader takes it.
            m_index.insert(normalise(QString::fromUtf8(name)), static_cast<quint64>(i));
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
    const auto it = m_index.constFind(normalise(name));
    if (it == m_index.constEnd()) {
        return nullptr;
    }
    zip_stat_t stat;
    zip_stat_init(&stat);
    if (zip_stat_index(m_zip, it.value(), 0, &stat) != 0) {
        fail(m_path, QStringLiteral("%1 の情報を読めません").arg(name));
    }
    if ((stat.valid & ZIP_STAT_ENCRYPTION_METHOD) && stat.encryption_method != ZIP_EM_NONE) {
        fail(m_path, QStringLiteral("%1 は暗号化されています").arg(name));
    }
    zip_file* file = zip_fopen_index(m_zip, it.value(), 0);
    if (file == nullptr) {
        fail(m_path, QStringLiteral("%1 を開けません (%2)")
                         .arg(name, QString::fromUtf8(zip_strerror(m_zip))));
    }
    const quint64 compressed = (stat.valid & ZIP_STAT_COMP_SIZE) ? stat.comp_size : 0;
    return std::unique_ptr<ZipEntryDevice>(new ZipEntryDevice(*this, file, name, compressed));
}

QByteArray ZipArchive::readAll(const QString& name)
{
    std::unique_ptr<ZipEntryDevice> device = open(name);
    if (!device) {
        fail(m_path, QStringLiteral("%1 がありません").arg(name));
    }
    QByteArray data;
    char buffer[65536];
    for (;;) {
        const qint64 got = device->read(buffer, sizeof buffer);
        if (got < 0) {
            fail(m_path, device->failure().isEmpty() ? QStringLiteral("%1 を読めません").arg(name)
                                                     : device->failure());
        }
        if (got == 0) {
            break;
        }
        data.append(buffer, got);
    }
    return data;
}

} // namespace tavrune
