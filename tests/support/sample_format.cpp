#include "support/sample_format.h"

namespace tavrune::test {

FormatSetting sampleFormat()
{
    const std::array<QString, 4> etc{u"E1"_qs, u"E2"_qs, u"E3"_qs, u"E4"_qs};
    // The fields in their order: name, table name, title, start row, the columns.
    return {QString(),      u"C3"_qs, u"C4"_qs,      7,          u"B"_qs, u"C"_qs,
            u"D"_qs,        u"E"_qs,  u"F"_qs,       u"[%*]"_qs, u"G"_qs, u"○"_qs,
            u"NOT NULL"_qs, u"H"_qs,  u"DEFAULT"_qs, u"I"_qs,    etc};
}

} // namespace tavrune::test
