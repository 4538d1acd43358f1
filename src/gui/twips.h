#pragma once

#include <QRect>

class QWidget;

namespace tavrune {

// Window lengths are given in twips (1/1440 inch) and stored in twips; the screen's
// logical resolution turns them into pixels: 15 twips a pixel at 96 DPI.
int twipsToPixelsX(const QWidget& widget, double twips);
int twipsToPixelsY(const QWidget& widget, double twips);
double pixelsToTwipsX(const QWidget& widget, int pixels);
double pixelsToTwipsY(const QWidget& widget, int pixels);

// A rectangle given in twips (left, top, width, height), in pixels.
QRect twipsRect(const QWidget& widget, double left, double top, double width, double height);

} // namespace tavrune
