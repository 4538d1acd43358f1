#include "generation/output_files.h"

#include "common/cp932_text.h"
#include "common/error.h"
#include "generation/text_rules.h"

#include <QDir>
#include <QFileInfo>

namespace tavrune {

namespace {

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

std::optional<QByteArray> encodeOutputLine(const QString& text, char32_t* unrepresentable)
{
    std::optional<QByteArray> bytes = encodeCp932(text, unrepresentable);
    if (bytes) {
        bytes->append("\r\n", 2);
    }
    return bytes;
}

} // namespace tavrune
