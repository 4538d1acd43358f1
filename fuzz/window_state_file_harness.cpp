#include "common/error.h"
#include "fuzz_support.h"
#include "harnesses.h"
#include "settings/window_state_file.h"

#include <QByteArrayView>
#include <QStringList>

namespace tavrune::fuzz {

// The input is the file. When it holds a NUL byte, what comes before it names a
// section, a key and a value (separated by tabs) that are read, written, saved and
// read again; the file is what follows the NUL.
int fuzzWindowStateFile(const uint8_t* data, size_t size)
{
    const QByteArrayView input(data, static_cast<qsizetype>(size));
    const qsizetype nul = input.indexOf('\0');
    QStringList query;
    QByteArrayView content = input;
    if (nul >= 0) {
        query = QString::fromUtf8(input.first(nul)).split(u'\t');
        content = input.sliced(nul + 1);
    }
    WindowStateFile state(writeScratchFile(reinterpret_cast<const uint8_t*>(content.data()),
                                           static_cast<size_t>(content.size()), ".ini"));
    const QString section = query.value(0, QStringLiteral("Pos"));
    const QString key = query.value(1, QStringLiteral("Left"));
    volatile double sink = state.readWindowState(section, key).size();
    sink = state.readNumber(section, key);
    sink = state.readInt16(QStringLiteral("Name"), QStringLiteral("Format")).value_or(0);
    sink = state.readInt32(QStringLiteral("Name"), QStringLiteral("Main")).value_or(0);
    sink = state.readWindowState(QStringLiteral("Excel"), QStringLiteral("DefPath")).size();
    if (state.writeWindowState(section, key, query.value(2, QStringLiteral("1")))) {
        sink = state.readWindowState(section, key).size();
        try {
            state.save();
            sink = WindowStateFile(state.path()).readWindowState(section, key).size();
        } catch (const Error&) {
        }
    }
    (void)sink;
    return 0;
}

} // namespace tavrune::fuzz
