#include "support/sample_format.h"

namespace tavrune::test {

FormatSetting sampleFormat()
{
    FormatSetting format;
    format.TableName = u"C3"_qs;
    format.TableTitle = u"C4"_qs;
    format.Etc = {u"E1"_qs, u"E2"_qs, u"E3"_qs, u"E4"_qs};
    format.RowStart = 7;
    format.RowTitle = u"B"_qs;
    format.RowType = u"C"_qs;
    format.RowLength = u"D"_qs;
    format.RowScale = u"E"_qs;
    format.Index = u"F"_qs;
    format.StrIndex = u"[%*]"_qs;
    format.NotNull = u"G"_qs;
    format.StrNotNull = u"○"_qs;
    format.SetNotNull = u"NOT NULL"_qs;
    format.Default = u"H"_qs;
    format.SetDefault = u"DEFAULT"_qs;
    format.Comment = u"I"_qs;
    return format;
}

} // namespace tavrune::test
