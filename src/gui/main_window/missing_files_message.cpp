#include "gui/main_window/missing_files_message.h"

namespace tavrune {

namespace {

constexpr qsizetype kShownPaths = 20;

} // namespace

QString missingFilesMessage(const QStringList& paths)
{
    QString message = QStringLiteral("次の %1 個のファイルが見つかりません。\n").arg(paths.size());
    for (const QString& path : paths.first(std::min(paths.size(), kShownPaths))) {
        message += u'\n' + path;
    }
    if (paths.size() > kShownPaths) {
        message += QStringLiteral("\nほか %1 件").arg(paths.size() - kShownPaths);
    }
    return message;
}

} // namespace tavrune
