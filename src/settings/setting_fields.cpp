#include "settings/setting_fields.h"

#include "settings/text_to_number.h"

namespace tavrune {

namespace {

// The text a field holds; none for the start row, a number. Format is FormatSetting,
// const or not.
template <typename Format>
auto formatText(Format& format, FormatField field) -> decltype(&format.Name)
{
    switch (field) {
    case FormatField::Name:
        return &format.Name;
    case FormatField::TableName:
        return &format.TableName;
    case FormatField::TableTitle:
        return &format.TableTitle;
    case FormatField::RowStart:
        return nullptr;
    case FormatField::RowTitle:
        return &format.RowTitle;
    case FormatField::RowType:
        return &format.RowType;
    case FormatField::RowLength:
        return &format.RowLength;
    case FormatField::RowScale:
        return &format.RowScale;
    case FormatField::Index:
        return &format.Index;
    case FormatField::StrIndex:
        return &format.StrIndex;
    case FormatField::NotNull:
        return &format.NotNull;
    case FormatField::StrNotNull:
        return &format.StrNotNull;
    case FormatField::SetNotNull:
        return &format.SetNotNull;
    case FormatField::Default:
        return &format.Default;
    case FormatField::SetDefault:
        return &format.SetDefault;
    case FormatField::Comment:
        return &format.Comment;
    case FormatField::Etc1:
        return &format.Etc[0];
    case FormatField::Etc2:
        return &format.Etc[1];
    case FormatField::Etc3:
        return &format.Etc[2];
    case FormatField::Etc4:
        return &format.Etc[3];
    }
    return nullptr;
}

// The text a field holds; none for the fields holding numbers. File is FileSetting,
// const or not.
template <typename File> auto fileText(File& file, FileField field) -> decltype(&file.Name)
{
    switch (field) {
    case FileField::Name:
        return &file.Name;
    case FileField::Body:
        return &file.text(Template::Body);
    case FileField::Header:
        return &file.text(Template::Header);
    case FileField::Footer:
        return &file.text(Template::Footer);
    case FileField::OutputFileStrBefore:
        return &file.OutputFileStr[0];
    case FileField::OutputFileStrAfter:
        return &file.OutputFileStr[1];
    case FileField::OutputFileName:
        return &file.OutputFileName;
    case FileField::OutputDir:
        return &file.OutputDir;
    default:
        return nullptr;
    }
}

} // namespace

QString formatFieldLabel(FormatField field)
{
    switch (field) {
    case FormatField::StrIndex:
    case FormatField::StrNotNull:
        return QStringLiteral("取得文字列");
    case FormatField::SetNotNull:
    case FormatField::SetDefault:
        return QStringLiteral("設定文字列");
    default:
        return formatFieldName(field);
    }
}

QString formatFieldName(FormatField field)
{
    switch (field) {
    case FormatField::Name:
        return QStringLiteral("名前");
    case FormatField::TableName:
        return QStringLiteral("ﾃｰﾌﾞﾙ名称のｾﾙ");
    case FormatField::TableTitle:
        return QStringLiteral("ﾃｰﾌﾞﾙﾀｲﾄﾙのｾﾙ");
    case FormatField::RowStart:
        return QStringLiteral("項目の開始行");
    case FormatField::RowTitle:
        return QStringLiteral("項目ﾀｲﾄﾙの列");
    case FormatField::RowType:
        return QStringLiteral("ﾃﾞｰﾀ型の列");
    case FormatField::RowLength:
        return QStringLiteral("Length の列");
    case FormatField::RowScale:
        return QStringLiteral("Scale の列");
    case FormatField::Index:
        return QStringLiteral("Index の列");
    case FormatField::StrIndex:
        return QStringLiteral("Index の取得文字列");
    case FormatField::NotNull:
        return QStringLiteral("NOT NULL の列");
    case FormatField::StrNotNull:
        return QStringLiteral("NOT NULL の取得文字列");
    case FormatField::SetNotNull:
        return QStringLiteral("NOT NULL の設定文字列");
    case FormatField::Default:
        return QStringLiteral("Default の列");
    case FormatField::SetDefault:
        return QStringLiteral("Default の設定文字列");
    case FormatField::Comment:
        return QStringLiteral("Comment の列");
    case FormatField::Etc1:
        return QStringLiteral("その他1のｾﾙ");
    case FormatField::Etc2:
        return QStringLiteral("その他2のｾﾙ");
    case FormatField::Etc3:
        return QStringLiteral("その他3のｾﾙ");
    case FormatField::Etc4:
        return QStringLiteral("その他4のｾﾙ");
    }
    return {};
}

QString fileFieldName(FileField field)
{
    switch (field) {
    case FileField::Name:
        return QStringLiteral("名前");
    case FileField::Body:
        return QStringLiteral("本文");
    case FileField::Header:
        return QStringLiteral("ヘッダ");
    case FileField::Footer:
        return QStringLiteral("フッタ");
    case FileField::OutputFile:
        return QStringLiteral("出力ファイル");
    case FileField::OutputFileStrCheckBefore:
        return QStringLiteral("付加文字列「前」のチェック");
    case FileField::OutputFileStrCheckAfter:
        return QStringLiteral("付加文字列「後」のチェック");
    case FileField::OutputFileStrBefore:
        return QStringLiteral("付加文字列「前」");
    case FileField::OutputFileStrAfter:
        return QStringLiteral("付加文字列「後」");
    case FileField::OutputFileName:
        return QStringLiteral("出力ファイル名");
    case FileField::OutputDir:
        return QStringLiteral("出力先ディレクトリ");
    case FileField::Encoding:
        return QStringLiteral("文字コード");
    case FileField::LineEnd:
        return QStringLiteral("改行");
    }
    return {};
}

FileField templateField(Template which)
{
    switch (which) {
    case Template::Body:
        return FileField::Body;
    case Template::Header:
        return FileField::Header;
    case Template::Footer:
        return FileField::Footer;
    }
    return FileField::Body;
}

QString formatFieldText(const FormatSetting& format, FormatField field)
{
    const QString* text = formatText(format, field);
    return text != nullptr ? *text : QString::number(format.RowStart);
}

void setFormatFieldText(FormatSetting& format, FormatField field, const QString& text)
{
    if (QString* target = formatText(format, field)) {
        *target = text;
    } else {
        format.RowStart = textToInt32(text, formatFieldName(field));
    }
}

QVariant fileFieldValue(const FileSetting& file, FileField field)
{
    switch (field) {
    case FileField::OutputFile:
        return file.OutputFile;
    case FileField::OutputFileStrCheckBefore:
        return file.OutputFileStrCheck[0];
    case FileField::OutputFileStrCheckAfter:
        return file.OutputFileStrCheck[1];
    case FileField::Encoding:
        return int(file.Encoding);
    case FileField::LineEnd:
        return int(file.LineEnding);
    default:
        return *fileText(file, field);
    }
}

void setFileFieldValue(FileSetting& file, FileField field, const QVariant& value)
{
    switch (field) {
    case FileField::OutputFile:
        file.OutputFile = static_cast<qint16>(value.toInt());
        break;
    case FileField::OutputFileStrCheckBefore:
        file.OutputFileStrCheck[0] = static_cast<qint16>(value.toInt());
        break;
    case FileField::OutputFileStrCheckAfter:
        file.OutputFileStrCheck[1] = static_cast<qint16>(value.toInt());
        break;
    case FileField::Encoding:
        file.Encoding = static_cast<OutputEncoding>(value.toInt());
        break;
    case FileField::LineEnd:
        file.LineEnding = static_cast<LineEnd>(value.toInt());
        break;
    default:
        *fileText(file, field) = value.toString();
        break;
    }
}

} // namespace tavrune
