#include "settings/setting_fields.h"

namespace tavrune {

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

} // namespace tavrune
