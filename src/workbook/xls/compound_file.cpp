#include "workbook/xls/compound_file.h"

#include "common/error.h"
#include "workbook/unreadable_file.h"

#include <QFile>
#include <algorithm>
#include <cstring>
#include <gsf/gsf-infile-msole.h>
#include <gsf/gsf-infile.h>
#include <gsf/gsf-input-stdio.h>
#include <gsf/gsf-input.h>
#include <gsf/gsf-utils.h>
#include <memory>

namespace tavrune {

namespace {

struct GObjectUnref
{
    void operator()(gpointer object) const { g_object_unref(object); }
};
template <typename T> using GObjectPtr = std::unique_ptr<T, GObjectUnref>;

void ensureGsfInitialised()
{
    // A function-local static runs gsf_init() once, even with several threads.
    // libgsf's own warnings about damaged files are silenced: the reader reports
    // every failure itself, with the file name.
    static const bool initialised = [] {
        gsf_init();
        for (const char* domain : {static_cast<const char*>(nullptr), "libgsf", "libgsf:msole"}) {
            g_log_set_handler(
                domain, static_cast<GLogLevelFlags>(G_LOG_LEVEL_CRITICAL | G_LOG_LEVEL_WARNING),
                [](const gchar*, GLogLevelFlags, const gchar*, gpointer) {}, nullptr);
        }
        return true;
    }();
    Q_UNUSED(initialised);
}

QString takeMessage(GError* error)
{
    if (error == nullptr) {
        return {};
    }
    QString message = QString::fromUtf8(error->message);
    g_error_free(error);
    return message;
}

quint32 readLittleEndian32(const guint8* bytes)
{
    return quint32(bytes[0]) | quint32(bytes[1]) << 8 | quint32(bytes[2]) << 16 |
           quint32(bytes[3]) << 24;
}

// Refuses a directory whose first entry is not a root storage without siblings.
// libgsf builds sibling entries of the root without ever attaching them to the
// tree, so it loses their memory on every open of such a file.
void checkRootEntry(GsfInput* file, const QString& path)
{
    const auto damaged = [&path](const QString& why) {
        failUnreadable(path, QStringLiteral("複合ドキュメントの構造が壊れているか、ファイルが途中で"
                                            "切れています (%1)。")
                                 .arg(why));
    };
    guint8 header[0x34];
    if (gsf_input_seek(file, 0, G_SEEK_SET) || !gsf_input_read(file, sizeof header, header)) {
        damaged(QStringLiteral("ヘッダーが短すぎます"));
    }
    // Sectors are 512 or 4096 bytes; the header takes the first sector.
    const unsigned shift = header[0x1E] | header[0x1F] << 8;
    if (shift != 9 && shift != 12) {
        damaged(QStringLiteral("セクターの大きさ 2^%1").arg(shift));
    }
    const quint64 offset = (quint64(readLittleEndian32(header + 0x30)) + 1) << shift;
    guint8 entry[0x50];
    if (offset + sizeof entry > quint64(gsf_input_size(file)) ||
        gsf_input_seek(file, static_cast<gsf_off_t>(offset), G_SEEK_SET) ||
        !gsf_input_read(file, sizeof entry, entry)) {
        damaged(QStringLiteral("ディレクトリがファイルの外にあります"));
    }
    constexpr quint8 kRootStorage = 5;
    constexpr quint32 kNoStream = 0xFFFFFFFF;
    if (entry[0x42] != kRootStorage || readLittleEndian32(entry + 0x44) != kNoStream ||
        readLittleEndian32(entry + 0x48) != kNoStream) {
        damaged(QStringLiteral("ルート項目が不正です"));
    }
}

} // namespace

QByteArray readXlsWorkbookStream(const QString& path)
{
    ensureGsfInitialised();

    GError* error = nullptr;
    GObjectPtr<GsfInput> file(gsf_input_stdio_new(QFile::encodeName(path).constData(), &error));
    if (!file) {
        failUnreadable(path, QStringLiteral("ファイルを開けません (%1)。").arg(takeMessage(error)));
    }
    // Files without the compound file signature are not .xls files at all; others
    // that libgsf refuses are damaged.
    static constexpr guint8 kSignature[8] = {0xD0, 0xCF, 0x11, 0xE0, 0xA1, 0xB1, 0x1A, 0xE1};
    const guint8* head =
        gsf_input_size(file.get()) >= 8 ? gsf_input_read(file.get(), 8, nullptr) : nullptr;
    if (head == nullptr || std::memcmp(head, kSignature, sizeof kSignature) != 0) {
        failUnreadable(path, QStringLiteral("Excel 97-2003 形式 (複合ドキュメント) "
                                            "のファイルではありません。"));
    }
    checkRootEntry(file.get(), path);
    gsf_input_seek(file.get(), 0, G_SEEK_SET);
    GObjectPtr<GsfInfile> compound(gsf_infile_msole_new(file.get(), &error));
    if (!compound) {
        failUnreadable(path, QStringLiteral("複合ドキュメントの構造が壊れているか、ファイルが"
                                            "途中で切れています (%1)。")
                                 .arg(takeMessage(error)));
    }

    // Stream names are compared without regard to case, as some writers vary it.
    int workbookIndex = -1;
    int bookIndex = -1;
    const int count = gsf_infile_num_children(compound.get());
    for (int i = 0; i < count; ++i) {
        const char* raw = gsf_infile_name_by_index(compound.get(), i);
        const QString name = QString::fromUtf8(raw == nullptr ? "" : raw);
        if (name.compare(QLatin1String("EncryptedPackage"), Qt::CaseInsensitive) == 0) {
            failUnreadable(path, QStringLiteral("ファイルは暗号化されています "
                                                "(パスワードで保護されたブック)。"));
        }
        if (name.compare(QLatin1String("Workbook"), Qt::CaseInsensitive) == 0) {
            workbookIndex = i;
        } else if (name.compare(QLatin1String("Book"), Qt::CaseInsensitive) == 0) {
            bookIndex = i;
        }
    }
    const int index = workbookIndex >= 0 ? workbookIndex : bookIndex;
    if (index < 0) {
        failUnreadable(path, QStringLiteral("ブックのストリーム (Workbook) がありません。"));
    }
    const QString streamName = QString::fromUtf8(gsf_infile_name_by_index(compound.get(), index));
    GObjectPtr<GsfInput> stream(gsf_infile_child_by_index(compound.get(), index));
    if (!stream) {
        failUnreadable(path, QStringLiteral("ストリーム %1 を開けません。").arg(streamName));
    }

    const gsf_off_t size = gsf_input_size(stream.get());
    if (size < 0 || size > kMaxXlsWorkbookStreamSize) {
        failUnreadable(path, QStringLiteral("ストリーム %1 の大きさ (%2 バイト) が上限 %3 "
                                            "バイトを超えています。")
                                 .arg(streamName)
                                 .arg(size)
                                 .arg(kMaxXlsWorkbookStreamSize));
    }
    // Read in pieces, growing as the data arrives: the stored size is only a
    // claim, and a damaged sector chain fails at a clear point.
    QByteArray data;
    constexpr gsf_off_t kChunk = 1 << 20;
    gsf_off_t done = 0;
    while (done < size) {
        const gsf_off_t piece = std::min(kChunk, size - done);
        data.resize(static_cast<qsizetype>(done + piece));
        const guint8* read = gsf_input_read(stream.get(), static_cast<size_t>(piece),
                                            reinterpret_cast<guint8*>(data.data() + done));
        if (read == nullptr) {
            failUnreadable(path, QStringLiteral("ストリーム %1 をオフセット %2 から読み取れません "
                                                "(ファイルが壊れているか途中で切れています)。")
                                     .arg(streamName)
                                     .arg(done));
        }
        done += piece;
    }
    return data;
}

} // namespace tavrune
