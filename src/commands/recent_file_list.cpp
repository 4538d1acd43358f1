#include "commands/recent_file_list.h"

namespace tavrune {

void RecentFileList::add(const QString& path)
{
    if (m_paths.contains(path, Qt::CaseInsensitive)) {
        return;
    }
    m_paths.prepend(path);
    if (m_paths.size() > kMaxEntries) {
        m_paths.removeLast();
    }
}

void RecentFileList::restore(const QStringList& stored)
{
    for (auto it = stored.crbegin(); it != stored.crend(); ++it) {
        add(*it);
    }
}

} // namespace tavrune
