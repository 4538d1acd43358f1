#pragma once

#include <QWidget>

namespace tavrune {

// The handle between the panes of the main window: drawn as the style draws a
// splitter's handle, lit under the pointer, it shows the west-east sizing pointer
// and reports a drag by the pointer's position within itself, in pixels.
class SplitterHandle : public QWidget
{
    Q_OBJECT

public:
    explicit SplitterHandle(QWidget* parent = nullptr);

Q_SIGNALS:
    void pressed();
    void dragged(int x);
    void released();

protected:
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void paintEvent(QPaintEvent* event) override;

private:
    bool m_dragging = false;
};

} // namespace tavrune
