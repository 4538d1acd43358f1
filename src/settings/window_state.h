#pragma once

#include "settings/window_state_file.h"

#include <QString>
#include <QStringList>
#include <optional>

namespace tavrune {

// Which name box a remembered position belongs to.
enum class SettingKind
{
    File,       // the main window's file settings
    Format,     // the format editor's format settings
    Change,     // the change settings' window
    Connection, // the connection settings' window
};

// The keys of the window state file with their types, for the windows and the
// batch tool alike: positions and sizes in twips, the window's state, the
// always-on-top switch, the remembered open path, the recent files and the
// positions of the settings chosen last. The file is read when the object is made;
// the setters change what save() writes, except that a chosen position is written
// at once.
class WindowState
{
public:
    // Normal position and size of the main window, in twips.
    struct Bounds
    {
        qint32 left = 0;
        qint32 top = 0;
        qint32 width = 0;
        qint32 height = 0;

        bool operator==(const Bounds&) const = default;
    };

    // At most this many recent files are kept.
    static constexpr int kMaxRecentFiles = 9;

    explicit WindowState(QString path);

    const QString& path() const { return m_file.path(); }

    // Each value rounded; all four 0 (the first start's placement) when any of
    // them is out of range.
    Bounds bounds() const;
    void setBounds(const Bounds& bounds);
    // The splitter's left position in twips, not rounded.
    double splitter() const;
    void setSplitter(double twips);
    // Whether the window was closed maximised; any other state starts normal.
    bool maximized() const;
    // 0 normal, 1 minimised, 2 maximised.
    void setWindowState(int state);
    bool topMost() const;
    void setTopMost(bool on);
    QString defPath() const;
    void setDefPath(const QString& path);

    // The stored recent files, Recent1 first, read up to the first empty or
    // missing key.
    QStringList recentFiles() const;
    // Writes Recent1, Recent2 ... from the list; keys beyond it keep their values.
    void setRecentFiles(const QStringList& paths);

    // The position of the setting chosen last in a list of listSize records: the
    // stored position, the first when none is stored; nothing when that position
    // is not in the list (or the stored value is no 16-bit number).
    std::optional<qsizetype> chosenPosition(SettingKind kind, qsizetype listSize) const;
    // Written at once, so that tavrune-batch run meanwhile takes the same setting;
    // when that fails, the next save() tries again and reports it.
    void setChosenPosition(SettingKind kind, qsizetype position);

    // Writes the file with every value set, in one write; throws an Error saying
    // why when it cannot, leaving the file as it was.
    void save();

private:
    WindowStateFile m_file;
};

} // namespace tavrune
