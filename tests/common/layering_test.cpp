// The shipped core must build without widgets: no file of a core folder may
// include a header of a Qt module other than Qt Core, nor a header of the
// windows or of the batch tool.

#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QRegularExpression>
#include <QSet>
#include <gtest/gtest.h>

namespace {

const QStringList kCoreFolders = {QStringLiteral("common"), QStringLiteral("generation"),
                                  QStringLiteral("settings"), QStringLiteral("workbook")};
// Folders of the core tree that are built into the widgets library.
const QStringList kWidgetFoldersInCore = {QStringLiteral("generation/dialogs")};
const QStringList kForbiddenPrefixes = {QStringLiteral("app/"), QStringLiteral("cli/"),
                                        QStringLiteral("format_editor/"),
                                        QStringLiteral("generation/dialogs/")};

// Header names of the Qt modules other than Qt Core ("QWidget", "QtWidgets/QWidget").
QSet<QString> nonCoreQtHeaders()
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
        if (module == u"QtCore") {
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
QStringList forbiddenIncludes(const QString& source, const QSet<QString>& qtHeaders)
{
    static const QRegularExpression include(QStringLiteral(R"(^\s*#\s*include\s*[<"]([^>"]+)[>"])"),
                                            QRegularExpression::MultilineOption);
    QStringList found;
    for (const QRegularExpressionMatch& match : include.globalMatch(source)) {
        const QString header = match.captured(1);
        const bool ours =
            std::any_of(kForbiddenPrefixes.begin(), kForbiddenPrefixes.end(),
                        [&](const QString& prefix) { return header.startsWith(prefix); });
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
                       "#include <QWidget>\n#include \"app/main_window.h\"\n"
                       "  #  include \"cli/batch_command.h\"\n"
                       "#include \"generation/dialogs/x.h\"\n"
                       "#include \"generation/run_host.h\"\n#include <QColor>\n");
    EXPECT_EQ(
        forbiddenIncludes(source, qt),
        QStringList({QStringLiteral("QtWidgets/QLabel"), QStringLiteral("QWidget"),
                     QStringLiteral("app/main_window.h"), QStringLiteral("cli/batch_command.h"),
                     QStringLiteral("generation/dialogs/x.h"), QStringLiteral("QColor")}));
}

TEST(LayeringTest, CoreFoldersIncludeOnlyTheCore)
{
    const QSet<QString> qt = nonCoreQtHeaders();
    const QDir src(QStringLiteral(TAVRUNE_SOURCE_DIR "/src"));
    int files = 0;
    for (const QString& folder : kCoreFolders) {
        QDirIterator it(src.filePath(folder), {QStringLiteral("*.h"), QStringLiteral("*.cpp")},
                        QDir::Files, QDirIterator::Subdirectories);
        while (it.hasNext()) {
            const QString path = it.next();
            const QString relative = src.relativeFilePath(path);
            if (std::any_of(kWidgetFoldersInCore.begin(), kWidgetFoldersInCore.end(),
                            [&](const QString& f) { return relative.startsWith(f + u'/'); })) {
                continue;
            }
            QFile file(path);
            ASSERT_TRUE(file.open(QIODevice::ReadOnly)) << path.toStdString();
            ++files;
            EXPECT_EQ(forbiddenIncludes(QString::fromUtf8(file.readAll()), qt), QStringList())
                << relative.toStdString();
        }
    }
    EXPECT_GT(files, 40);
}

} // namespace
