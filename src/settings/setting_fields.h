#pragma once

#include "settings/settings_records.h"

#include <QString>
#include <QVariant>

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

// The field that shows a template.
FileField templateField(Template which);

// A field of a format setting as the format editor shows it: the start row as its
// number.
QString formatFieldText(const FormatSetting& format, FormatField field);
// Sets a field as typed in the format editor. The start row is read leniently
// (textToInt32), an error naming the field when it is beyond 32 bits.
void setFormatFieldText(FormatSetting& format, FormatField field, const QString& text);

// A field of a file setting as the main window shows it: a text, or an int for
// the output mode, the checks, the encoding and the line end.
QVariant fileFieldValue(const FileSetting& file, FileField field);
void setFileFieldValue(FileSetting& file, FileField field, const QVariant& value);

} // namespace tavrune
