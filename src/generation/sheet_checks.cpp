#include "generation/sheet_checks.h"

#include "common/cp932_text.h"
#include "common/error.h"
#include "common/trim_spaces.h"
#include "generation/text_rules.h"
#include "settings/setting_fields.h"

#include <QHash>
#include <QSet>
#include <limits>
#include <optional>

namespace tavrune {

namespace {

// What is wrong with a name made from a table title as a file name, or nothing.
QString fileNameProblem(const QString& name)
{
    if (name.isEmpty()) {
        return QStringLiteral("出力ファイル名が空になります。");
    }
    if (name == u"." || name == u"..") {
        return QStringLiteral("出力ファイル名 \"%1\" は使えません。").arg(name);
    }
    for (const QChar c : name) {
        if (c == u'/' || c.unicode() < 0x20 || c.unicode() == 0x7F) {
            return QStringLiteral("出力ファイル名に使えない文字 %1 があります。")
                .arg(c == u'/' ? QStringLiteral("/") : describeCodePoint(c.unicode()));
        }
    }
    return {};
}

class SheetChecker
{
public:
    SheetChecker(WorkbookConnection& connection, const RunInputs& inputs,
                 const FormatSetting& format, QList<SheetFinding>& findings)
        : m_connection(connection), m_inputs(inputs), m_format(format), m_findings(findings)
    {
    }

    // The table name, when it could be read.
    std::optional<QString> check(const WorksheetHandle& sheet)
    {
        m_sheet = &sheet;
        m_sheetName = m_connection.SheetName(sheet);
        const std::optional<QString> name = read(m_format.TableName, FormatField::TableName);
        if (name && trimSpaces(*name).isEmpty()) {
            add(m_format.TableName, QStringLiteral("テーブル名称が空です。"));
        }
        const std::optional<QString> title = read(m_format.TableTitle, FormatField::TableTitle);
        if (title) {
            if (trimSpaces(*title).isEmpty()) {
                add(m_format.TableTitle, QStringLiteral("テーブルタイトルが空です。"));
            }
            if (m_inputs.file.OutputFile == 0) {
                const QString problem = fileNameProblem(fileName(*title));
                if (!problem.isEmpty()) {
                    add(m_format.TableTitle, problem);
                }
            }
        }
        for (const QString& etc : m_format.Etc) {
            if (!etc.isEmpty()) {
                read(etc, FormatField::Etc1);
            }
        }
        checkRows();
        return name ? std::optional<QString>(trimSpaces(*name)) : std::nullopt;
    }

    void add(const QString& cell, const QString& message)
    {
        m_findings.append({m_sheetName, cell, message});
    }

private:
    QString fileName(const QString& title) const
    {
        QString name = title;
        if (m_inputs.file.OutputFileStrCheck[0] == 1) {
            name = m_inputs.file.OutputFileStr[0] + name;
        }
        if (m_inputs.file.OutputFileStrCheck[1] == 1) {
            name += m_inputs.file.OutputFileStr[1];
        }
        return name;
    }

    // The cell's text, checked for what the output cannot hold; a cell that cannot
    // be read (an error value, a reference that is none) is a finding itself.
    std::optional<QString> read(const QString& address, FormatField field)
    {
        QString text;
        try {
            text = m_connection.CellValue(*m_sheet, address);
        } catch (const Error& error) {
            add(address, QStringLiteral("「%1」のセルを読めません: %2")
                             .arg(formatFieldName(field), error.description()));
            return std::nullopt;
        }
        if (m_inputs.file.Encoding == OutputEncoding::Cp932) {
            char32_t bad = 0;
            if (!encodeCp932(text, &bad)) {
                add(address, QStringLiteral("文字 %1 は出力の文字コード (CP932) で表せません。")
                                 .arg(describeCodePoint(bad)));
            }
        }
        return text;
    }

    std::optional<QString> readColumn(const QString& letters, qint64 row, FormatField field)
    {
        if (letters.isEmpty()) {
            return std::nullopt;
        }
        return read(letters + QString::number(row), field);
    }

    void checkRows()
    {
        qint64 lastRow = 0;
        try {
            lastRow = m_connection.LastUsedRow(*m_sheet);
        } catch (const Error& error) {
            add(QString(), error.description());
            return;
        }
        QHash<QString, qint64> titleRows;
        for (qint64 row = m_format.RowStart; row >= 1 && row <= lastRow; ++row) {
            const std::optional<QString> title =
                readColumn(m_format.RowTitle, row, FormatField::RowTitle);
            if (!title || title->isEmpty()) {
                break;
            }
            const QString cell = m_format.RowTitle + QString::number(row);
            const auto earlier = titleRows.constFind(trimSpaces(*title));
            if (earlier != titleRows.constEnd()) {
                add(cell, QStringLiteral("項目タイトル \"%1\" が %2 行目と重複しています。")
                              .arg(trimSpaces(*title))
                              .arg(earlier.value()));
            } else {
                titleRows.insert(trimSpaces(*title), row);
            }
            const std::optional<QString> type =
                readColumn(m_format.RowType, row, FormatField::RowType);
            if (type && trimSpaces(*type).isEmpty()) {
                add(m_format.RowType + QString::number(row),
                    QStringLiteral("項目 \"%1\" にデータ型がありません。").arg(trimSpaces(*title)));
            }
            for (const auto& [letters, field] :
                 {std::pair{m_format.RowLength, FormatField::RowLength},
                  std::pair{m_format.RowScale, FormatField::RowScale}}) {
                const std::optional<QString> value = readColumn(letters, row, field);
                if (value && !trimSpaces(*value).isEmpty() && !isNumericLength(*value)) {
                    add(letters + QString::number(row),
                        QStringLiteral("「%1」の \"%2\" は数値ではありません。")
                            .arg(formatFieldName(field), value->left(40)));
                }
            }
            for (const auto& [letters, field] :
                 {std::pair{m_format.Index, FormatField::Index},
                  std::pair{m_format.NotNull, FormatField::NotNull},
                  std::pair{m_format.Default, FormatField::Default},
                  std::pair{m_format.Comment, FormatField::Comment}}) {
                readColumn(letters, row, field);
            }
        }
    }

    WorkbookConnection& m_connection;
    const RunInputs& m_inputs;
    const FormatSetting& m_format;
    QList<SheetFinding>& m_findings;
    const WorksheetHandle* m_sheet = nullptr;
    QString m_sheetName;
};

} // namespace

QList<SheetFinding> checkSheets(WorkbookSource& source, const RunInputs& inputs)
{
    QList<SheetFinding> findings;
    try {
        const FormatSetting format = workingFormat(inputs.format, inputs.rowStartText);
        const std::unique_ptr<WorkbookConnection> connection = source.Attach();
        if (!connection->HasWorkbook(inputs.workbookName)) {
            findings.append(
                {QString(), QString(),
                 QStringLiteral("ブック \"%1\" は開かれていません。").arg(inputs.workbookName)});
            return findings;
        }
        SheetChecker checker(*connection, inputs, format, findings);
        QHash<QString, QString> tableSheets; // table name → first sheet
        for (qsizetype i = 0; i < inputs.sheetSelected.size(); ++i) {
            if (!inputs.sheetSelected.at(i)) {
                continue;
            }
            if (i + 1 > std::numeric_limits<qint16>::max()) {
                break;
            }
            const WorksheetHandle sheet =
                connection->WorksheetAt(inputs.workbookName, static_cast<qint16>(i + 1));
            const std::optional<QString> name = checker.check(sheet);
            if (!name || name->isEmpty()) {
                continue;
            }
            const auto first = tableSheets.constFind(*name);
            if (first != tableSheets.constEnd()) {
                checker.add(format.TableName,
                            QStringLiteral("テーブル名称 \"%1\" はシート \"%2\" と重複しています。")
                                .arg(*name, first.value()));
            } else {
                tableSheets.insert(*name, connection->SheetName(sheet));
            }
        }
    } catch (const Error& error) {
        findings.append({QString(), QString(), error.description()});
    } catch (const std::bad_alloc&) {
        findings.append({QString(), QString(),
                         QStringLiteral("メモリが足りないためチェックを続けられません。")});
    }
    return findings;
}

} // namespace tavrune
