#include "gui/main_window/splitter_handle.h"

#include <QMouseEvent>
#include <QPainter>
#include <QStyleOption>

namespace tavrune {

SplitterHandle::SplitterHandle(QWidget* parent) : QWidget(parent)
{
    setCursor(Qt::SplitHCursor);
    setAttribute(Qt::WA_Hover);
}

void SplitterHandle::mousePressEvent(QMouseEvent* event)
{
    if (event->button() == Qt::LeftButton) {
        m_dragging = true;
        Q_EMIT pressed();
    }
}

void SplitterHandle::mouseMoveEvent(QMouseEvent* event)
{
    if (m_dragging) {
        Q_EMIT dragged(qRound(event->position().x()));
    }
}

void SplitterHandle::mouseReleaseEvent(QMouseEvent* event)
{
    if (m_dragging && event->button() == Qt::LeftButton) {
        m_dragging = false;
        Q_EMIT released();
    }
}

void SplitterHandle::paintEvent(QPaintEvent*)
{
    QPainter painter(this);
    QStyleOption option;
    option.initFrom(this);
    option.state |= QStyle::State_Horizontal;
    if (m_dragging) {
        option.state |= QStyle::State_Sunken;
    }
    style()->drawControl(QStyle::CE_Splitter, &option, &painter, this);
}

} // namespace tavrune
