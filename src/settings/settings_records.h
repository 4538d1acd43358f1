#pragma once

#include <QList>
#include <QString>
#include <array>
#include <optional>

namespace tavrune {

// Where the items of a table-definition sheet stand and which marks count.
// Every text is kept exactly as typed; only the name is trimmed, when registered.
struct FormatSetting
{
    QString Name;
    QString TableName;  // cell of the table's physical name
    QString TableTitle; // cell of the table's title
    qint32 RowStart = 0;
    QString RowTitle; // column letters of the column title
    QString RowType;
    QString RowLength;
    QString RowScale;
    QString Index;
    QString StrIndex;
    QString NotNull;
    QString StrNotNull;
    QString SetNotNull;
    QString Default;
    QString SetDefault;
    QString Comment;
    // Cells of the extra items: Etc[i - 1] gives the value of [%etc<i>], i from 1 to 4.
    std::array<QString, 4> Etc;

    bool operator==(const FormatSetting&) const = default;
};

// The character encoding of output files.
enum class OutputEncoding
{
    Cp932, // code page 932, as the settings file itself
    Utf8,
    Utf8Bom, // UTF-8 beginning with a byte order mark
};

// The line end of output files.
enum class LineEnd
{
    CrLf,
    Lf,
};

// The texts a file record stores for them ("CP932", "UTF-8", "UTF-8-BOM"; "CRLF",
// "LF"). Reading them back, in the settings file and in the batch tool's options
// alike, ignores letter case and blanks around the text; any other text names
// nothing.
QString encodingName(OutputEncoding encoding);
std::optional<OutputEncoding> encodingFromName(const QString& name);
QString lineEndName(LineEnd lineEnd);
std::optional<LineEnd> lineEndFromName(const QString& name);

// The templates of a file setting, in the order of its Text.
enum class Template
{
    Body,
    Header,
    Footer,
};

constexpr std::array<Template, 3> kTemplates = {Template::Body, Template::Header, Template::Footer};

// Templates and output options.
struct FileSetting
{
    QString Name;
    // Each may span several CR LF separated lines; text() picks one.
    std::array<QString, 3> Text;
    qint16 OutputFile = 0; // 0: one file per table, 1: one single file
    std::array<qint16, 2> OutputFileStrCheck{0, 0};
    std::array<QString, 2> OutputFileStr; // put before / after the table title
    QString OutputFileName;
    QString OutputDir;
    OutputEncoding Encoding = OutputEncoding::Cp932;
    LineEnd LineEnding = LineEnd::CrLf;

    QString& text(Template which) { return Text[static_cast<size_t>(which)]; }
    const QString& text(Template which) const { return Text[static_cast<size_t>(which)]; }

    bool operator==(const FileSetting&) const = default;
};

// The registered records in order of registration; position i of a name box is
// record i of its list.
using FormatSettings = QList<FormatSetting>;
using FileSettings = QList<FileSetting>;

// Position of the first record whose name equals name exactly (case-sensitive).
template <typename Record>
std::optional<qsizetype> findSettingByName(const QList<Record>& list, const QString& name)
{
    for (qsizetype i = 0; i < list.size(); ++i) {
        if (list.at(i).Name == name) {
            return i;
        }
    }
    return std::nullopt;
}

} // namespace tavrune
