#include "generation/expansion_fixture.h"

#include "common/error.h"

#include <QDir>
#include <gtest/gtest.h>

namespace tavrune::test {

SheetExpansion::SheetExpansion() : m_format(sampleFormat())
{
    m_book.sheet(u"顧客"_qs)
        .text(u"C3"_qs, u"CUSTOMER"_qs)
        .text(u"C4"_qs, u"顧客マスタ"_qs)
        .text(u"E1"_qs, u"e1"_qs)
        .text(u"E2"_qs, u"e2"_qs)
        .text(u"E3"_qs, u"e3"_qs)
        .text(u"E4"_qs, u"e4"_qs);
}

SheetExpansion& SheetExpansion::rows(const QString& rows)
{
    if (rows.isEmpty()) {
        return *this;
    }
    const QString columns = u"BCDEFGHI"_qs;
    for (const QString& row : rows.split(u'\n')) {
        const QStringList cells = row.split(u'|');
        for (qsizetype i = 0; i < cells.size(); ++i) {
            if (!cells.at(i).isEmpty()) {
                m_book.text(columns.at(i) + QString::number(m_nextRow), cells.at(i));
            }
        }
        ++m_nextRow;
    }
    return *this;
}

QString SheetExpansion::expand(const QString& line)
{
    if (!m_opened) {
        m_source.addOpenWorkbook(u"Book1.xlsx"_qs, m_book.build());
        m_opened = true;
    }
    auto connection = m_source.attach();
    const WorksheetHandle sheet = connection->worksheetAt(u"Book1.xlsx"_qs, 1);
    m_source.clearReadLog();
    return TableTextExpander(*connection, m_format).expandLine(sheet, line);
}

QString SheetExpansion::errorOf(const QString& line)
{
    try {
        expand(line);
    } catch (const Error& error) {
        return error.description();
    }
    ADD_FAILURE() << "no error expanding " << line.toStdString();
    return {};
}

void expectExpansions(std::initializer_list<ExpansionCase> cases)
{
    for (const ExpansionCase& c : cases) {
        SCOPED_TRACE(c.rule);
        SheetExpansion sheet;
        sheet.rows(c.rows);
        if (c.format) {
            c.format(sheet.m_format);
        }
        QString expanded;
        try {
            expanded = sheet.expand(c.line);
        } catch (const Error& error) {
            expanded =
                u"error "_qs + QString::number(error.number()) + u": "_qs + error.description();
        }
        EXPECT_EQ(expanded, c.expected);
        if (!c.reads.isEmpty()) {
            EXPECT_EQ(sheet.m_source.readLog(), c.reads);
        }
    }
}

QStringList entries(const QString& dir)
{
    return QDir(dir).entryList(
        QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot, QDir::Name);
}

} // namespace tavrune::test
