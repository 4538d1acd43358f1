#pragma once

#include <QDialog>

class QIcon;

namespace tavrune {

// "ﾊﾞｰｼﾞｮﾝ情報": the program's icon, the main window's caption and the version.
class AboutDialog : public QDialog
{
    Q_OBJECT

public:
    AboutDialog(const QIcon& icon, const QString& caption, QWidget* parent = nullptr);

    // "Version - " and the major and minor version, as plain decimal numbers.
    static QString versionText();
};

} // namespace tavrune
