#include "generation/sheet_checks.h"

#include "common/cp932_text.h"
#include "common/error.h"
#include "common/trim_spaces.h"
#include "generation/expansion_limit.h"
#include "generation/output_files.h"
#include "generation/sheet_cell_reader.h"
#include "generation/text_rules.h"
#include "settings/setting_fields.h"

#include <QHash>
#include <array>
#include <limits>
#include <new>
#include <optional>

namespace tavrune {

namespace {

// What a finding is about; findings of one kind in one sheet are told together
// once there are many.
enum class Kind
{
    EmptyTableName,
    EmptyTableTitle,
    FileName,
    Unreadable,
    Unrepresentable,
    DuplicateTitle,
    NoType,
    NotNumber,
    DuplicateTableName,
};
constexpr size_t kKinds = static_cast<size_t>(Kind::DuplicateTableName) + 1;

// The findings as they are listed: in each sheet, the first of a kind one by one
// and the next standing for the rest, so that a sheet repeating one mistake on a
// million rows lists a few lines, not a million.
class FindingList
{
public:
    explicit FindingList(QList<SheetFinding>& findings) : m_findings(findings)
    {
        m_groups.fill(-1);
    }

    void startSheet(const QString& name)
    {
        closeSheet();
        m_sheet = name;
        m_counts.fill(0);
    }

    // describe gives the finding's cell and message; it is called only for a
    // finding that is listed, so that the rest cost no text.
    template <typename Describe> void add(Kind kind, const Describe& describe)
    {
        const auto k = static_cast<size_t>(kind);
        const qsizetype count = ++m_counts[k];
        if (count > kFindingsPerKind + 1) {
            ++m_findings[m_groups[k]].more;
            return;
        }
        if (count == kFindingsPerKind + 1) {
            m_groups[k] = m_findings.size();
        }
        auto [cell, message] = describe();
        m_findings.append({m_sheet, std::move(cell), std::move(message)});
    }

    bool full() const { return m_findings.size() >= kMaxFindings; }

    // The findings standing for others say how many.
    void closeSheet()
    {
        for (qsizetype& group : m_groups) {
            if (group >= 0 && m_findings[group].more > 0) {
                SheetFinding& finding = m_findings[group];
                finding.message =
                    QStringLiteral("%1（ほか %2 件）").arg(finding.message).arg(finding.more);
            }
            group = -1;
        }
    }

private:
    QList<SheetFinding>& m_findings;
    QString m_sheet;
    std::array<qsizetype, kKinds> m_counts{};
    std::array<qsizetype, kKinds> m_groups{}; // the finding standing for the rest, or -1
};

// What is wrong with a name made from a title that is not empty as a file name,
// or nothing.
QString fileNameProblem(const QString& name)
{
    if (name == u"." || name == u"..") {
        return QStringLiteral("出力ファイル名 \"%1\" は使えません。").arg(name);
    }
    for (const QChar c : name) {
        if (c == u'/' || c.unicode() < 0x20 || c.unicode() == 0x7F) {
            return QStringLiteral("出力ファイル名に使えない文字 %1 があります。")
                .arg(c == u'/' ? QStringLiteral("/") : describeCodePoint(c.unicode()));
        }
    }
    if (name.startsWith(u'.')) {
        return QStringLiteral("出力ファイル名 \"%1\" は . で始まるため隠しファイルになります。")
            .arg(name);
    }
    return {};
}

class SheetChecker
{
public:
    SheetChecker(WorkbookConnection& connection, const RunInputs& inputs,
                 const FormatSetting& format, FindingList& findings,
                 const std::atomic_bool& cancelled)
        : m_connection(connection), m_inputs(inputs), m_format(format), m_findings(findings),
          m_cancelled(cancelled)
    {
    }

    // The table name, when it could be read.
    std::optional<QString> check(const WorksheetHandle& sheet)
    {
        m_findings.startSheet(m_connection.sheetName(sheet));
        SheetCellReader cells(m_connection, sheet);
        m_cells = &cells;
        const std::optional<QString> name = read(m_format.TableName, FormatField::TableName);
        if (name && trimSpaces(*name).isEmpty()) {
            add(Kind::EmptyTableName, m_format.TableName, QStringLiteral("テーブル名称が空です。"));
        }
        const std::optional<QString> title = read(m_format.TableTitle, FormatField::TableTitle);
        if (title) {
            // An empty title makes no file name either, which needs no finding of its own.
            if (trimSpaces(*title).isEmpty()) {
                add(Kind::EmptyTableTitle, m_format.TableTitle,
                    QStringLiteral("テーブルタイトルが空です。"));
            } else if (m_inputs.file.OutputFile == 0) {
                const QString problem = fileNameProblem(tableFileName(m_inputs.file, *title));
                if (!problem.isEmpty()) {
                    add(Kind::FileName, m_format.TableTitle, problem);
                }
            }
        }
        constexpr FormatField kEtcFields[] = {FormatField::Etc1, FormatField::Etc2,
                                              FormatField::Etc3, FormatField::Etc4};
        for (size_t n = 0; n < std::size(kEtcFields); ++n) {
            if (!m_format.Etc[n].isEmpty()) {
                read(m_format.Etc[n], kEtcFields[n]);
            }
        }
        checkRows();
        m_cells = nullptr;
        return name ? std::optional<QString>(trimSpaces(*name)) : std::nullopt;
    }

    void add(Kind kind, const QString& cell, const QString& message)
    {
        m_findings.add(kind, [&] { return std::pair{cell, message}; });
    }

private:
    // The cell's text, checked for what the output cannot hold; a cell that cannot
    // be read (an error value, a reference that is none) is a finding itself.
    // where names the cell; it is made only for a finding.
    template <typename Read, typename Where>
    std::optional<QString> checked(const Read& readCell, const Where& where)
    {
        QString text;
        try {
            text = readCell();
        } catch (const Error& error) {
            m_findings.add(Kind::Unreadable, [&] {
                return std::pair{where(), error.description()};
            });
            return std::nullopt;
        }
        char32_t bad = 0;
        if (m_inputs.file.Encoding == OutputEncoding::Cp932 && !encodeCp932(text, &bad)) {
            m_findings.add(Kind::Unrepresentable, [&] {
                return std::pair{where(),
                                 QStringLiteral("文字 %1 は出力の文字コード (CP932) で表せません。")
                                     .arg(describeCodePoint(bad))};
            });
        }
        return text;
    }

    std::optional<QString> read(const QString& address, FormatField field)
    {
        return checked([&] { return m_cells->cell(address, field); }, [&] { return address; });
    }

    std::optional<QString> readColumn(const QString& letters, qint64 row, FormatField field)
    {
        if (letters.isEmpty()) {
            return std::nullopt;
        }
        return checked([&] { return m_cells->columnCell(letters, row, field); },
                       [&] { return letters + QString::number(row); });
    }

    void checkRows()
    {
        qint64 lastRow = 0;
        try {
            lastRow = m_cells->lastUsedRow();
        } catch (const Error& error) {
            add(Kind::Unreadable, QString(), error.description());
            return;
        }
        QHash<QString, qint64> titleRows;
        for (qint64 row = m_format.RowStart; row >= 1 && row <= lastRow && !m_findings.full();
             ++row) {
            throwIfCancelled(m_cancelled);
            const std::optional<QString> title =
                readColumn(m_format.RowTitle, row, FormatField::RowTitle);
            if (!title || title->isEmpty()) {
                break;
            }
            const QString trimmedTitle = trimSpaces(*title);
            const auto earlier = titleRows.constFind(trimmedTitle);
            if (earlier != titleRows.constEnd()) {
                m_findings.add(Kind::DuplicateTitle, [&] {
                    return std::pair{
                        m_format.RowTitle + QString::number(row),
                        QStringLiteral("項目タイトル \"%1\" が %2 行目と重複しています。")
                            .arg(trimmedTitle)
                            .arg(earlier.value())};
                });
            } else {
                titleRows.insert(trimmedTitle, row);
            }
            const std::optional<QString> type =
                readColumn(m_format.RowType, row, FormatField::RowType);
            if (type && trimSpaces(*type).isEmpty()) {
                m_findings.add(Kind::NoType, [&] {
                    return std::pair{
                        m_format.RowType + QString::number(row),
                        QStringLiteral("項目 \"%1\" にデータ型がありません。").arg(trimmedTitle)};
                });
            }
            for (const auto& column : {std::pair{m_format.RowLength, FormatField::RowLength},
                                       std::pair{m_format.RowScale, FormatField::RowScale}}) {
                const std::optional<QString> value = readColumn(column.first, row, column.second);
                if (value && !trimSpaces(*value).isEmpty() && !isNumericLength(*value)) {
                    m_findings.add(Kind::NotNumber, [&] {
                        return std::pair{column.first + QString::number(row),
                                         QStringLiteral("「%1」の \"%2\" は数値ではありません。")
                                             .arg(formatFieldName(column.second), value->left(40))};
                    });
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
    FindingList& m_findings;
    const std::atomic_bool& m_cancelled;
    SheetCellReader* m_cells = nullptr;
};

} // namespace

QList<SheetFinding> checkSheets(WorkbookSource& source, const RunInputs& inputs,
                                const std::atomic_bool& cancelled)
{
    QList<SheetFinding> findings;
    FindingList list(findings);
    try {
        const FormatSetting format = workingFormat(inputs.format);
        const std::unique_ptr<WorkbookConnection> connection = source.attach();
        if (!connection->hasWorkbook(inputs.workbookName)) {
            findings.append(
                {QString(), QString(),
                 QStringLiteral("ブック \"%1\" は開かれていません。").arg(inputs.workbookName)});
            return findings;
        }
        SheetChecker checker(*connection, inputs, format, list, cancelled);
        QHash<QString, QString> tableSheets; // table name → first sheet
        for (qsizetype i = 0; i < inputs.sheetSelected.size(); ++i) {
            if (!inputs.sheetSelected.at(i)) {
                continue;
            }
            if (i + 1 > std::numeric_limits<qint16>::max()) {
                break;
            }
            throwIfCancelled(cancelled);
            const WorksheetHandle sheet =
                connection->worksheetAt(inputs.workbookName, static_cast<qint16>(i + 1));
            const std::optional<QString> name = checker.check(sheet);
            if (name && !name->isEmpty()) {
                const auto first = tableSheets.constFind(*name);
                if (first != tableSheets.constEnd()) {
                    checker.add(
                        Kind::DuplicateTableName, format.TableName,
                        QStringLiteral("テーブル名称 \"%1\" はシート \"%2\" と重複しています。")
                            .arg(*name, first.value()));
                } else {
                    tableSheets.insert(*name, connection->sheetName(sheet));
                }
            }
            if (list.full()) {
                list.closeSheet();
                findings.append({QString(), QString(),
                                 QStringLiteral("見つかったことが多すぎるため、シート \"%1\" "
                                                "でチェックを打ち切りました。")
                                     .arg(connection->sheetName(sheet))});
                break;
            }
        }
    } catch (const Error& error) {
        if (error.number() == ErrorNumber::UserDeclined) {
            throw;
        }
        list.closeSheet();
        findings.append({QString(), QString(), error.description()});
    } catch (const std::bad_alloc&) {
        list.closeSheet();
        findings.append({QString(), QString(),
                         QStringLiteral("メモリが足りないためチェックを続けられません。")});
    }
    list.closeSheet();
    return findings;
}

} // namespace tavrune
