#include "gui/window_services.h"

#include <QCoreApplication>
#include <QFontDatabase>
#include <QFontMetrics>
#include <QGuiApplication>
#include <QIcon>
#include <QLibraryInfo>
#include <QLocale>
#include <QPalette>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QScreen>
#include <QStyle>
#include <QTranslator>
#include <QWidget>
#include <QWindow>

// The icon lives in the widgets library's resources, which a static link keeps
// only when they are referenced.
static void initResources()
{
    Q_INIT_RESOURCE(tavrune);
}

namespace tavrune {

QIcon programIcon()
{
    initResources();
    return QIcon(QStringLiteral(":/tavrune/tavrune.svg"));
}

QRect moveFormOnScreen(const QRect& window, const QRect& screen)
{
    QRect placed = window;
    if (window.left() < screen.left()) {
        placed.moveLeft(screen.left());
    } else if (window.left() + window.width() > screen.left() + screen.width()) {
        placed.moveLeft(screen.left() + screen.width() - window.width());
    }
    if (window.top() < screen.top()) {
        placed.moveTop(screen.top());
    } else if (window.top() + window.height() > screen.top() + screen.height()) {
        placed.moveTop(screen.top() + screen.height() - window.height());
    }
    return placed;
}

QRect fitFrameOnScreen(const QRect& frame, const QMargins& margins, const QSize& minimum,
                       const QRect& available)
{
    const QSize frameExtra(margins.left() + margins.right(), margins.top() + margins.bottom());
    const QSize client =
        (frame.size().boundedTo(available.size()) - frameExtra).expandedTo(minimum);
    QRect placed = moveFormOnScreen(QRect(frame.topLeft(), client + frameExtra), available);
    // A frame the screen cannot hold even so keeps its title bar on the screen.
    placed.moveTopLeft(
        QPoint(qMax(placed.left(), available.left()), qMax(placed.top(), available.top())));
    return placed.marginsRemoved(margins);
}

QMargins frameMargins(const QWidget& window, const QWidget* like)
{
    for (const QWidget* known : {&window, like}) {
        if (known != nullptr && known->frameGeometry() != known->geometry()) {
            const QRect frame = known->frameGeometry();
            const QRect client = known->geometry();
            return {client.left() - frame.left(), client.top() - frame.top(),
                    frame.right() - client.right(), frame.bottom() - client.bottom()};
        }
    }
    return {};
}

void placeFrameOnScreen(QWidget& window, const QRect& frame, const QWidget* like)
{
    const QScreen* screen = QGuiApplication::screenAt(frame.center());
    if (screen == nullptr) {
        screen = window.screen();
    }
    if (screen == nullptr) {
        window.setGeometry(frame);
        return;
    }
    window.setGeometry(fitFrameOnScreen(frame, frameMargins(window, like), window.minimumSize(),
                                        screen->availableGeometry()));
}

bool installQtJapanese(QCoreApplication& application)
{
    QLocale::setDefault(QLocale(QLocale::Japanese, QLocale::Japan));
    auto* translator = new QTranslator(&application);
    if (!translator->load(QStringLiteral("qtbase_ja"),
                          QLibraryInfo::path(QLibraryInfo::TranslationsPath))) {
        delete translator;
        return false;
    }
    return QCoreApplication::installTranslator(translator);
}

int captionRoom(const QWidget& window)
{
    QFont font = QFontDatabase::systemFont(QFontDatabase::TitleFont);
    font.setBold(true);
    // Titles are centred, so each side needs the room of the fuller one: an icon
    // and a button, or two buttons, each about as wide as the bar is high.
    const int side = 2 * window.style()->pixelMetric(QStyle::PM_TitleBarHeight, nullptr, &window);
    return QFontMetrics(font).horizontalAdvance(window.windowTitle()) + 2 * side;
}

void setTopMost(QWidget& window, bool on)
{
    const Qt::WindowFlags flags = window.windowFlags().setFlag(Qt::WindowStaysOnTopHint, on);
    if (QWindow* handle = window.windowHandle()) {
        // setWindowFlags would hide a shown window and lose its state.
        window.overrideWindowFlags(flags);
        handle->setFlags(flags);
    } else {
        window.setWindowFlags(flags);
    }
}

bool isTopMost(const QWidget* widget)
{
    return widget != nullptr && widget->window()->windowFlags().testFlag(Qt::WindowStaysOnTopHint);
}

void setButtonHighlighted(QPushButton& button, bool highlighted)
{
    if (highlighted) {
        QPalette palette = button.palette();
        palette.setColor(QPalette::Button, Qt::yellow);
        button.setPalette(palette);
    } else {
        button.setPalette(QPalette()); // inherit the normal colours again
    }
}

QFont monospaceFont()
{
    QFont font;
    font.setFamilies({QStringLiteral("ＭＳ ゴシック"), QStringLiteral("Noto Sans Mono CJK JP"),
                      QStringLiteral("monospace")});
    font.setStyleHint(QFont::Monospace);
    font.setFixedPitch(true);
    return font;
}

void useCodeFont(QPlainTextEdit& box)
{
    box.setFont(monospaceFont());
    box.setTabStopDistance(8 * QFontMetricsF(box.font()).horizontalAdvance(u' '));
}

QFont boldLabelFont()
{
    QFont font;
    font.setFamilies({QStringLiteral("ＭＳ Ｐゴシック"), QStringLiteral("Noto Sans CJK JP"),
                      QStringLiteral("sans-serif")});
    font.setStyleHint(QFont::SansSerif);
    font.setPointSizeF(9.75);
    font.setBold(true);
    return font;
}

QFont applicationFont(const QFont& base)
{
    QFont font = base;
    QStringList families = {QStringLiteral("Noto Sans CJK JP")};
    families.append(base.families().isEmpty() ? QStringList{base.family()} : base.families());
    font.setFamilies(families);
    return font;
}

} // namespace tavrune
