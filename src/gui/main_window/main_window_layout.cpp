#include "gui/main_window/main_window_layout.h"

namespace tavrune {

using namespace MainWindowMetrics;

double clampSplitter(double position, double innerWidth)
{
    if (innerWidth - kRightPaneReserve < position) {
        position = innerWidth - kRightPaneReserve;
    }
    if (position < kMinimumLeftPane) {
        position = kMinimumLeftPane;
    }
    return position;
}

double clampSplitterDrag(double candidate, double innerWidth)
{
    if (candidate < kMinimumLeftPane) {
        candidate = kMinimumLeftPane;
    }
    if (innerWidth - kRightPaneReserve < candidate) {
        candidate = innerWidth - kRightPaneReserve;
    }
    return candidate;
}

} // namespace tavrune
