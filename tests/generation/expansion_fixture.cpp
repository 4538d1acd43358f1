#include "generation/expansion_fixture.h"

namespace tavrune::test {

ExpansionTest::ExpansionTest()
{
    m_book.sheet(u"顧客"_qs)
        .text(u"C3"_qs, u"CUSTOMER"_qs)
        .text(u"C4"_qs, u"顧客マスタ"_qs)
        .text(u"E1"_qs, u"e1"_qs)
        .text(u"E2"_qs, u"e2"_qs)
        .text(u"E3"_qs, u"e3"_qs)
        .text(u"E4"_qs, u"e4"_qs);
    m_format.TableName = u"C3"_qs;
    m_format.TableTitle = u"C4"_qs;
    m_format.Etc = {u"E1"_qs, u"E2"_qs, u"E3"_qs, u"E4"_qs};
    m_format.RowStart = 7;
    m_format.RowTitle = u"B"_qs;
    m_format.RowType = u"C"_qs;
    m_format.RowLength = u"D"_qs;
    m_format.RowScale = u"E"_qs;
    m_format.Index = u"F"_qs;
    m_format.StrIndex = u"[%*]"_qs;
    m_format.NotNull = u"G"_qs;
    m_format.StrNotNull = u"○"_qs;
    m_format.SetNotNull = u"NOT NULL"_qs;
    m_format.Default = u"H"_qs;
    m_format.SetDefault = u"DEFAULT"_qs;
    m_format.Comment = u"I"_qs;
}

void ExpansionTest::addColumn(const QString& title, const QString& type, const QString& length,
                              const QString& scale, const QString& index, const QString& notNull,
                              const QString& defaultValue, const QString& comment)
{
    const QString values[] = {title, type, length, scale, index, notNull, defaultValue, comment};
    const QString columns = u"BCDEFGHI"_qs;
    for (int i = 0; i < 8; ++i) {
        if (!values[i].isEmpty()) {
            m_book.text(columns.at(i) + QString::number(m_nextRow), values[i]);
        }
    }
    ++m_nextRow;
}

QString ExpansionTest::expand(const QString& line)
{
    if (!m_opened) {
        m_source.addOpenWorkbook(u"Book1.xlsx"_qs, m_book.build());
        m_opened = true;
    }
    auto connection = m_source.Attach();
    const WorksheetHandle sheet = connection->WorksheetAt(u"Book1.xlsx"_qs, 1);
    m_source.clearReadLog();
    return TableTextExpander(*connection, m_format).ExpandLine(sheet, line);
}

} // namespace tavrune::test
