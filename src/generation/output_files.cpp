#include "generation/output_files.h"

#include "common/error.h"
#include "generation/text_rules.h"

#include <QDir>
#include <QFileInfo>
#include <QStringEncoder>

namespace tavrune {

namespace {

const char* const kOutputCodec = "windows-31j";

// Existence as the directory walk sees it: files, directories and hidden entries.
bool entryExists(const QString& path)
{
    return QFileInfo::exists(path) || QFileInfo(path).isSymLink();
}

} // namespace

QString TrimPathSeparators(const QString& dir)
{
    QString p = trimSpaces(dir);
    while (p.size() > 1 && p.endsWith(u'/')) {
        p = trimSpaces(p.left(p.size() - 1));
    }
    return p;
}

QString AddPathSeparator(const QString& dir)
{
    QString t = trimSpaces(dir);
    if (!t.endsWith(u'/')) {
        t += u'/';
    }
    return t;
}

void EnsureOutputDir(const QString& dir, UserInteraction& interaction)
{
    const QString p = TrimPathSeparators(dir);
    if (!p.startsWith(u'/')) {
        throw Error(ErrorNumber::PathFileAccess,
                    QStringLiteral("出力先ディレクトリ \"%1\" は絶対パス (/ で始まるパス) "
                                   "ではありません。")
                        .arg(dir));
    }
    if (!entryExists(p)) {
        const int answer =
            interaction.showMessage(p + QStringLiteral("\r\nディレクトリを作成しますか？"),
                                    MessageIcon::Question, MessageButtons::OkCancel, Answer::Ok);
        if (answer != Answer::Ok) {
            throw Error(ErrorNumber::UserDeclined, QStringLiteral("中断しました"));
        }
    }
    // Walk the path level by level from the root, creating the missing ones.
    qsizetype pos = 0;
    do {
        pos = p.indexOf(u'/', pos + 1);
        const QString prefix = pos < 0 ? p : p.left(pos);
        if (!prefix.isEmpty() && !entryExists(prefix) && !QDir().mkdir(prefix)) {
            throw Error(ErrorNumber::PathFileAccess,
                        QStringLiteral("ディレクトリ \"%1\" を作成できません。").arg(prefix));
        }
    } while (pos >= 0);
}

QByteArray encodeOutputLine(const QString& text, const QString& path)
{
    QStringEncoder encoder(kOutputCodec);
    QByteArray bytes = encoder.encode(text);
    if (encoder.hasError()) {
        // Find the first character that does not fit, to name it.
        for (qsizetype i = 0; i < text.size();) {
            const bool pair = text.at(i).isHighSurrogate() && i + 1 < text.size() &&
                              text.at(i + 1).isLowSurrogate();
            const qsizetype width = pair ? 2 : 1;
            const char32_t code =
                pair ? QChar::surrogateToUcs4(text.at(i), text.at(i + 1)) : text.at(i).unicode();
            QStringEncoder single(kOutputCodec);
            const QByteArray probe = single.encode(QStringView(text).mid(i, width));
            Q_UNUSED(probe);
            if (single.hasError()) {
                throw Error(ErrorNumber::ApplicationDefined,
                            QStringLiteral("文字 U+%1 (%2) はシフト JIS (コードページ 932) で"
                                           "書けないため、ファイル \"%3\" に出力できません。")
                                .arg(QString::number(code, 16).toUpper().rightJustified(4, u'0'),
                                     QStringView(text).mid(i, width).toString(), path));
            }
            i += width;
        }
        throw Error(ErrorNumber::ApplicationDefined,
                    QStringLiteral("シフト JIS (コードページ 932) で書けない文字があるため、"
                                   "ファイル \"%1\" に出力できません。")
                        .arg(path));
    }
    bytes.append("\r\n", 2);
    return bytes;
}

} // namespace tavrune
