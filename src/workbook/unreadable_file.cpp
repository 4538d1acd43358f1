#include "workbook/unreadable_file.h"

#include "common/error.h"

namespace tavrune {

void failUnreadable(const QString& path, const QString& why)
{
    throw Error(ErrorNumber::ApplicationDefined,
                QStringLiteral("ファイル \"%1\" を読み込めません: %2").arg(path, why));
}

} // namespace tavrune
