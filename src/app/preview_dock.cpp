#include "app/preview_dock.h"

#include "app/window_services.h"

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

} // namespace

PreviewDock::PreviewDock(std::function<SheetPreview()> compute, QWidget* parent)
    : QDockWidget(QStringLiteral("ﾌﾟﾚﾋﾞｭｰ"), parent), m_compute(std::move(compute))
{
    setObjectName(QStringLiteral("dockPreview"));
    auto* content = new QWidget(this);
    auto* layout = new QVBoxLayout(content);
    auto* top = new QHBoxLayout;
    m_fileName = new QLabel(content);
    m_fileName->setObjectName(QStringLiteral("lblPreviewFile"));
    m_fileName->setTextFormat(Qt::PlainText);
    m_fileName->setTextInteractionFlags(Qt::TextSelectableByMouse);
    auto* copy = new QPushButton(QStringLiteral("コピー"), content);
    copy->setObjectName(QStringLiteral("cmdCopy"));
    top->addWidget(m_fileName, 1);
    top->addWidget(copy);
    layout->addLayout(top);
    m_text = new QPlainTextEdit(content);
    m_text->setObjectName(QStringLiteral("txtPreview"));
    m_text->setReadOnly(true);
    m_text->setLineWrapMode(QPlainTextEdit::NoWrap);
    m_text->setFont(monospaceFont());
    layout->addWidget(m_text);
    setWidget(content);

    m_delay = new QTimer(this);
    m_delay->setSingleShot(true);
    m_delay->setInterval(kPauseMs);
    connect(m_delay, &QTimer::timeout, this, &PreviewDock::updateNow);
    connect(copy, &QPushButton::clicked, this,
            [this] { QApplication::clipboard()->setText(m_text->toPlainText()); });
}

void PreviewDock::scheduleUpdate()
{
    if (isVisible()) {
        m_delay->start();
    }
}

void PreviewDock::updateNow()
{
    m_delay->stop();
    const SheetPreview preview = m_compute();
    m_fileName->setText(preview.fileName);
    m_text->setPlainText(preview.error.isEmpty() ? preview.text : preview.error);
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

} // namespace tavrune
