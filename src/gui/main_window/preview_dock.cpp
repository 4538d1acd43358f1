#include "gui/main_window/preview_dock.h"

#include "common/background_job.h"
#include "gui/window_services.h"

#include <QApplication>
#include <QClipboard>
#include <QHBoxLayout>
#include <QLabel>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTimer>
#include <QVBoxLayout>

namespace tavrune {

namespace {

constexpr int kPauseMs = 300;
// A title cell may hold a long text; no file name is that long.
constexpr qsizetype kMaxFileNameShown = 260;

} // namespace

PreviewDock::PreviewDock(std::function<Work()> prepare, QWidget* parent)
    : QDockWidget(QStringLiteral("ﾌﾟﾚﾋﾞｭｰ"), parent), m_prepare(std::move(prepare))
{
    setObjectName(QStringLiteral("dockPreview"));
    auto* content = new QWidget(this);
    auto* layout = new QVBoxLayout(content);
    auto* top = new QHBoxLayout;
    m_fileName = new QLabel(content);
    m_fileName->setObjectName(QStringLiteral("lblPreviewFile"));
    m_fileName->setTextFormat(Qt::PlainText);
    m_fileName->setTextInteractionFlags(Qt::TextSelectableByMouse);
    m_note = new QLabel(content);
    m_note->setObjectName(QStringLiteral("lblPreviewNote"));
    m_note->setTextFormat(Qt::PlainText);
    m_note->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    // Long texts share the row instead of widening the pane.
    for (QLabel* label : {m_fileName, m_note}) {
        label->setSizePolicy(QSizePolicy::Ignored, QSizePolicy::Preferred);
    }
    auto* copy = new QPushButton(QStringLiteral("コピー"), content);
    copy->setObjectName(QStringLiteral("cmdCopy"));
    top->addWidget(m_fileName, 1);
    top->addWidget(m_note, 2);
    top->addWidget(copy);
    layout->addLayout(top);
    m_text = new QPlainTextEdit(content);
    m_text->setObjectName(QStringLiteral("txtPreview"));
    m_text->setReadOnly(true);
    m_text->setLineWrapMode(QPlainTextEdit::NoWrap);
    useCodeFont(*m_text);
    layout->addWidget(m_text);
    setWidget(content);

    m_delay = new QTimer(this);
    m_delay->setSingleShot(true);
    m_delay->setInterval(kPauseMs);
    connect(m_delay, &QTimer::timeout, this, &PreviewDock::updateNow);
    m_job = new BackgroundJob(
        [this](const QString& why) {
            showPreview({{}, {}, QStringLiteral("プレビューを作れません: %1").arg(why)});
        },
        this);
    connect(copy, &QPushButton::clicked, this,
            [this] { QApplication::clipboard()->setText(m_text->toPlainText()); });
}

void PreviewDock::scheduleUpdate()
{
    if (isVisible()) {
        // What is under way no longer matches the fields.
        m_job->cancel();
        m_delay->start();
    }
}

void PreviewDock::updateNow()
{
    m_delay->stop();
    const Work work = m_prepare();
    if (!work) {
        m_job->cancel();
        showPreview({});
        return;
    }
    m_note->setText(QStringLiteral("作成中…"));
    m_job->start([this, work](const std::atomic_bool& cancelled) -> BackgroundJob::Delivery {
        return [this, preview = work(cancelled)] { showPreview(preview); };
    });
}

QString PreviewDock::text() const
{
    return m_text->toPlainText();
}

void PreviewDock::showEvent(QShowEvent* event)
{
    QDockWidget::showEvent(event);
    updateNow();
}

void PreviewDock::hideEvent(QHideEvent* event)
{
    QDockWidget::hideEvent(event);
    m_delay->stop();
    m_job->cancel();
    m_note->clear();
}

void PreviewDock::showPreview(const SheetPreview& preview)
{
    m_fileName->setText(preview.fileName.size() > kMaxFileNameShown
                            ? preview.fileName.left(kMaxFileNameShown) + u'…'
                            : preview.fileName);
    m_text->setPlainText(preview.error.isEmpty() ? preview.text : preview.error);
    m_note->setText(preview.cut
                        ? QStringLiteral("先頭の %1 行を表示しています。以降は省略しました。")
                              .arg(m_text->blockCount())
                        : QString());
}

} // namespace tavrune
