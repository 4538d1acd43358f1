#include "common/error.h"
#include "harnesses.h"
#include "settings/text_to_number.h"
#include "workbook/cell_address.h"

#include <cmath>
#include <cstdlib>
#include <cstring>

namespace tavrune::fuzz {

namespace {

void checkAddress(const QString& text)
{
    const std::optional<CellAddress> address = parseCellAddress(text);
    if (!address) {
        return;
    }
    // A parsed address is in range and reads back the same from its own text.
    if (address->row < 1 || address->row > kMaxRow || address->column < 1 ||
        address->column > kMaxColumn || parseCellAddress(formatCellAddress(*address)) != address) {
        std::abort();
    }
}

void checkNumber(const QString& text)
{
    try {
        if (!std::isfinite(textToNumber(text))) {
            std::abort();
        }
    } catch (const Error&) {
        // Overflow is a clear error.
    }
    for (auto convert :
         {+[](const QString& t) { return qint64(textToInt16(t, QStringLiteral("x"))); },
          +[](const QString& t) { return qint64(textToInt32(t, QStringLiteral("x"))); }}) {
        try {
            volatile qint64 sink = convert(text);
            (void)sink;
        } catch (const Error&) {
        }
    }
}

} // namespace

// The input is read both as UTF-8 and as UTF-16 text.
int fuzzCellAddressNumber(const uint8_t* data, size_t size)
{
    const QString utf8 =
        QString::fromUtf8(reinterpret_cast<const char*>(data), static_cast<qsizetype>(size));
    QString utf16(static_cast<qsizetype>(size / 2), Qt::Uninitialized);
    std::memcpy(utf16.data(), data, size / 2 * sizeof(QChar));
    for (const QString& text : {utf8, utf16}) {
        checkAddress(text);
        checkNumber(text);
    }
    return 0;
}

} // namespace tavrune::fuzz
