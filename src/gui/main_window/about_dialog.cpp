#include "gui/main_window/about_dialog.h"

#include "gui/twips.h"
#include "gui/window_services.h"

#include <QIcon>
#include <QLabel>
#include <QPushButton>

namespace tavrune {

AboutDialog::AboutDialog(const QIcon& icon, const QString& caption, QWidget* parent)
    : QDialog(parent, Qt::Dialog | Qt::MSWindowsFixedSizeDialogHint)
{
    setObjectName(QStringLiteral("frmVer"));
    setWindowTitle(QStringLiteral("ﾊﾞｰｼﾞｮﾝ情報"));
    setFixedSize(twipsToPixelsX(*this, 4215), twipsToPixelsY(*this, 1365));

    auto* image = new QLabel(this);
    image->setObjectName(QStringLiteral("imgIcon"));
    image->setPixmap(icon.pixmap(32, 32));
    image->setGeometry(twipsToPixelsX(*this, 150), twipsToPixelsY(*this, 150), 32, 32);

    const auto label = [this](const QString& name, const QString& text, double left, double top) {
        auto* label = new QLabel(text, this);
        label->setObjectName(name);
        label->setTextFormat(Qt::PlainText);
        label->setFont(boldLabelFont());
        label->adjustSize();
        label->move(twipsToPixelsX(*this, left), twipsToPixelsY(*this, top));
    };
    label(QStringLiteral("lblAppName"), caption, 1050, 150);
    label(QStringLiteral("lblVer"), versionText(), 1650, 450);

    auto* ok = new QPushButton(QStringLiteral("OK"), this);
    ok->setObjectName(QStringLiteral("cmdOK"));
    ok->setGeometry(twipsRect(*this, 1500, 900, 1215, 315));
    ok->setDefault(true);
    connect(ok, &QPushButton::clicked, this, &QDialog::accept);
}

QString AboutDialog::versionText()
{
    return QStringLiteral("Version - %1.%2").arg(TAVRUNE_VERSION_MAJOR).arg(TAVRUNE_VERSION_MINOR);
}

} // namespace tavrune
