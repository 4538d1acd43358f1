#pragma once

#include <QStringView>
#include <optional>

namespace tavrune {

// A non-negative whole number written in decimal digits, as workbook attributes
// hold indexes and counts: blanks around it and a leading "+" allowed, nothing
// else. nullopt for anything that is not such a number or is greater than max, so
// that a damaged value is refused rather than read as 0 or 1.
std::optional<quint64> parseDecimal(QStringView text, quint64 max);

} // namespace tavrune
