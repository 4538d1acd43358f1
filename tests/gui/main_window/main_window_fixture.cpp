#include "main_window_fixture.h"

#include "cli/batch_command.h"
#include "settings/settings_file.h"
#include "settings/window_state_file.h"
#include "support/memory_workbook_source.h"
#include "support/test_files.h"

#include <QBuffer>
#include <QDir>
#include <QFile>
#include <QLineEdit>

namespace tavrune::test {

const QString kSampleSettings = QStringLiteral(TAVRUNE_SAMPLES "/tavrune.dat");
const QString kSampleWorkbook = QStringLiteral(TAVRUNE_SAMPLES "/table_definitions.xlsx");

std::unique_ptr<WorkbookSetSource> HookedFileSource::emptySnapshot() const
{
    if (!snapshotReadHook) {
        return FileWorkbookSource::emptySnapshot();
    }
    auto copy = std::make_unique<MemoryWorkbookSource>();
    copy->setReadHook(snapshotReadHook);
    return copy;
}

MainWindow& MainWindowFixture::start(bool withSamples, const QByteArray& ini, const QString& manual)
{
    if (withSamples) {
        EXPECT_TRUE(QFile::copy(kSampleSettings, paths().settingsFile));
        QFile::setPermissions(paths().settingsFile, QFile::ReadOwner | QFile::WriteOwner);
    }
    if (!ini.isEmpty()) {
        writeBytes(paths().windowStateFile, ini);
    }
    m_window = std::make_unique<MainWindow>(m_ui, m_source, paths(), manual);
    m_window->startUp();
    return *m_window;
}

void MainWindowFixture::startOnSampleWorkbook()
{
    start(true, "[Name]\r\nMain=0\r\n");
    m_window->openFiles({kSampleWorkbook});
    find<QLineEdit>("txtOutputDir")->setText(path("out"));
}

SettingsPaths MainWindowFixture::paths() const
{
    return {path("tavrune.dat"), path("tavrune.ini")};
}

void MainWindowFixture::expectState(
    std::initializer_list<std::pair<const char*, QString>> keys) const
{
    const WindowStateFile state(paths().windowStateFile);
    for (const auto& [key, value] : keys) {
        const QString name = QString::fromLatin1(key);
        EXPECT_EQ(state.readWindowState(name.section(u'/', 0, 0), name.section(u'/', 1)), value)
            << key;
    }
}

void loadSettings(const QString& path, FormatSettings& formats, FileSettings& files)
{
    ScriptedInteraction quiet;
    ASSERT_TRUE(SettingsFile(path, quiet).loadSettingsFile(formats, files)) << path.toStdString();
}

BatchResult runBatch(const QStringList& arguments)
{
    QBuffer out;
    out.open(QIODevice::WriteOnly);
    BatchResult result;
    QTextStream err(&result.messages);
    result.status =
        runBatchCommand(QStringList{QStringLiteral("tavrune-batch")} + arguments, out, err);
    err.flush();
    result.out = out.data();
    return result;
}

} // namespace tavrune::test
