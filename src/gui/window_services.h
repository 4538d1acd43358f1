#pragma once

#include <QFont>
#include <QIcon>
#include <QMargins>
#include <QRect>

class QCoreApplication;
class QPlainTextEdit;
class QPushButton;
class QWidget;

namespace tavrune {

// The program's icon.
QIcon programIcon();

// Makes Japanese the default locale, for the dates and names of Qt's own
// dialogs, and loads Qt's own Japanese texts (qtbase_ja), so that standard
// buttons read はい, いいえ and キャンセル whatever the user's locale; false when
// the texts are not installed.
bool installQtJapanese(QCoreApplication& application);

// Places a window so that it does not stick out of the screen: a negative left or
// top becomes the screen's; a window that would stick out to the right or at the
// bottom is moved back so that its far edge meets the screen's. A window wider
// than the screen thus starts left of it. Sizes are kept.
QRect moveFormOnScreen(const QRect& window, const QRect& screen);

// The client rectangle of a window whose frame, with these margins, is wanted at
// frame: a frame larger than the available area is cut to it, though never the
// client below minimum, and the frame is then moved onto the area as
// moveFormOnScreen moves it, but never above or left of it.
QRect fitFrameOnScreen(const QRect& frame, const QMargins& margins, const QSize& minimum,
                       const QRect& available);
// The frame margins of a window: its own once the platform knows them, else
// those of like, a shown window of the program, else none.
QMargins frameMargins(const QWidget& window, const QWidget* like = nullptr);
// Gives window the geometry whose frame is wanted at frame, fitted into the
// available area of its screen.
void placeFrameOnScreen(QWidget& window, const QRect& frame, const QWidget* like = nullptr);
// The width a window needs for its title bar to show the caption whole: the
// caption in a bold title font, and room on either side for the window manager's
// icon and buttons.
int captionRoom(const QWidget& window);

// The stay-on-top hint, changed without hiding a shown window.
void setTopMost(QWidget& window, bool on);
// Whether the window of widget stays on top; false for no widget.
bool isTopMost(const QWidget* widget);

// The page and template buttons: the chosen one yellow, the others in the normal
// button colour.
void setButtonHighlighted(QPushButton& button, bool highlighted);

// A fixed-pitch font: "ＭＳ ゴシック" where it exists, else a Japanese
// monospace font, else the generic monospace family.
QFont monospaceFont();
// Shows box's text as the output files are read in an editor: in the fixed-pitch
// font, with a tab stop every eight characters, so that the template boxes and
// the preview line up alike.
void useCodeFont(QPlainTextEdit& box);
// A bold label font: "ＭＳ Ｐゴシック" 9.75 pt where it exists, else a Japanese
// sans-serif font.
QFont boldLabelFont();
// The program's own font: a Japanese sans-serif face, so that kana and kanji use
// Japanese glyph forms whatever the locale.
QFont applicationFont(const QFont& base);

} // namespace tavrune
