// The shipped core must build without widgets: no file outside gui/ and cli/ may
// include a header of a Qt module other than Qt Core, nor a header of the
// windows or of the batch tool; database/, the one room that talks to databases,
// may use Qt SQL besides, and no other core room may include it.

#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QRegularExpression>
#include <QSet>
#include <gtest/gtest.h>

namespace {

// The folders of src/ that are not the core; every other folder is.
const QStringList kProgramFolders = {QStringLiteral("gui"), QStringLiteral("cli")};
const QStringList kForbiddenPrefixes = {QStringLiteral("gui/"), QStringLiteral("cli/"),
                                        QStringLiteral("database/")};

// Header names of the Qt modules other than Qt Core and allowed ("QWidget",
// "QtWidgets/QWidget").
QSet<QString> nonCoreQtHeaders(const QString& allowed = {})
{
    QSet<QString> headers;
    QDir root(QStringLiteral(TAVRUNE_QT_CORE_INCLUDE_DIR));
    root.cdUp();
    const QSet<QString> coreHeaders = [] {
        const QStringList names =
            QDir(QStringLiteral(TAVRUNE_QT_CORE_INCLUDE_DIR)).entryList(QDir::Files);
        return QSet<QString>(names.begin(), names.end());
    }();
    for (const QString& module : root.entryList({QStringLiteral("Qt*")}, QDir::Dirs)) {
        if (module == u"QtCore" || module == allowed) {
            continue;
        }
        headers.insert(module);
        for (const QString& header : QDir(root.filePath(module)).entryList(QDir::Files)) {
            headers.insert(module + u'/' + header);
            if (!coreHeaders.contains(header)) {
                headers.insert(header);
            }
        }
    }
    return headers;
}

// The includes of a source text that a core file must not have.
QStringList forbiddenIncludes(const QString& source, const QSet<QString>& qtHeaders,
                              const QString& folder = {})
{
    static const QRegularExpression include(QStringLiteral(R"(^\s*#\s*include\s*[<"]([^>"]+)[>"])"),
                                            QRegularExpression::MultilineOption);
    QStringList found;
    for (const QRegularExpressionMatch& match : include.globalMatch(source)) {
        const QString header = match.captured(1);
        const bool ours = std::any_of(
            kForbiddenPrefixes.begin(), kForbiddenPrefixes.end(), [&](const QString& prefix) {
                return header.startsWith(prefix) && prefix != folder + u'/';
            });
        if (ours || qtHeaders.contains(header)) {
            found.append(header);
        }
    }
    return found;
}

TEST(LayeringTest, DetectorFindsWidgetAndWindowIncludes)
{
    const QSet<QString> qt = nonCoreQtHeaders();
    ASSERT_TRUE(qt.contains(QStringLiteral("QWidget")));
    const QString source =
        QStringLiteral("#include <QString>\n#include <QtWidgets/QLabel>\n"
                       "#include <QWidget>\n#include \"gui/main_window/main_window.h\"\n"
                       "  #  include \"cli/batch_command.h\"\n"
                       "#include \"generation/run_host.h\"\n#include <QColor>\n"
                       "#include \"database/database_url.h\"\n");
    EXPECT_EQ(forbiddenIncludes(source, qt),
              QStringList({QStringLiteral("QtWidgets/QLabel"), QStringLiteral("QWidget"),
                           QStringLiteral("gui/main_window/main_window.h"),
                           QStringLiteral("cli/batch_command.h"), QStringLiteral("QColor"),
                           QStringLiteral("database/database_url.h")}));
    // The database room may use Qt SQL, and its own headers.
    EXPECT_EQ(forbiddenIncludes(u"#include <QSqlQuery>\n#include \"database/database_url.h\"\n"_qs,
                                nonCoreQtHeaders(QStringLiteral("QtSql")),
                                QStringLiteral("database")),
              QStringList());
}

TEST(LayeringTest, CoreFoldersIncludeOnlyTheCore)
{
    const QSet<QString> qt = nonCoreQtHeaders();
    const QSet<QString> qtButSql = nonCoreQtHeaders(QStringLiteral("QtSql"));
    const QDir src(QStringLiteral(TAVRUNE_SOURCE_DIR "/src"));
    int files = 0;
    const QStringList folders = src.entryList(QDir::Dirs | QDir::NoDotAndDotDot);
    ASSERT_TRUE(folders.contains(QStringLiteral("workbook")));
    for (const QString& folder : folders) {
        if (kProgramFolders.contains(folder)) {
            continue;
        }
        QDirIterator it(src.filePath(folder), {QStringLiteral("*.h"), QStringLiteral("*.cpp")},
                        QDir::Files, QDirIterator::Subdirectories);
        while (it.hasNext()) {
            const QString path = it.next();
            const QString relative = src.relativeFilePath(path);
            QFile file(path);
            ASSERT_TRUE(file.open(QIODevice::ReadOnly)) << path.toStdString();
            ++files;
            const bool database = folder == u"database";
            EXPECT_EQ(forbiddenIncludes(QString::fromUtf8(file.readAll()), database ? qtButSql : qt,
                                        folder),
                      QStringList())
                << relative.toStdString();
        }
    }
    EXPECT_GT(files, 40);
}

} // namespace
