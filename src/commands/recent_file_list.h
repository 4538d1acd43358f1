#pragma once

#include <QStringList>

namespace tavrune {

// The recent-file list of the File menu: at most nine full paths, the newest on
// top. A path already listed, in any letter case, is not added again and does not
// move. Nothing removes an entry, not even a missing file.
class RecentFileList
{
public:
    static constexpr qsizetype kMaxEntries = 9;

    void add(const QString& path);
    // Rebuilds the list from stored paths, the first stored one ending on top.
    void restore(const QStringList& stored);
    const QStringList& paths() const { return m_paths; }

private:
    QStringList m_paths;
};

} // namespace tavrune
