#include "workbook/number_text.h"

#include <QDate>
#include <cmath>

namespace tavrune {

namespace {

constexpr double kLastSerial1900 = 2958465; // 9999-12-31
constexpr qint64 kSecondsPerDay = 86400;

QString timeText(qint64 seconds)
{
    return QStringLiteral("%1:%2:%3")
        .arg(seconds / 3600)
        .arg(seconds / 60 % 60, 2, 10, QChar(u'0'))
        .arg(seconds % 60, 2, 10, QChar(u'0'));
}

QString dateText(qint64 days, bool date1904)
{
    if (date1904) {
        const QDate date = QDate(1904, 1, 1).addDays(days);
        return date.toString(QStringLiteral("yyyy/MM/dd"));
    }
    // The 1900 system counts a 29 February 1900 that never was: serial 60. Serials
    // below it are one day later than a plain count from 1899-12-31 would suggest.
    if (days == 60) {
        return QStringLiteral("1900/02/29");
    }
    const QDate date =
        days < 60 ? QDate(1899, 12, 31).addDays(days) : QDate(1899, 12, 30).addDays(days);
    return date.toString(QStringLiteral("yyyy/MM/dd"));
}

} // namespace

QString formatGeneralNumber(double value)
{
    if (value == 0 || !std::isfinite(value)) {
        return QStringLiteral("0");
    }
    // Whole numbers of up to 15 digits, most numbers in a table definition, show
    // all their digits: no rounding to work out.
    if (std::abs(value) < 1e15 && value == std::trunc(value)) {
        return QString::number(static_cast<qint64>(value));
    }
    // Round to 15 significant digits first; the exponent of the rounded value
    // decides between fixed and exponent form.
    const QString scientific = QString::number(value, 'e', 14); // -d.dddddddddddddde+XX
    const qsizetype ePos = scientific.indexOf(u'e');
    const int exponent = scientific.mid(ePos + 1).toInt();
    const bool negative = scientific.startsWith(u'-');
    QString digits = scientific.left(ePos);
    digits.remove(u'-');
    digits.remove(u'.');
    while (digits.size() > 1 && digits.endsWith(u'0')) {
        digits.chop(1);
    }

    QString text;
    if (exponent >= 15 || exponent < -4) {
        text = digits.left(1);
        if (digits.size() > 1) {
            text += u'.' + digits.mid(1);
        }
        text += exponent < 0 ? QStringLiteral("E-") : QStringLiteral("E+");
        text += QStringLiteral("%1").arg(std::abs(exponent), 2, 10, QChar(u'0'));
    } else if (exponent < 0) {
        text = QStringLiteral("0.") + QString(-exponent - 1, u'0') + digits;
    } else if (digits.size() <= exponent + 1) {
        text = digits + QString(exponent + 1 - digits.size(), u'0');
    } else {
        text = digits.left(exponent + 1) + u'.' + digits.mid(exponent + 1);
    }
    return negative ? u'-' + text : text;
}

QString formatCellNumber(double value, NumberStyle style, bool date1904)
{
    if (style == NumberStyle::General || !std::isfinite(value) || value < 0 ||
        value >= kLastSerial1900 + 1 - (date1904 ? 1462 : 0)) {
        return formatGeneralNumber(value);
    }
    // Times are shown to the second, rounded; rounding may carry into the next day.
    const qint64 totalSeconds = std::llround(value * kSecondsPerDay);
    const qint64 days = totalSeconds / kSecondsPerDay;
    const qint64 seconds = totalSeconds % kSecondsPerDay;
    if (style == NumberStyle::Time || (!date1904 && days == 0)) {
        return timeText(seconds);
    }
    QString text = dateText(days, date1904);
    if (seconds != 0) {
        text += u' ' + timeText(seconds);
    }
    return text;
}

} // namespace tavrune
