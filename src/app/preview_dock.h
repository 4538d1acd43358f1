#pragma once

#include "generation/sheet_preview.h"

#include <QDockWidget>
#include <functional>

class QLabel;
class QPlainTextEdit;
class QTimer;

namespace tavrune {

// "ﾌﾟﾚﾋﾞｭｰ": the text a run would write for the sheet under the cursor of the
// sheet list, with the output file's name above it. It writes nothing and asks
// nothing; an expansion error shows in place of the text.
class PreviewDock : public QDockWidget
{
    Q_OBJECT

public:
    // compute makes the preview of the moment (the windows' fields as they stand).
    PreviewDock(std::function<SheetPreview()> compute, QWidget* parent = nullptr);

    // Something the preview depends on changed: it is made again after a short
    // pause, so typing stays fluent. Nothing happens while the pane is hidden.
    void scheduleUpdate();
    // Makes the preview now.
    void updateNow();

    QString text() const;

protected:
    void showEvent(QShowEvent* event) override;

private:
    std::function<SheetPreview()> m_compute;
    QLabel* m_fileName = nullptr;
    QPlainTextEdit* m_text = nullptr;
    QTimer* m_delay = nullptr;
};

} // namespace tavrune
