#include "generation/output_files.h"

#include "common/cp932_text.h"
#include "common/error.h"
#include "common/make_directories.h"
#include "common/system_error_text.h"
#include "generation/text_rules.h"

#include <QFileInfo>

namespace tavrune {

namespace {

// Existence as the directory walk sees it: files, directories and hidden entries.
bool entryExists(const QString& path)
{
    return QFileInfo::exists(path) || QFileInfo(path).isSymLink();
}

} // namespace

QString trimPathSeparators(const QString& dir)
{
    QString p = trimSpaces(dir);
    while (p.size() > 1 && p.endsWith(u'/')) {
        p = trimSpaces(p.left(p.size() - 1));
    }
    return p;
}

QString addPathSeparator(const QString& dir)
{
    QString t = trimSpaces(dir);
    if (!t.endsWith(u'/')) {
        t += u'/';
    }
    return t;
}

QString tableFileName(const FileSetting& file, const QString& title)
{
    QString name = title;
    if (file.OutputFileStrCheck[0] == 1) {
        name = file.OutputFileStr[0] + name;
    }
    if (file.OutputFileStrCheck[1] == 1) {
        name += file.OutputFileStr[1];
    }
    return name;
}

void ensureOutputDir(const QString& dir, UserInteraction& interaction)
{
    const QString p = trimPathSeparators(dir);
    if (!p.startsWith(u'/')) {
        throw Error(ErrorNumber::PathFileAccess,
                    QStringLiteral("出力先ディレクトリ \"%1\" は絶対パス (/ で始まるパス) "
                                   "ではありません。")
                        .arg(dir));
    }
    if (!entryExists(p)) {
        const Answer answer =
            interaction.showMessage(p + QStringLiteral("\r\nディレクトリを作成しますか？"),
                                    MessageIcon::Question, MessageButtons::OkCancel, Answer::Ok);
        if (answer != Answer::Ok) {
            throw Error(ErrorNumber::UserDeclined, QStringLiteral("中断しました"));
        }
    }
    QString failedLevel;
    if (const int error = makeDirectories(p, failedLevel)) {
        throw Error(ErrorNumber::PathFileAccess,
                    QStringLiteral("ディレクトリ \"%1\" を作成できません: %2")
                        .arg(failedLevel, systemErrorText(error)));
    }
}

std::optional<QByteArray> encodeOutputLine(const QString& textIn, OutputEncoding encoding,
                                           LineEnd lineEnd, char32_t* unrepresentable)
{
    // The expansion of one template line may hold several output lines joined by
    // CR LF; with LF line ends they end as the file's lines do.
    QString lfText;
    if (lineEnd == LineEnd::Lf && textIn.contains(QStringLiteral("\r\n"))) {
        lfText = QString(textIn).replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
    }
    const QString& text = lfText.isNull() ? textIn : lfText;
    std::optional<QByteArray> bytes;
    if (encoding == OutputEncoding::Cp932) {
        // Room for the line end too, so that a long text is not copied to add it.
        bytes.emplace();
        bytes->reserve(text.size() + 2);
        if (!appendCp932(text, *bytes, unrepresentable)) {
            bytes.reset();
        }
    } else if (text.isValidUtf16()) {
        bytes = text.toUtf8();
    } else if (unrepresentable != nullptr) {
        // A lone surrogate: UTF-8 has no bytes for it.
        for (qsizetype i = 0; i < text.size(); ++i) {
            const QChar c = text.at(i);
            if (c.isHighSurrogate() && i + 1 < text.size() && text.at(i + 1).isLowSurrogate()) {
                ++i;
            } else if (c.isSurrogate()) {
                *unrepresentable = c.unicode();
                break;
            }
        }
    }
    if (bytes) {
        bytes->append(lineEnd == LineEnd::Lf ? QByteArrayView("\n") : QByteArrayView("\r\n"));
    }
    return bytes;
}

QByteArray byteOrderMark(OutputEncoding encoding)
{
    return encoding == OutputEncoding::Utf8Bom ? QByteArray("\xEF\xBB\xBF") : QByteArray();
}

QString encodingDescription(OutputEncoding encoding)
{
    return encoding == OutputEncoding::Cp932 ? QStringLiteral("シフト JIS (コードページ 932)")
                                             : QStringLiteral("UTF-8");
}

} // namespace tavrune
