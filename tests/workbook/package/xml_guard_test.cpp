#include "workbook/package/xml_guard.h"
#include "workbook/package/zip_archive.h"

#include <QDir>
#include <QTemporaryDir>
#include <functional>
#include <gtest/gtest.h>
#include <tuple>
#include <zip.h>

using namespace tavrune;

namespace {

struct Pass
{
    qint64 bytes = 0;
    QString failure;
    quint64 elements = 0;
    quint64 xmlBytes = 0;
    bool entryFailed = false; // the zip entry itself, found at its end

    // A part the guard stops does so at the same byte, but the reads before it
    // return and charge what their sizes made them; an entry found damaged at its
    // end has been scanned as far as the reads before reached.
    bool operator==(const Pass& other) const
    {
        if (failure != other.failure || entryFailed != other.entryFailed) {
            return false;
        }
        if (failure.isEmpty()) {
            return bytes == other.bytes && elements == other.elements && xmlBytes == other.xmlBytes;
        }
        return entryFailed || elements == other.elements;
    }
};

void PrintTo(const Pass& pass, std::ostream* out)
{
    *out << pass.bytes << " bytes, " << pass.elements << " elements, " << pass.xmlBytes
         << " XML bytes, \"" << pass.failure.toStdString() << '"';
}

// One part read through a guard in reads of the given sizes, taken in turn.
Pass readPart(const QString& file, const QString& part, const std::vector<int>& sizes)
{
    Pass pass;
    ZipArchive archive(file);
    const std::unique_ptr<ZipEntryDevice> entry = archive.open(part);
    entry->open(QIODevice::ReadOnly | QIODevice::Unbuffered);
    {
        XmlGuard guard(*entry, part);
        QByteArray buffer(1 << 16, '\0');
        for (size_t n = 0;; ++n) {
            const qint64 got = guard.read(buffer.data(), sizes[n % sizes.size()]);
            if (got <= 0) {
                break;
            }
            pass.bytes += got;
        }
        pass.failure = guard.failure();
    }
    pass.entryFailed = !entry->failure().isEmpty();
    pass.elements = archive.elementsRead();
    pass.xmlBytes = archive.xmlBytesRead();
    return pass;
}

QStringList xmlParts(const QString& file)
{
    QStringList parts;
    int error = 0;
    zip_t* zip = zip_open(QFile::encodeName(file).constData(), ZIP_RDONLY, &error);
    if (zip == nullptr) {
        return parts;
    }
    for (zip_int64_t i = 0; i < zip_get_num_entries(zip, 0); ++i) {
        const QString name = QString::fromUtf8(zip_get_name(zip, static_cast<zip_uint64_t>(i), 0));
        if (name.endsWith(u".xml") || name.endsWith(u".rels")) {
            parts << name;
        }
    }
    zip_close(zip);
    return parts;
}

} // namespace

// The guard takes whatever the parser asks for: a tag, a name or a value may be
// cut anywhere between two reads. Every part of the hostile and the ordinary
// fixtures passes, or stops with the same reason after the same bytes and the
// elements charged, however its bytes are cut.
TEST(XmlGuard, TheOutcomeDoesNotDependOnWhereReadsEnd)
{
    qsizetype checked = 0;
    for (const char* folder : {"hostile", "xlsx", "ods", "formats"}) {
        const QDir dir(QStringLiteral(TAVRUNE_TEST_DATA "/") + QLatin1String(folder));
        for (const QString& name : dir.entryList({u"*.xlsx"_qs, u"*.ods"_qs}, QDir::Files)) {
            const QString file = dir.filePath(name);
            for (const QString& part : xmlParts(file)) {
                SCOPED_TRACE((name + u' ' + part).toStdString());
                Pass whole;
                try {
                    whole = readPart(file, part, {1 << 16});
                } catch (const std::exception&) {
                    continue; // the archive refuses the entry itself
                }
                // Reads of exactly the part's size end on its last byte.
                const int exact = static_cast<int>(std::clamp<qint64>(whole.bytes, 1, 1 << 16));
                for (const std::vector<int>& sizes :
                     {std::vector<int>{1}, std::vector<int>{2, 3, 5, 7, 11, 13}, {4093}, {exact}}) {
                    if (sizes[0] == 1 && whole.bytes > (256 << 10)) {
                        continue;
                    }
                    EXPECT_EQ(readPart(file, part, sizes), whole) << sizes[0];
                }
                ++checked;
            }
        }
    }
    EXPECT_GT(checked, 100);
}

// One past each bound on nesting, attributes and namespace declarations stops the
// part; the bound itself passes.
TEST(XmlGuard, OnePastEachBoundStops)
{
    QTemporaryDir dir;
    const QString file = dir.filePath(u"part.zip"_qs);
    const auto failureOf = [&](const QByteArray& xml) {
        int error = 0;
        zip_t* zip =
            zip_open(QFile::encodeName(file).constData(), ZIP_CREATE | ZIP_TRUNCATE, &error);
        zip_file_add(zip, "p.xml", zip_source_buffer(zip, xml.constData(), xml.size(), 0), 0);
        zip_close(zip);
        return readPart(file, u"p.xml"_qs, {1 << 16}).failure;
    };
    const auto tags = [](const char* text, int count) {
        QByteArray tag;
        for (int i = 0; i < count; ++i) {
            tag += QByteArray(text).replace('#', QByteArray::number(i));
        }
        return tag;
    };
    const std::tuple<std::function<QByteArray(int)>, int, QString> bounds[] = {
        {[&](int n) { return tags("<e>", n); }, XmlGuard::kMaxDepth,
         u"要素の入れ子が上限 256 を"_qs},
        {[&](int n) { return "<e" + tags(" a#=\"1\"", n) + "/>"; }, XmlGuard::kMaxAttributes,
         u"属性の数が上限 128 を"_qs},
        // Declarations in scope, one on each of nested elements.
        {[&](int n) { return tags("<e xmlns:p#=\"u\">", n); }, XmlGuard::kMaxNamespaces,
         u"名前空間の宣言が上限 128 を"_qs},
    };
    for (const auto& [xml, limit, reason] : bounds) {
        EXPECT_EQ(failureOf(xml(limit)), QString()) << reason.toStdString();
        EXPECT_TRUE(failureOf(xml(limit + 1)).contains(reason)) << reason.toStdString();
    }
}
