// Builds a large table-definition workbook with libxlsxwriter (by default 300
// sheets of 150 column rows, in the layout of the sample workbook) and times
// tavrune-batch generating one CREATE TABLE script per table from it.
//
//   tavrune-bench [SHEETS [ROWS]]

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QProcess>
#include <QTemporaryDir>
#include <cstdio>
#include <sys/resource.h>
#include <xlsxwriter.h>

namespace {

bool writeWorkbook(const QString& path, int sheets, int rows)
{
    lxw_workbook* workbook = workbook_new(path.toUtf8().constData());
    if (workbook == nullptr) {
        return false;
    }
    const char* types[] = {"NUMBER", "VARCHAR2", "DATE", "CHAR"};
    for (int s = 1; s <= sheets; ++s) {
        const QByteArray name = QStringLiteral("テーブル%1").arg(s, 3, 10, QChar(u'0')).toUtf8();
        lxw_worksheet* sheet = workbook_add_worksheet(workbook, name.constData());
        worksheet_write_string(sheet, 0, 0, "テーブル定義書", nullptr);
        worksheet_write_string(sheet, 2, 1, "テーブル名", nullptr);
        worksheet_write_string(sheet, 2, 2,
                               QByteArray("TABLE_" + QByteArray::number(s)).constData(), nullptr);
        worksheet_write_string(sheet, 3, 1, "テーブルタイトル", nullptr);
        worksheet_write_string(sheet, 3, 2, name.constData(), nullptr);
        worksheet_write_string(sheet, 5, 0, "No", nullptr);
        for (int r = 0; r < rows; ++r) {
            const int row = 6 + r;
            const char* type = types[r % 4];
            worksheet_write_number(sheet, row, 0, r + 1, nullptr);
            worksheet_write_string(sheet, row, 1,
                                   QByteArray("COLUMN_" + QByteArray::number(r + 1)).constData(),
                                   nullptr);
            worksheet_write_string(sheet, row, 2, type, nullptr);
            if (r % 4 != 2) {
                worksheet_write_number(sheet, row, 3, 10 + r % 20, nullptr);
            }
            if (r == 0) {
                worksheet_write_string(sheet, row, 5, "○", nullptr);
            }
            if (r % 3 == 0) {
                worksheet_write_string(sheet, row, 6, "○", nullptr);
            }
            worksheet_write_string(sheet, row, 8,
                                   QStringLiteral("項目%1の説明").arg(r + 1).toUtf8().constData(),
                                   nullptr);
        }
    }
    return workbook_close(workbook) == LXW_NO_ERROR;
}

} // namespace

int main(int argc, char* argv[])
{
    QCoreApplication app(argc, argv);
    const QStringList args = QCoreApplication::arguments();
    const int sheets = args.size() > 1 ? args.at(1).toInt() : 300;
    const int rows = args.size() > 2 ? args.at(2).toInt() : 150;
    if (sheets < 1 || rows < 1) {
        std::fprintf(stderr, "usage: tavrune-bench [SHEETS [ROWS]]\n");
        return 2;
    }
    QTemporaryDir dir;
    const QString workbook = dir.filePath(QStringLiteral("bench.xlsx"));
    QElapsedTimer timer;
    timer.start();
    if (!writeWorkbook(workbook, sheets, rows)) {
        std::fprintf(stderr, "could not write %s\n", qPrintable(workbook));
        return 1;
    }
    std::printf("workbook: %d sheets x %d rows, written in %.2f s\n", sheets, rows,
                timer.nsecsElapsed() / 1e9);

    QProcess batch;
    batch.setProcessChannelMode(QProcess::ForwardedErrorChannel);
    timer.restart();
    batch.start(QStringLiteral(TAVRUNE_BATCH),
                {QStringLiteral("--settings"), QStringLiteral(TAVRUNE_SAMPLE_SETTINGS),
                 QStringLiteral("--output-dir"), dir.filePath(QStringLiteral("out")), workbook});
    if (!batch.waitForFinished(-1) || batch.exitCode() != 0) {
        std::fprintf(stderr, "tavrune-batch failed (exit %d)\n", batch.exitCode());
        return 1;
    }
    const double seconds = timer.nsecsElapsed() / 1e9;
    rusage usage{};
    getrusage(RUSAGE_CHILDREN, &usage);
    std::printf("tavrune-batch: %.2f s, %.0f sheets/s, peak memory %.1f MiB\n", seconds,
                sheets / seconds, usage.ru_maxrss / 1024.0);
    return 0;
}
