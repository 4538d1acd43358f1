#include "workbook/package/xml_namespace.h"

#include <QLatin1String>

namespace tavrune {

namespace {

QLatin1String latin1(std::string_view text)
{
    return QLatin1String(text.data(), static_cast<qsizetype>(text.size()));
}

} // namespace

XmlNamespace classifyXmlNamespace(QStringView uri)
{
    // The lengths differ, so most mismatches end at the size comparison.
    const auto is = [uri](std::string_view known) { return uri == latin1(known); };
    if (is(xml_uri::kMainTransitional) || is(xml_uri::kMainStrict)) {
        return XmlNamespace::Spreadsheet;
    }
    if (is(xml_uri::kRelationshipsTransitional) || is(xml_uri::kRelationshipsStrict)) {
        return XmlNamespace::Relationships;
    }
    if (is(xml_uri::kPackageRelationships)) {
        return XmlNamespace::PackageRelationships;
    }
    if (is(xml_uri::kOffice)) {
        return XmlNamespace::Office;
    }
    if (is(xml_uri::kTable)) {
        return XmlNamespace::Table;
    }
    if (is(xml_uri::kText)) {
        return XmlNamespace::Text;
    }
    if (is(xml_uri::kDrawing)) {
        return XmlNamespace::Drawing;
    }
    if (is(xml_uri::kCalcExtension)) {
        return XmlNamespace::CalcExtension;
    }
    return XmlNamespace::Other;
}

XmlNamespace classifyXmlNamespace(std::string_view uri)
{
    if (uri == xml_uri::kMainTransitional || uri == xml_uri::kMainStrict) {
        return XmlNamespace::Spreadsheet;
    }
    if (uri == xml_uri::kRelationshipsTransitional || uri == xml_uri::kRelationshipsStrict) {
        return XmlNamespace::Relationships;
    }
    if (uri == xml_uri::kPackageRelationships) {
        return XmlNamespace::PackageRelationships;
    }
    if (uri == xml_uri::kOffice) {
        return XmlNamespace::Office;
    }
    if (uri == xml_uri::kTable) {
        return XmlNamespace::Table;
    }
    if (uri == xml_uri::kText) {
        return XmlNamespace::Text;
    }
    if (uri == xml_uri::kDrawing) {
        return XmlNamespace::Drawing;
    }
    if (uri == xml_uri::kCalcExtension) {
        return XmlNamespace::CalcExtension;
    }
    return XmlNamespace::Other;
}

} // namespace tavrune
