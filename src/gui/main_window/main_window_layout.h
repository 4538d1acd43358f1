#pragma once

namespace tavrune {

// Fixed lengths of the main window, in twips.
namespace MainWindowMetrics {
constexpr double kTopRowHeight = 300; // the workbook box and the name box
constexpr double kButtonWidth = 915;  // 登録 and 削除
constexpr double kButtonHeight = 315;
constexpr double kPaneGap = 120; // between the panes, where the splitter handle shows
constexpr double kMinimumLeftPane = 1580;
constexpr double kRightPaneReserve = 4300; // kept for the right pane when the window shrinks
constexpr double kMinimumWidth = 6000;
constexpr double kMinimumHeight = 5500;
constexpr double kModifiedMarkWidth = 180; // the "*" beside the name box
} // namespace MainWindowMetrics

// The splitter position after a window resize: at most the inner width less the
// right pane's reserve, and at least the left pane's minimum, which wins in a
// narrow window.
double clampSplitter(double position, double innerWidth);

// The drag bar's position while the splitter is dragged: the same limits applied
// the other way round, so the upper one wins.
double clampSplitterDrag(double candidate, double innerWidth);

} // namespace tavrune
