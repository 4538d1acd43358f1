#include "gui/twips.h"

#include <QWidget>
#include <cmath>

namespace tavrune {

namespace {

constexpr double kTwipsPerInch = 1440.0;

int toPixels(double twips, int dpi)
{
    return static_cast<int>(std::lround(twips * dpi / kTwipsPerInch));
}

} // namespace

int twipsToPixelsX(const QWidget& widget, double twips)
{
    return toPixels(twips, widget.logicalDpiX());
}

int twipsToPixelsY(const QWidget& widget, double twips)
{
    return toPixels(twips, widget.logicalDpiY());
}

double pixelsToTwipsX(const QWidget& widget, int pixels)
{
    return pixels * kTwipsPerInch / widget.logicalDpiX();
}

double pixelsToTwipsY(const QWidget& widget, int pixels)
{
    return pixels * kTwipsPerInch / widget.logicalDpiY();
}

QRect twipsRect(const QWidget& widget, double left, double top, double width, double height)
{
    return {twipsToPixelsX(widget, left), twipsToPixelsY(widget, top),
            twipsToPixelsX(widget, width), twipsToPixelsY(widget, height)};
}

} // namespace tavrune
