#include "workbook/cell_address.h"

namespace tavrune {

std::optional<CellAddress> parseCellAddress(QStringView text)
{
    qsizetype pos = 0;
    const qsizetype size = text.size();
    if (pos < size && text[pos] == u'$') {
        ++pos;
    }
    quint32 column = 0;
    qsizetype letters = 0;
    while (pos < size) {
        const char16_t c = text[pos].unicode();
        int value = 0;
        if (c >= u'A' && c <= u'Z') {
            value = c - u'A' + 1;
        } else if (c >= u'a' && c <= u'z') {
            value = c - u'a' + 1;
        } else {
            break;
        }
        if (++letters > 3) {
            return std::nullopt;
        }
        column = column * 26 + value;
        ++pos;
    }
    if (letters == 0 || column > kMaxColumn) {
        return std::nullopt;
    }
    if (pos < size && text[pos] == u'$') {
        ++pos;
    }
    quint32 row = 0;
    qsizetype digits = 0;
    while (pos < size && text[pos] >= u'0' && text[pos] <= u'9') {
        if (++digits > 7) {
            return std::nullopt;
        }
        row = row * 10 + (text[pos].unicode() - u'0');
        ++pos;
    }
    if (digits == 0 || pos != size || row < 1 || row > kMaxRow) {
        return std::nullopt;
    }
    return CellAddress{row, static_cast<quint16>(column)};
}

QString columnLetters(quint16 column)
{
    QString letters;
    quint32 rest = column;
    while (rest > 0) {
        const quint32 digit = (rest - 1) % 26;
        letters.prepend(QChar(static_cast<char16_t>(u'A' + digit)));
        rest = (rest - 1) / 26;
    }
    return letters;
}

QString formatCellAddress(CellAddress address)
{
    return columnLetters(address.column) + QString::number(address.row);
}

} // namespace tavrune
