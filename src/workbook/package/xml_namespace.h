#pragma once

#include <QtGlobal>
#include <string_view>

namespace tavrune {

// The namespaces a workbook reader tells apart; transitional and strict URIs of one
// namespace map to the same value.
enum class XmlNamespace : quint8
{
    Other,
    Spreadsheet,          // spreadsheet elements
    Relationships,        // r:id attributes
    PackageRelationships, // the elements of .rels parts
    Office,               // OpenDocument office: elements and attributes
    Table,                // OpenDocument table:
    Text,                 // OpenDocument text:
    Drawing,              // OpenDocument draw:
    CalcExtension,        // calcext: (marks formula results that are errors)
};

XmlNamespace classifyXmlNamespace(std::string_view uri); // UTF-8

// The namespace URIs the readers know. They are ASCII, so that readers may compare
// them with the bytes of a UTF-8 text.
namespace xml_uri {
inline constexpr std::string_view kMainTransitional =
    "http://schemas.openxmlformats.org/spreadsheetml/2006/main";
inline constexpr std::string_view kMainStrict = "http://purl.oclc.org/ooxml/spreadsheetml/main";
inline constexpr std::string_view kRelationshipsTransitional =
    "http://schemas.openxmlformats.org/officeDocument/2006/relationships";
inline constexpr std::string_view kRelationshipsStrict =
    "http://purl.oclc.org/ooxml/officeDocument/relationships";
inline constexpr std::string_view kPackageRelationships =
    "http://schemas.openxmlformats.org/package/2006/relationships";
inline constexpr std::string_view kOffice = "urn:oasis:names:tc:opendocument:xmlns:office:1.0";
inline constexpr std::string_view kTable = "urn:oasis:names:tc:opendocument:xmlns:table:1.0";
inline constexpr std::string_view kText = "urn:oasis:names:tc:opendocument:xmlns:text:1.0";
inline constexpr std::string_view kDrawing = "urn:oasis:names:tc:opendocument:xmlns:drawing:1.0";
inline constexpr std::string_view kCalcExtension =
    "urn:org:documentfoundation:names:experimental:calc:xmlns:calcext:1.0";
} // namespace xml_uri

} // namespace tavrune
