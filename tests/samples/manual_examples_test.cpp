#include "cli/batch_command.h"
#include "settings/settings_file.h"
#include "support/scripted_interaction.h"

#include <QBuffer>
#include <QDir>
#include <QFile>
#include <QHash>
#include <QRegularExpression>
#include <QSet>
#include <QStringDecoder>
#include <QTemporaryDir>
#include <algorithm>
#include <gtest/gtest.h>
#include <optional>
#include <vector>

using namespace tavrune;

namespace {

const QString kManual = QStringLiteral(TAVRUNE_MANUAL);
const QString kSamples = QStringLiteral(TAVRUNE_SAMPLES);

// The manual's pages: file name to HTML text.
using Pages = QMap<QString, QString>;

Pages readManual()
{
    Pages pages;
    const QDir dir(kManual);
    for (const QString& name : dir.entryList({u"*.html"_qs}, QDir::Files, QDir::Name)) {
        QFile file(dir.filePath(name));
        EXPECT_TRUE(file.open(QIODevice::ReadOnly)) << name.toStdString();
        pages.insert(name, QString::fromUtf8(file.readAll()));
    }
    return pages;
}

// The text a browser shows for HTML character data; nothing when it holds markup,
// a bare "&" or a reference this check does not know.
std::optional<QString> unescapeHtml(QString html)
{
    static const QRegularExpression unknown(u"<|&(?!(lt|gt|quot|apos|amp);)"_qs);
    if (html.contains(unknown)) {
        return std::nullopt;
    }
    // "&amp;" last, so that "&amp;lt;" shows as "&lt;".
    static const std::pair<QString, QString> references[] = {{u"&lt;"_qs, u"<"_qs},
                                                             {u"&gt;"_qs, u">"_qs},
                                                             {u"&quot;"_qs, u"\""_qs},
                                                             {u"&apos;"_qs, u"'"_qs},
                                                             {u"&amp;"_qs, u"&"_qs}};
    for (const auto& [reference, character] : references) {
        html.replace(reference, character);
    }
    return html;
}

// A <pre> block of a page marked class="example" (generated output) or
// class="template" (a template of the sample settings), with its data- attributes
// and the text a browser shows.
struct Block
{
    QString where; // page and line, for messages
    bool example = false;
    QHash<QString, QString> data;
    std::optional<QString> text;
};

QList<Block> markedBlocks(const Pages& pages)
{
    static const QRegularExpression pre(u"<pre\\b([^>]*)>(.*?)</pre>"_qs,
                                        QRegularExpression::DotMatchesEverythingOption);
    static const QRegularExpression attribute(u"([a-z-]+)=\"([^\"]*)\""_qs);
    QList<Block> blocks;
    for (auto page = pages.begin(); page != pages.end(); ++page) {
        for (auto it = pre.globalMatch(page.value()); it.hasNext();) {
            const QRegularExpressionMatch match = it.next();
            QHash<QString, QString> attributes;
            for (auto a = attribute.globalMatch(match.captured(1)); a.hasNext();) {
                const QRegularExpressionMatch pair = a.next();
                attributes.insert(pair.captured(1),
                                  unescapeHtml(pair.captured(2)).value_or(u"?"_qs));
            }
            const QStringList classes =
                attributes.value(u"class"_qs).split(u' ', Qt::SkipEmptyParts);
            if (!classes.contains(u"example") && !classes.contains(u"template")) {
                continue;
            }
            Block block;
            block.where =
                page.key() + u':' +
                QString::number(page.value().left(match.capturedStart()).count(u'\n') + 1);
            block.example = classes.contains(u"example");
            for (auto a = attributes.begin(); a != attributes.end(); ++a) {
                if (a.key().startsWith(u"data-")) {
                    block.data.insert(a.key().mid(5), a.value());
                }
            }
            // A browser drops a line break right after <pre>.
            QString content = match.captured(2);
            if (content.startsWith(u'\n')) {
                content.remove(0, 1);
            }
            block.text = unescapeHtml(content);
            blocks.append(block);
        }
    }
    return blocks;
}

// The words of a command line as a shell splits them: blanks between words,
// '...' and "..." quote, a backslash escapes the next character. Nothing when a
// quote is left open.
std::optional<QStringList> shellWords(const QString& line)
{
    static const QRegularExpression word(uR"re((?:'[^']*'|"[^"]*"|\\.|[^\s'"\\])+)re"_qs);
    static const QRegularExpression part(uR"re('([^']*)'|"([^"]*)"|\\(.)|(.))re"_qs);
    if (!QString(line).remove(word).trimmed().isEmpty()) {
        return std::nullopt;
    }
    QStringList words;
    for (auto w = word.globalMatch(line); w.hasNext();) {
        QString text;
        for (auto p = part.globalMatch(w.next().captured()); p.hasNext();) {
            const QRegularExpressionMatch match = p.next();
            text += match.captured(match.lastCapturedIndex());
        }
        words.append(text);
    }
    return words;
}

struct BatchResult
{
    int status = 0;
    QByteArray out;
    QString messages;
};

// Runs tavrune-batch in-process in a fresh directory in which samples/ is the
// sample folder, so that the manual's command lines run as they are written.
BatchResult runInSampleDirectory(const QStringList& arguments)
{
    QTemporaryDir dir;
    EXPECT_TRUE(QFile::link(kSamples, dir.filePath(u"samples"_qs)));
    const QString previous = QDir::currentPath();
    QDir::setCurrent(dir.path());
    QBuffer out;
    out.open(QIODevice::WriteOnly);
    QString messages;
    QTextStream err(&messages);
    BatchResult result;
    result.status = runBatchCommand(QStringList{u"tavrune-batch"_qs} + arguments, out, err);
    err.flush();
    QDir::setCurrent(previous);
    result.out = out.data();
    result.messages = messages;
    return result;
}

// Output as a terminal or an editor shows it: line ends as "\n", without the
// line end of the last line.
QString asShown(QString text)
{
    text.replace(u"\r\n"_qs, u"\n"_qs);
    if (text.endsWith(u'\n')) {
        text.chop(1);
    }
    return text;
}

std::optional<QString> decode(const QByteArray& bytes, OutputEncoding encoding)
{
    QStringDecoder decoder(encoding == OutputEncoding::Cp932 ? "windows-31j" : "UTF-8",
                           QStringDecoder::Flag::Stateless);
    const QString text = decoder.decode(bytes);
    if (decoder.hasError()) {
        return std::nullopt;
    }
    return text;
}

// Whether shown holds expected as whole consecutive lines.
bool holdsLines(const QString& shown, const QString& expected)
{
    return (u'\n' + shown + u'\n').contains(u'\n' + expected + u'\n');
}

class ManualChecker
{
public:
    ManualChecker()
    {
        test::ScriptedInteraction interaction;
        FormatSettings formats;
        EXPECT_TRUE(SettingsFile(kSamples + u"/tavrune.dat"_qs, interaction)
                        .loadSettingsFile(formats, m_files));
    }

    // What is wrong with the marked blocks of the pages; empty when every example
    // is what the sample settings write and every template is theirs.
    QStringList problems(const Pages& pages)
    {
        QStringList found;
        const QList<Block> blocks = markedBlocks(pages);
        if (std::none_of(blocks.begin(), blocks.end(), [](const Block& b) { return b.example; })) {
            found.append(u"the manual shows no marked example"_qs);
        }
        for (const Block& block : blocks) {
            const QString problem = !block.text
                                        ? u"its text holds markup or an unknown reference"_qs
                                    : block.example ? exampleProblem(block)
                                                    : templateProblem(block);
            if (!problem.isEmpty()) {
                found.append(block.where + u": "_qs + problem);
            }
        }
        return found;
    }

private:
    const FileSetting* fileSetting(const QString& name) const
    {
        const auto it = std::find_if(m_files.begin(), m_files.end(),
                                     [&](const FileSetting& s) { return s.Name == name; });
        return it == m_files.end() ? nullptr : &*it;
    }

    QString templateProblem(const Block& block) const
    {
        static const QStringList parts = {u"body"_qs, u"header"_qs, u"footer"_qs};
        const FileSetting* setting = fileSetting(block.data.value(u"setting"_qs));
        const qsizetype part = parts.indexOf(block.data.value(u"part"_qs));
        if (!setting || part < 0) {
            return u"names no template of a sample file setting"_qs;
        }
        const QString expected = QString(setting->text(kTemplates[static_cast<size_t>(part)]))
                                     .replace(u"\r\n"_qs, u"\n"_qs);
        return *block.text == expected ? QString()
                                       : u"the sample setting's template is:\n"_qs + expected;
    }

    QString exampleProblem(const Block& block) const
    {
        QString expected = *block.text;
        QStringList arguments;
        std::optional<OutputEncoding> encoding;
        if (block.data.contains(u"setting"_qs)) {
            const FileSetting* setting = fileSetting(block.data.value(u"setting"_qs));
            if (!setting) {
                return u"names no sample file setting"_qs;
            }
            encoding = setting->Encoding;
            arguments = {u"--settings"_qs, u"samples/tavrune.dat"_qs, u"--file"_qs, setting->Name};
            for (const QString& sheet :
                 block.data.value(u"sheets"_qs).split(u',', Qt::SkipEmptyParts)) {
                arguments << u"--sheet"_qs << sheet;
            }
            arguments << u"--stdout"_qs << u"samples/table_definitions.xlsx"_qs;
        } else {
            // "$ tavrune-batch ARGUMENTS", maybe continued by a backslash at the
            // end of the line, then what it prints.
            QStringList lines = expected.split(u'\n');
            if (!lines.first().startsWith(u"$ tavrune-batch "_qs)) {
                return u"neither names a setting nor begins with \"$ tavrune-batch \""_qs;
            }
            QString command = lines.takeFirst().mid(2);
            while (command.endsWith(u'\\') && !lines.isEmpty()) {
                command = command.chopped(1) + lines.takeFirst();
            }
            const std::optional<QStringList> words = shellWords(command);
            if (!words) {
                return u"its command line has an unclosed quote"_qs;
            }
            arguments = words->mid(1);
            expected = lines.join(u'\n');
        }
        const BatchResult result = runInSampleDirectory(arguments);
        const int status = block.data.value(u"status"_qs, u"0"_qs).toInt();
        if (result.status != status) {
            return u"tavrune-batch ended with %1, not %2: %3"_qs.arg(result.status)
                .arg(status)
                .arg(result.messages);
        }
        const std::optional<QString> out =
            decode(result.out, encoding.value_or(OutputEncoding::Utf8));
        if (!out) {
            return u"the output is not text in its encoding"_qs;
        }
        // A command shows its messages after its output, as a terminal does.
        const QString shown = asShown(encoding ? *out : *out + result.messages);
        const bool same =
            block.data.contains(u"excerpt"_qs) ? holdsLines(shown, expected) : shown == expected;
        return same ? QString() : u"tavrune-batch shows:\n"_qs + shown;
    }

    FileSettings m_files;
};

TEST(ManualExamples, EveryExampleIsWhatTheSampleSettingsWriteAndEveryTemplateIsTheirs)
{
    const Pages pages = readManual();
    ASSERT_TRUE(pages.contains(u"index.html"_qs));
    ManualChecker checker;
    const QStringList problems = checker.problems(pages);
    EXPECT_TRUE(problems.isEmpty()) << problems.join(u"\n\n"_qs).toStdString();
    QSet<QString> shown;
    for (const Block& block : markedBlocks(pages)) {
        if (block.example) {
            shown.insert(block.data.value(u"setting"_qs));
        }
    }
    for (const QString& database :
         {u"Oracle (1ファイル)"_qs, u"PostgreSQL (1ファイル)"_qs, u"MySQL (1ファイル)"_qs}) {
        EXPECT_TRUE(shown.contains(database)) << database.toStdString();
    }
}

// Changes to the manual that the check above must notice: one character of what
// an example says the settings write, one of a template.
TEST(ManualExamples, AChangedExampleOrTemplateIsFound)
{
    const std::pair<QRegularExpression, QString> changes[] = {
        {QRegularExpression(u"<pre class=\"example\" data-setting=[^>]*>[^<]*</pre>"_qs),
         u"\n</pre>"_qs},
        {QRegularExpression(u"<pre class=\"template\"[^>]*>[^<]*</pre>"_qs), u"</pre>"_qs}};
    for (const auto& [target, end] : changes) {
        Pages pages = readManual();
        auto page = std::find_if(pages.begin(), pages.end(),
                                 [&](const QString& html) { return html.contains(target); });
        ASSERT_NE(page, pages.end()) << "the manual has nothing this change applies to";
        const QRegularExpressionMatch match = target.match(page.value());
        const qsizetype at = match.capturedStart() + match.captured().lastIndexOf(end) - 1;
        (*page)[at] = page->at(at) == u'x' ? u'y' : u'x';
        EXPECT_FALSE(ManualChecker().problems(pages).isEmpty()) << end.toStdString();
    }
}

// Every internal link and picture leads to a file of the manual and, with a
// fragment, to an element of that page with that id.
TEST(ManualPages, EveryLinkLeadsToAPageAndAPlaceThatExist)
{
    static const QRegularExpression link(u"(?:href|src)=\"([^\"]*)\""_qs);
    static const QRegularExpression id(u"\\bid=\"([^\"]*)\""_qs);
    const Pages pages = readManual();
    QHash<QString, QSet<QString>> ids;
    for (auto page = pages.begin(); page != pages.end(); ++page) {
        for (auto it = id.globalMatch(page.value()); it.hasNext();) {
            ids[page.key()].insert(it.next().captured(1));
        }
    }
    for (auto page = pages.begin(); page != pages.end(); ++page) {
        for (auto it = link.globalMatch(page.value()); it.hasNext();) {
            const QString target = it.next().captured(1);
            if (target.contains(u':')) {
                continue; // another site
            }
            const QString file =
                target.section(u'#', 0, 0).isEmpty() ? page.key() : target.section(u'#', 0, 0);
            const QString fragment = target.section(u'#', 1);
            EXPECT_TRUE(QFileInfo(QDir(kManual).filePath(file)).isFile())
                << page.key().toStdString() << ": " << target.toStdString();
            if (!fragment.isEmpty()) {
                EXPECT_TRUE(ids.value(file).contains(fragment))
                    << page.key().toStdString() << ": " << target.toStdString();
            }
        }
    }
}

// The contents on index.html name every page, and the pages lead from one to
// the next in that order and back to the contents.
TEST(ManualPages, TheContentsLinkEveryPageAndThePagesFollowTheirOrder)
{
    static const QRegularExpression toc(u"<nav class=\"toc\">(.*?)</nav>"_qs,
                                        QRegularExpression::DotMatchesEverythingOption);
    static const QRegularExpression href(u"href=\"([^\"#]+)"_qs);
    static const QRegularExpression neighbour(u"<a rel=\"(prev|next)\" href=\"([^\"]*)\""_qs);
    const Pages pages = readManual();
    const QRegularExpressionMatch contents = toc.match(pages.value(u"index.html"_qs));
    ASSERT_TRUE(contents.hasMatch());
    QStringList order{u"index.html"_qs};
    for (auto it = href.globalMatch(contents.captured(1)); it.hasNext();) {
        const QString page = it.next().captured(1);
        if (!order.contains(page)) {
            order.append(page);
        }
    }
    QStringList listed = order;
    listed.sort();
    EXPECT_EQ(listed, pages.keys());
    for (qsizetype k = 0; k < order.size(); ++k) {
        const QString html = pages.value(order.at(k));
        QHash<QString, QSet<QString>> neighbours;
        for (auto it = neighbour.globalMatch(html); it.hasNext();) {
            const QRegularExpressionMatch match = it.next();
            neighbours[match.captured(1)].insert(match.captured(2));
        }
        const QSet<QString> none;
        EXPECT_EQ(neighbours.value(u"prev"_qs), k == 0 ? none : QSet<QString>{order.at(k - 1)})
            << order.at(k).toStdString();
        EXPECT_EQ(neighbours.value(u"next"_qs),
                  k + 1 == order.size() ? none : QSet<QString>{order.at(k + 1)})
            << order.at(k).toStdString();
        if (k > 0) {
            EXPECT_TRUE(html.contains(u"href=\"index.html\""_qs)) << order.at(k).toStdString();
        }
    }
}

} // namespace
