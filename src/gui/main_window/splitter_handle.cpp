#include "gui/main_window/splitter_handle.h"

#include <QMouseEvent>

namespace tavrune {

SplitterHandle::SplitterHandle(QWidget* parent) : QWidget(parent)
{
    setCursor(Qt::SplitHCursor);
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

} // namespace tavrune
