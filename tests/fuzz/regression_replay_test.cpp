#include "harnesses.h"

#include <QDir>
#include <QFile>
#include <gtest/gtest.h>
#include <map>

using namespace tavrune::fuzz;

namespace {

using Harness = int (*)(const uint8_t*, size_t);

// Folder names under fuzz/regressions and the harness each folder's inputs go to.
const std::map<QString, Harness>& harnesses()
{
    static const std::map<QString, Harness> all = {
        {QStringLiteral("xlsx_reader"), fuzzXlsxReader},
        {QStringLiteral("xlsx_template"), fuzzXlsxTemplate},
        {QStringLiteral("xls_reader"), fuzzXlsReader},
        {QStringLiteral("ods_reader"), fuzzOdsReader},
        {QStringLiteral("settings_file"), fuzzSettingsFile},
        {QStringLiteral("window_state_file"), fuzzWindowStateFile},
        {QStringLiteral("template_expansion"), fuzzTemplateExpansion},
        {QStringLiteral("cell_address_number"), fuzzCellAddressNumber},
    };
    return all;
}

QDir regressions()
{
    return QDir(QStringLiteral(TAVRUNE_FUZZ_REGRESSIONS));
}

} // namespace

// Every folder of the corpus belongs to a harness, so no input is silently left out.
TEST(FuzzRegressions, EveryFolderNamesAHarness)
{
    const QStringList folders = regressions().entryList(QDir::Dirs | QDir::NoDotAndDotDot);
    EXPECT_FALSE(folders.isEmpty());
    for (const QString& folder : folders) {
        EXPECT_TRUE(harnesses().contains(folder)) << folder.toStdString();
    }
}

// Each input that once made a harness fail runs through it again; a fault shows
// as a crash, a sanitizer report or an escaping exception.
TEST(FuzzRegressions, InputsRunCleanly)
{
    int replayed = 0;
    for (const auto& [folder, harness] : harnesses()) {
        const QDir dir(regressions().filePath(folder));
        for (const QString& name : dir.entryList(QDir::Files)) {
            SCOPED_TRACE((folder + u'/' + name).toStdString());
            QFile file(dir.filePath(name));
            ASSERT_TRUE(file.open(QIODevice::ReadOnly));
            const QByteArray input = file.readAll();
            EXPECT_NO_THROW(harness(reinterpret_cast<const uint8_t*>(input.constData()),
                                    static_cast<size_t>(input.size())));
            ++replayed;
        }
    }
    EXPECT_GT(replayed, 0);
}
