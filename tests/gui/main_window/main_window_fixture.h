#pragma once

#include "gui/format_editor/format_editor_window.h"
#include "gui/main_window/main_window.h"
#include "support/scripted_interaction.h"
#include "workbook/file_workbook_source.h"
#include "workbook/workbook_file_reader.h"

#include <QTemporaryDir>
#include <functional>
#include <gtest/gtest.h>
#include <memory>
#include <utility>

namespace tavrune::test {

extern const QString kSampleSettings;
extern const QString kSampleWorkbook;

// The window's workbooks, read from files; the snapshots handed to work off the
// window's thread call snapshotReadHook, when set, before every cell read.
class HookedFileSource : public FileWorkbookSource
{
public:
    using FileWorkbookSource::FileWorkbookSource;
    std::function<void()> snapshotReadHook;

protected:
    std::unique_ptr<WorkbookSetSource> emptySnapshot() const override;
};

// The main window over a settings and a window state file in a fresh directory.
class MainWindowFixture : public ::testing::Test
{
protected:
    // Starts the window with a copy of the sample settings (or none) and the
    // window state file holding ini (or none).
    MainWindow& start(bool withSamples, const QByteArray& ini = {}, const QString& manual = {});
    // Starts on the per-table sample setting with the sample workbook open and
    // out/ of the directory, not made, as the output folder.
    void startOnSampleWorkbook();

    SettingsPaths paths() const;
    QString path(const char* name) const { return m_dir.filePath(QString::fromUtf8(name)); }
    // Each "Section/Key" of the window state file holds its value.
    void expectState(std::initializer_list<std::pair<const char*, QString>> keys) const;

    // A control of the main window itself; the format editor has a cmbName too.
    template <typename T> T* find(const char* name) const
    {
        for (T* found : m_window->findChildren<T*>(QString::fromLatin1(name))) {
            const auto* widget = qobject_cast<const QWidget*>(found);
            if (widget == nullptr || widget->window() != &m_window->formatEditor()) {
                return found;
            }
        }
        ADD_FAILURE() << "no control " << name;
        return nullptr;
    }
    template <typename T> T* inEditor(const char* name) const
    {
        return m_window->formatEditor().findChild<T*>(QString::fromLatin1(name));
    }

    QTemporaryDir m_dir;
    ScriptedInteraction m_ui;
    // Called on the reading's thread before each workbook file is read.
    std::function<void()> m_beforeRead = [] {};
    HookedFileSource m_source{[this](const QString& path) {
        m_beforeRead();
        return readWorkbookFile(path);
    }};
    std::unique_ptr<MainWindow> m_window;
};

// Loads a settings file, failing the test when it cannot.
void loadSettings(const QString& path, FormatSettings& formats, FileSettings& files);

// tavrune-batch run in-process: its status, standard output and messages.
struct BatchResult
{
    int status = 0;
    QByteArray out;
    QString messages;
};
BatchResult runBatch(const QStringList& arguments);

} // namespace tavrune::test
