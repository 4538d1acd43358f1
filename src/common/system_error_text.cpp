#include "common/system_error_text.h"

#include <cerrno>
#include <cstring>

namespace tavrune {

namespace {

struct ErrorText
{
    int number;
    const char16_t* text;
};

// The reasons a run meets when it makes directories and writes files; the texts
// are those of the system's Japanese messages.
constexpr ErrorText kTexts[] = {
    {ENOSPC, u"デバイスに空き領域がありません"},
    {EDQUOT, u"ディスク使用量制限を超過しました"},
    {EFBIG, u"ファイルが大きすぎます"},
    {EIO, u"入力/出力エラーです"},
    {EACCES, u"許可がありません"},
    {EPERM, u"許可されていない操作です"},
    {EROFS, u"読み込み専用ファイルシステムです"},
    {ENOENT, u"そのようなファイルやディレクトリはありません"},
    {ENOTDIR, u"ディレクトリではありません"},
    {EISDIR, u"ディレクトリです"},
    {EEXIST, u"ファイルが存在します"},
    {ENAMETOOLONG, u"ファイル名が長すぎます"},
    {ELOOP, u"シンボリックリンクの階層が多すぎます"},
    {EMFILE, u"開いているファイルが多すぎます"},
    {ENFILE, u"システム全体で開いているファイルが多すぎます"},
    {EBUSY, u"デバイスもしくはリソースがビジー状態です"},
    {ETXTBSY, u"テキストファイルが使用中です"},
    {EXDEV, u"無効なクロスデバイスリンクです"},
    {EMLINK, u"リンクが多すぎます"},
    {ENOMEM, u"メモリを確保できません"},
    {EPIPE, u"パイプが切断されました"},
    {ESTALE, u"古いファイルハンドルです"},
    {EINVAL, u"無効な引数です"},
};

} // namespace

QString systemErrorText(int errorNumber)
{
    for (const ErrorText& entry : kTexts) {
        if (entry.number == errorNumber) {
            return QString::fromUtf16(entry.text);
        }
    }
    return QStringLiteral("%1 (エラー番号 %2)")
        .arg(QString::fromLocal8Bit(std::strerror(errorNumber)))
        .arg(errorNumber);
}

} // namespace tavrune
