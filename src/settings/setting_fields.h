#pragma once

#include <QString>

namespace tavrune {

// The fields of a format setting as the format editor shows them.
enum class FormatField
{
    Name,
    TableName,
    TableTitle,
    RowStart,
    RowTitle,
    RowType,
    RowLength,
    RowScale,
    Index,
    StrIndex,
    NotNull,
    StrNotNull,
    SetNotNull,
    Default,
    SetDefault,
    Comment,
    Etc1,
    Etc2,
    Etc3,
    Etc4,
};

// The fields of a file setting as the main window shows them.
enum class FileField
{
    Name,
    Body,
    Header,
    Footer,
    OutputFile,
    OutputFileStrCheckBefore,
    OutputFileStrCheckAfter,
    OutputFileStrBefore,
    OutputFileStrAfter,
    OutputFileName,
    OutputDir,
    Encoding,
    LineEnd,
};

// The label the format editor shows beside a field ("取得文字列" stands beside
// two fields).
QString formatFieldLabel(FormatField field);

// The name messages give a field: its label, made unique where a label stands
// beside more than one field ("Index の取得文字列"), so the user finds the field
// to mend.
QString formatFieldName(FormatField field);
QString fileFieldName(FileField field);

} // namespace tavrune
