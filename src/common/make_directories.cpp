#include "common/make_directories.h"

#include <QFile>
#include <cerrno>
#include <sys/stat.h>

namespace tavrune {

int makeDirectories(const QString& path, QString& failedLevel)
{
    qsizetype pos = 0;
    do {
        pos = path.indexOf(u'/', pos + 1);
        const QString level = pos < 0 ? path : path.left(pos);
        const QByteArray name = QFile::encodeName(level);
        struct stat status;
        // Qt's mkdir and mkpath say only that they failed, not why.
        if (!level.isEmpty() && ::lstat(name.constData(), &status) != 0 &&
            ::mkdir(name.constData(), 0777) != 0) {
            failedLevel = level;
            return errno;
        }
    } while (pos >= 0);
    return 0;
}

} // namespace tavrune
