#include "settings/window_state.h"

#include "common/error.h"

namespace tavrune {

namespace {

const QString kPos = QStringLiteral("Pos");
const QString kWindow = QStringLiteral("Window");
const QString kExcel = QStringLiteral("Excel");
const QString kName = QStringLiteral("Name");

// Hand-edited files may hold long runs of recent keys; only the first few can end
// up in the list, so reading stops well before the file is read a thousand times.
constexpr int kMaxRecentKeysRead = 99;

QString recentKey(int number)
{
    return QStringLiteral("Recent%1").arg(number);
}

QString nameKey(SettingKind kind)
{
    switch (kind) {
    case SettingKind::File:
        return QStringLiteral("Main");
    case SettingKind::Format:
        return QStringLiteral("Format");
    case SettingKind::Change:
        return QStringLiteral("Change");
    case SettingKind::Connection:
        break;
    }
    return QStringLiteral("Connection");
}

} // namespace

WindowState::WindowState(QString path) : m_file(std::move(path)) {}

WindowState::Bounds WindowState::bounds() const
{
    const std::optional<qint32> left = m_file.readInt32(kPos, QStringLiteral("Left"));
    const std::optional<qint32> top = m_file.readInt32(kPos, QStringLiteral("Top"));
    const std::optional<qint32> width = m_file.readInt32(kPos, QStringLiteral("Width"));
    const std::optional<qint32> height = m_file.readInt32(kPos, QStringLiteral("Height"));
    if (!left || !top || !width || !height) {
        return {};
    }
    return {*left, *top, *width, *height};
}

void WindowState::setBounds(const Bounds& bounds)
{
    m_file.writeWindowState(kPos, QStringLiteral("Left"), QString::number(bounds.left));
    m_file.writeWindowState(kPos, QStringLiteral("Top"), QString::number(bounds.top));
    m_file.writeWindowState(kPos, QStringLiteral("Width"), QString::number(bounds.width));
    m_file.writeWindowState(kPos, QStringLiteral("Height"), QString::number(bounds.height));
}

double WindowState::splitter() const
{
    return m_file.readNumber(kPos, QStringLiteral("Splitter"));
}

void WindowState::setSplitter(double twips)
{
    m_file.writeWindowState(kPos, QStringLiteral("Splitter"), QString::number(twips));
}

bool WindowState::maximized() const
{
    return m_file.readNumber(kWindow, QStringLiteral("State")) == 2;
}

void WindowState::setWindowState(int state)
{
    m_file.writeWindowState(kWindow, QStringLiteral("State"), QString::number(state));
}

bool WindowState::topMost() const
{
    return m_file.readNumber(kWindow, QStringLiteral("TopMost")) != 0;
}

void WindowState::setTopMost(bool on)
{
    m_file.writeWindowState(kWindow, QStringLiteral("TopMost"),
                            on ? QStringLiteral("-1") : QStringLiteral("0"));
}

QString WindowState::defPath() const
{
    return m_file.readWindowState(kExcel, QStringLiteral("DefPath"));
}

void WindowState::setDefPath(const QString& path)
{
    m_file.writeWindowState(kExcel, QStringLiteral("DefPath"), path);
}

QStringList WindowState::recentFiles() const
{
    QStringList paths;
    for (int number = 1; number <= kMaxRecentKeysRead; ++number) {
        const QString path = m_file.readWindowState(kExcel, recentKey(number));
        if (path.isEmpty()) {
            break;
        }
        paths.append(path);
    }
    return paths;
}

void WindowState::setRecentFiles(const QStringList& paths)
{
    for (qsizetype i = 0; i < paths.size() && i < kMaxRecentFiles; ++i) {
        m_file.writeWindowState(kExcel, recentKey(static_cast<int>(i + 1)), paths.at(i));
    }
}

std::optional<qsizetype> WindowState::chosenPosition(SettingKind kind, qsizetype listSize) const
{
    const std::optional<qint16> position = m_file.readInt16(kName, nameKey(kind));
    if (!position || *position < 0 || *position >= listSize) {
        return std::nullopt;
    }
    return *position;
}

void WindowState::setChosenPosition(SettingKind kind, qsizetype position)
{
    m_file.writeWindowState(kName, nameKey(kind), QString::number(position));
    try {
        m_file.save();
    } catch (const Error&) {
        // Still to be written: the save at the end says why it cannot be.
    }
}

void WindowState::save()
{
    m_file.save();
}

} // namespace tavrune
