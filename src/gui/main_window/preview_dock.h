#pragma once

#include "generation/sheet_preview.h"

#include <QDockWidget>
#include <atomic>
#include <functional>

class QLabel;
class QPlainTextEdit;
class QTimer;

namespace tavrune {

class BackgroundJob;

// "ﾌﾟﾚﾋﾞｭｰ": the text a run would write for the sheet under the cursor of the
// sheet list, with the output file's name above it. It writes nothing and asks
// nothing; an expansion error shows in place of the text. The text is made on a
// thread of its own, so that a long sheet never holds up the window.
class PreviewDock : public QDockWidget
{
    Q_OBJECT

public:
    // Makes the preview away from the window's thread: it reads only what it
    // holds, never the windows.
    using Work = std::function<SheetPreview(const std::atomic_bool& cancelled)>;

    // prepare takes, on the window's thread, what the preview of the moment needs
    // (the windows' fields as they stand); an empty work when there is no sheet.
    explicit PreviewDock(std::function<Work()> prepare, QWidget* parent = nullptr);

    // Something the preview depends on changed: the preview under way is given
    // up and made again after a short pause, so typing stays fluent. Nothing
    // happens while the pane is hidden.
    void scheduleUpdate();
    // Starts making the preview now; it shows once made.
    void updateNow();

    QString text() const;

protected:
    void showEvent(QShowEvent* event) override;
    void hideEvent(QHideEvent* event) override;

private:
    void showPreview(const SheetPreview& preview);

    std::function<Work()> m_prepare;
    QLabel* m_fileName = nullptr;
    QLabel* m_note = nullptr;
    QPlainTextEdit* m_text = nullptr;
    QTimer* m_delay = nullptr;
    BackgroundJob* m_job = nullptr;
};

} // namespace tavrune
