#include "workbook/package/xml_namespace.h"

namespace tavrune {

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
