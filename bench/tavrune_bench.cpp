// Times tavrune-batch on large table-definition workbooks and prints a Markdown table.
//
// The workbooks (300 sheets of 150 column rows as .xlsx, .ods and .xls; 3,000 sheets
// and one sheet of 200,000 rows as .xlsx) are written once into bench-workbooks/ of
// the build directory and reused. For each, one run after another: the inflate floor
// (every zip entry inflated in-process; for .xls the file's bytes read once),
// tavrune-batch generating one script per table, tavrune-batch --list, and what a
// user would script instead: openpyxl in read-only mode and SheetJS under Node, each
// reading every cell as text. Times are medians of wall clock; peak memory is each
// child's own maximum resident set, from wait4 in the small helper tavrune-bench-measure.
//
//   tavrune-bench

#include <QCoreApplication>
#include <QDate>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QThread>
#include <QUrl>
#include <algorithm>
#include <cstdio>
#include <functional>
#include <gsf/gsf.h>
#include <optional>
#include <vector>
#include <xlsxwriter.h>
#include <zip.h>

namespace {

enum class Kind
{
    Xlsx,
    Ods,
    Xls
};

struct Workbook
{
    Kind kind;
    int sheets;
    int rows;
    QString path;
};

// One measured run: wall clock and the peak resident set of the child, if any.
struct Sample
{
    double seconds = 0;
    long peakKiB = 0;
};

struct Timing
{
    bool measured = false;
    double seconds = 0;
    long peakKiB = 0;
    int runs = 0;
    QString missing; // why the column has no figure
};

struct Sizes
{
    qint64 inflated = 0;      // every part, or the .xls workbook stream
    qint64 largestSheet = 0;  // the largest worksheet part or substream
    qint64 sharedStrings = 0; // the shared strings part or SST record
};

struct Row
{
    Workbook workbook;
    Sizes sizes;
    Timing floor;
    Timing generation;
    Timing list;
    Timing openpyxl;
    Timing sheetjs;
};

// A run longer than this is repeated 3 times instead of 5, to keep the whole
// benchmark within minutes.
constexpr double kSlowRunSeconds = 5.0;
constexpr int kRuns = 5;
constexpr int kSlowRuns = 3;
constexpr int kMemoryFactor = 3;

QStringList g_notes;

void progress(const QString& text)
{
    std::fprintf(stderr, "%s\n", text.toUtf8().constData());
}

QString kindName(Kind kind)
{
    switch (kind) {
    case Kind::Xlsx:
        return QStringLiteral("xlsx");
    case Kind::Ods:
        return QStringLiteral("ods");
    case Kind::Xls:
        return QStringLiteral("xls");
    }
    return {};
}

QString label(const Workbook& workbook)
{
    return QStringLiteral(".%1 %2 × %3")
        .arg(kindName(workbook.kind), QLocale::c().toString(workbook.sheets),
             QLocale::c().toString(workbook.rows));
}

// The cells the workbook holds: what every reader must return.
qint64 expectedCells(int sheets, int rows)
{
    qint64 perSheet = 6;
    for (int r = 0; r < rows; ++r) {
        perSheet += 4 + (r % 4 != 2 ? 1 : 0) + (r == 0 ? 1 : 0) + (r % 3 == 0 ? 1 : 0);
    }
    return perSheet * sheets;
}

bool writeXlsx(const QString& path, int sheets, int rows)
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

QString python()
{
    // Debian's interpreter has openpyxl and xlwt, whatever else is first on PATH.
    const QString debian = QStringLiteral("/usr/bin/python3");
    return QFileInfo(debian).isExecutable() ? debian : QStandardPaths::findExecutable("python3");
}

// Runs a helper program to completion; false (with its output shown) when it fails.
bool runTool(const QString& program, const QStringList& arguments)
{
    QProcess process;
    process.setProcessChannelMode(QProcess::MergedChannels);
    process.start(program, arguments);
    if (!process.waitForFinished(30 * 60 * 1000) || process.exitStatus() != QProcess::NormalExit ||
        process.exitCode() != 0) {
        progress(
            QStringLiteral("%1 failed:\n%2").arg(program, QString::fromUtf8(process.readAll())));
        return false;
    }
    return true;
}

// The workbook in the cache, written first when missing. A workbook is written
// under a temporary name and renamed, so that an interrupted run leaves nothing.
std::optional<Workbook> cachedWorkbook(const QDir& cache, Kind kind, int sheets, int rows,
                                       const QString& xlsxSource)
{
    const QString name = QStringLiteral("%1x%2.%3").arg(sheets).arg(rows).arg(kindName(kind));
    const QString path = cache.filePath(name);
    const Workbook workbook{kind, sheets, rows, path};
    if (QFileInfo::exists(path)) {
        return workbook;
    }
    progress(QStringLiteral("writing %1").arg(path));
    const QString partial = cache.filePath(QStringLiteral("partial-") + name);
    QFile::remove(partial);
    switch (kind) {
    case Kind::Xlsx:
        if (!writeXlsx(partial, sheets, rows)) {
            return std::nullopt;
        }
        break;
    case Kind::Xls:
        if (!runTool(python(), {QStringLiteral(TAVRUNE_BENCH_SOURCE_DIR "/write_xls.py"),
                                xlsxSource, partial})) {
            return std::nullopt;
        }
        break;
    case Kind::Ods: {
        const QString soffice = QStandardPaths::findExecutable(QStringLiteral("soffice"));
        if (soffice.isEmpty()) {
            g_notes << QStringLiteral("No .ods row: LibreOffice (soffice) is not installed.");
            return std::nullopt;
        }
        // A profile of its own, so that a LibreOffice already running elsewhere
        // does not take the conversion over.
        QTemporaryDir work;
        const QString profile = QUrl::fromLocalFile(work.filePath("profile")).toString();
        if (!runTool(soffice, {QStringLiteral("-env:UserInstallation=") + profile,
                               QStringLiteral("--headless"), QStringLiteral("--convert-to"),
                               QStringLiteral("ods"), QStringLiteral("--outdir"), work.path(),
                               xlsxSource})) {
            g_notes << QStringLiteral("No .ods row: LibreOffice could not convert the workbook.");
            return std::nullopt;
        }
        const QString converted =
            work.filePath(QFileInfo(xlsxSource).completeBaseName() + QStringLiteral(".ods"));
        if (!QFile::copy(converted, partial)) {
            return std::nullopt;
        }
        break;
    }
    }
    if (!QFile::rename(partial, path)) {
        return std::nullopt;
    }
    return workbook;
}

QByteArray contents(const QString& path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

// Runs argv through the measuring helper; nothing when it fails or does not exit
// with 0.
std::optional<Sample> runChild(const QStringList& argv, const QString& outPath,
                               const QString& errPath)
{
    QProcess helper;
    helper.start(QStringLiteral(TAVRUNE_BENCH_MEASURE), QStringList{outPath, errPath} + argv);
    if (!helper.waitForFinished(-1) || helper.exitStatus() != QProcess::NormalExit ||
        helper.exitCode() != 0) {
        progress(QString::fromUtf8(helper.readAllStandardError()));
        return std::nullopt;
    }
    const QList<QByteArray> fields = helper.readAllStandardOutput().trimmed().split(' ');
    if (fields.size() != 3 || fields[2] != "0") {
        progress(QStringLiteral("%1 failed:\n%2")
                     .arg(argv.join(u' '), QString::fromUtf8(contents(errPath).left(2000))));
        return std::nullopt;
    }
    return Sample{fields[0].toDouble(), fields[1].toLong()};
}

// Runs once; then 4 more times, or 2 more when a run is slow. The median time and
// the largest peak memory of the runs.
Timing measure(const std::function<std::optional<Sample>()>& once)
{
    std::vector<double> seconds;
    Timing timing;
    int runs = kRuns;
    while (int(seconds.size()) < runs) {
        const std::optional<Sample> sample = once();
        if (!sample) {
            timing.missing = QStringLiteral("failed");
            return timing;
        }
        if (seconds.empty() && sample->seconds > kSlowRunSeconds) {
            runs = kSlowRuns;
        }
        seconds.push_back(sample->seconds);
        timing.peakKiB = std::max(timing.peakKiB, sample->peakKiB);
    }
    std::sort(seconds.begin(), seconds.end());
    timing.measured = true;
    timing.seconds = seconds[seconds.size() / 2];
    timing.runs = runs;
    return timing;
}

std::optional<Sample> inflateOnce(const QString& path)
{
    QElapsedTimer timer;
    timer.start();
    int error = 0;
    zip_t* archive = zip_open(QFile::encodeName(path).constData(), ZIP_RDONLY, &error);
    if (archive == nullptr) {
        return std::nullopt;
    }
    static std::vector<char> buffer(1 << 16);
    bool ok = true;
    const zip_int64_t entries = zip_get_num_entries(archive, 0);
    for (zip_int64_t i = 0; i < entries && ok; ++i) {
        zip_file_t* file = zip_fopen_index(archive, zip_uint64_t(i), 0);
        if (file == nullptr) {
            ok = false;
            break;
        }
        zip_int64_t read = 0;
        while ((read = zip_fread(file, buffer.data(), buffer.size())) > 0) {
        }
        ok = read == 0;
        zip_fclose(file);
    }
    zip_close(archive);
    if (!ok) {
        return std::nullopt;
    }
    return Sample{timer.nsecsElapsed() / 1e9, 0};
}

std::optional<Sample> readBytesOnce(const QString& path)
{
    QElapsedTimer timer;
    timer.start();
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        return std::nullopt;
    }
    static std::vector<char> buffer(1 << 16);
    while (file.read(buffer.data(), qint64(buffer.size())) > 0) {
    }
    return Sample{timer.nsecsElapsed() / 1e9, 0};
}

Sizes zipSizes(const QString& path, Kind kind)
{
    Sizes sizes;
    int error = 0;
    zip_t* archive = zip_open(QFile::encodeName(path).constData(), ZIP_RDONLY, &error);
    if (archive == nullptr) {
        return sizes;
    }
    const zip_int64_t entries = zip_get_num_entries(archive, 0);
    for (zip_int64_t i = 0; i < entries; ++i) {
        zip_stat_t stat;
        if (zip_stat_index(archive, zip_uint64_t(i), 0, &stat) != 0) {
            continue;
        }
        const QString name = QString::fromUtf8(stat.name);
        const qint64 size = qint64(stat.size);
        sizes.inflated += size;
        // An .ods file keeps every sheet and its strings in content.xml.
        const bool sheet = kind == Kind::Ods ? name == QStringLiteral("content.xml")
                                             : name.startsWith(QStringLiteral("xl/worksheets/")) &&
                                                   name.endsWith(QStringLiteral(".xml"));
        if (sheet) {
            sizes.largestSheet = std::max(sizes.largestSheet, size);
        } else if (name == QStringLiteral("xl/sharedStrings.xml")) {
            sizes.sharedStrings = size;
        }
    }
    zip_close(archive);
    return sizes;
}

quint16 little16(const QByteArray& data, qsizetype at)
{
    return quint16(quint8(data[at]) | quint8(data[at + 1]) << 8);
}

quint32 little32(const QByteArray& data, qsizetype at)
{
    return quint32(little16(data, at)) | quint32(little16(data, at + 2)) << 16;
}

// The workbook stream's size, its largest sheet substream (from a BOUNDSHEET's
// offset to its EOF record) and its SST record with the CONTINUEs after it.
Sizes xlsSizes(const QString& path)
{
    Sizes sizes;
    GError* error = nullptr;
    GsfInput* file = gsf_input_stdio_new(QFile::encodeName(path).constData(), &error);
    if (file == nullptr) {
        g_clear_error(&error);
        return sizes;
    }
    GsfInfile* compound = gsf_infile_msole_new(file, &error);
    g_object_unref(file);
    if (compound == nullptr) {
        g_clear_error(&error);
        return sizes;
    }
    QByteArray data;
    if (GsfInput* stream = gsf_infile_child_by_name(compound, "Workbook")) {
        data.resize(gsf_input_size(stream));
        if (!gsf_input_read(stream, size_t(data.size()), reinterpret_cast<guint8*>(data.data()))) {
            data.clear();
        }
        g_object_unref(stream);
    }
    g_object_unref(compound);
    sizes.inflated = data.size();

    constexpr quint16 kEof = 0x000A;
    constexpr quint16 kBoundSheet = 0x0085;
    constexpr quint16 kSst = 0x00FC;
    constexpr quint16 kContinue = 0x003C;
    std::vector<qsizetype> sheetStarts;
    bool inSst = false;
    for (qsizetype at = 0; at + 4 <= data.size();) {
        const quint16 type = little16(data, at);
        const qsizetype length = 4 + little16(data, at + 2);
        if (type == kBoundSheet && at + 8 <= data.size()) {
            sheetStarts.push_back(qsizetype(little32(data, at + 4)));
        }
        inSst = type == kSst || (inSst && type == kContinue);
        if (inSst) {
            sizes.sharedStrings += length;
        }
        at += length;
    }
    for (const qsizetype start : sheetStarts) {
        qsizetype at = start;
        while (at + 4 <= data.size() && little16(data, at) != kEof) {
            at += 4 + little16(data, at + 2);
        }
        sizes.largestSheet = std::max(sizes.largestSheet, at + 4 - start);
    }
    return sizes;
}

// The first number a reader script printed: the cells it read.
qint64 cellsPrinted(const QString& path)
{
    return contents(path).split(' ').first().trimmed().toLongLong();
}

void checkCells(const Row& row, const QString& reader, qint64 cells)
{
    const qint64 expected = expectedCells(row.workbook.sheets, row.workbook.rows);
    if (cells != expected) {
        g_notes << QStringLiteral("%1 read %2 cells of %3, not %4.")
                       .arg(reader)
                       .arg(cells)
                       .arg(label(row.workbook))
                       .arg(expected);
    }
}

void measureRow(Row& row, const QDir& scratch, const QString& sheetjsModule)
{
    const Workbook& workbook = row.workbook;
    const QString name = label(workbook);
    const QString out = scratch.filePath(QStringLiteral("stdout.txt"));
    const QString err = scratch.filePath(QStringLiteral("stderr.txt"));
    const QString settings = QStringLiteral(TAVRUNE_SAMPLE_SETTINGS);

    progress(QStringLiteral("%1: inflate floor").arg(name));
    row.sizes = workbook.kind == Kind::Xls ? xlsSizes(workbook.path)
                                           : zipSizes(workbook.path, workbook.kind);
    row.floor = measure([&] {
        return workbook.kind == Kind::Xls ? readBytesOnce(workbook.path)
                                          : inflateOnce(workbook.path);
    });

    // The sample settings' first file setting writes one script per table; a fresh
    // folder for each run, emptied outside the timing.
    progress(QStringLiteral("%1: generation").arg(name));
    bool counted = false;
    row.generation = measure([&]() -> std::optional<Sample> {
        const QString outputDir = scratch.filePath(QStringLiteral("out"));
        QDir(outputDir).removeRecursively();
        const std::optional<Sample> sample =
            runChild({QStringLiteral(TAVRUNE_BATCH), QStringLiteral("--settings"), settings,
                      QStringLiteral("--output-dir"), outputDir, workbook.path},
                     out, err);
        if (sample && !counted) {
            counted = true;
            const qsizetype files = QDir(outputDir).entryList(QDir::Files).size();
            if (files != workbook.sheets) {
                g_notes << QStringLiteral("Generation from %1 wrote %2 files, not %3.")
                               .arg(name)
                               .arg(files)
                               .arg(workbook.sheets);
            }
        }
        QDir(outputDir).removeRecursively();
        return sample;
    });

    progress(QStringLiteral("%1: --list").arg(name));
    row.list = measure([&]() -> std::optional<Sample> {
        const std::optional<Sample> sample =
            runChild({QStringLiteral(TAVRUNE_BATCH), QStringLiteral("--settings"), settings,
                      QStringLiteral("--list"), workbook.path},
                     out, err);
        const qsizetype lines = contents(out).count('\n');
        if (sample && lines != workbook.sheets) {
            g_notes << QStringLiteral("--list of %1 printed %2 lines.").arg(name).arg(lines);
        }
        return sample;
    });

    if (workbook.kind == Kind::Xlsx) {
        progress(QStringLiteral("%1: openpyxl").arg(name));
        row.openpyxl = measure([&]() -> std::optional<Sample> {
            const std::optional<Sample> sample =
                runChild({python(), QStringLiteral(TAVRUNE_BENCH_SOURCE_DIR "/openpyxl_read.py"),
                          workbook.path},
                         out, err);
            if (sample) {
                checkCells(row, QStringLiteral("openpyxl"), cellsPrinted(out));
            }
            return sample;
        });
    } else {
        row.openpyxl.missing = QStringLiteral("—");
    }

    const QString node = QStandardPaths::findExecutable(QStringLiteral("node"));
    if (node.isEmpty() || !QFileInfo::exists(sheetjsModule)) {
        row.sheetjs.missing = QStringLiteral("—");
        return;
    }
    progress(QStringLiteral("%1: SheetJS").arg(name));
    row.sheetjs = measure([&]() -> std::optional<Sample> {
        const std::optional<Sample> sample =
            runChild({node, QStringLiteral(TAVRUNE_BENCH_SOURCE_DIR "/sheetjs_read.js"),
                      sheetjsModule, workbook.path},
                     out, err);
        if (sample) {
            checkCells(row, QStringLiteral("SheetJS"), cellsPrinted(out));
        }
        return sample;
    });
}

QString seconds(double value)
{
    if (value < 0.01) {
        return QString::number(value * 1000, 'f', 2) + QStringLiteral(" ms");
    }
    return QString::number(value, 'f', value < 1 ? 3 : value < 10 ? 2 : 1) + QStringLiteral(" s");
}

QString mebibytes(qint64 bytes)
{
    const double mib = bytes / (1024.0 * 1024.0);
    return QString::number(mib, 'f', mib < 10 ? 1 : 0) + QStringLiteral(" MiB");
}

QString ratio(double value)
{
    return QString::number(value, 'f', value < 10 ? 2 : 1) + QStringLiteral(" ×");
}

QString runsMark(const Timing& timing)
{
    return timing.runs == kSlowRuns ? QStringLiteral("†") : QString();
}

QString floorCell(const Timing& floor)
{
    return floor.measured ? seconds(floor.seconds) + runsMark(floor) : floor.missing;
}

QString childCell(const Timing& timing, const Timing& floor)
{
    if (!timing.measured) {
        return timing.missing;
    }
    return QStringLiteral("%1%2 (%3), %4")
        .arg(seconds(timing.seconds), runsMark(timing),
             floor.measured ? ratio(timing.seconds / floor.seconds) : QStringLiteral("?"),
             mebibytes(timing.peakKiB * 1024));
}

qint64 memoryBound(const Sizes& sizes)
{
    return kMemoryFactor * (sizes.largestSheet + sizes.sharedStrings);
}

QString quotient(const Timing& a, const Timing& b)
{
    return a.measured && b.measured ? ratio(a.seconds / b.seconds) : QStringLiteral("—");
}

// The peak memory against the bound, and in brackets the same for the memory above
// the program's start-up peak.
QString peakOfBound(const Timing& timing, const Sizes& sizes, const Timing& startup)
{
    const qint64 bound = memoryBound(sizes);
    if (!timing.measured || bound <= 0) {
        return QStringLiteral("—");
    }
    const double peak = timing.peakKiB * 1024.0;
    const double startupPeak = startup.measured ? startup.peakKiB * 1024.0 : 0;
    return QStringLiteral("%1 (%2)").arg(ratio(peak / bound), ratio((peak - startupPeak) / bound));
}

QString loadAverage()
{
    return QString::fromUtf8(contents(QStringLiteral("/proc/loadavg"))).section(u' ', 0, 2);
}

QString cpuModel()
{
    QFile info(QStringLiteral("/proc/cpuinfo"));
    info.open(QIODevice::ReadOnly);
    for (const QByteArray& line : info.readAll().split('\n')) {
        if (line.startsWith("model name")) {
            return QString::fromUtf8(line.mid(line.indexOf(':') + 1)).trimmed();
        }
    }
    return QStringLiteral("unknown CPU");
}

// The cost of the larger workbook per column row against the 300-sheet one's: 1.00 is
// exactly linear.
QString scaling(const Row& large, const Row& base, const Timing Row::*column)
{
    const Timing& a = large.*column;
    const Timing& b = base.*column;
    if (!a.measured || !b.measured) {
        return QStringLiteral("—");
    }
    const double rows = double(large.workbook.sheets) * large.workbook.rows /
                        (double(base.workbook.sheets) * base.workbook.rows);
    return QString::number(a.seconds / rows / b.seconds, 'f', 2);
}

void print(const QString& text)
{
    std::fputs(text.toUtf8().constData(), stdout);
}

void printTables(const std::vector<Row>& rows, const Timing& startup, const QString& load)
{
    print(QStringLiteral("### tavrune-batch speed, %1\n\n")
              .arg(QDate::currentDate().toString(Qt::ISODate)));
    print(QStringLiteral("%1 cores (%2). Wall clock, median of %3 runs one after another (%4 "
                         "runs where marked †, when one takes over %5 s); in brackets the "
                         "time ÷ the inflate floor; then the process's peak resident "
                         "memory. Memory bound: %6 × (largest inflated sheet part + shared "
                         "strings); tavrune-batch starts up in %7 (the peak of `--version`). Load "
                         "average when the benchmark started: %8.\n\n")
              .arg(QThread::idealThreadCount())
              .arg(cpuModel())
              .arg(kRuns)
              .arg(kSlowRuns)
              .arg(kSlowRunSeconds)
              .arg(kMemoryFactor)
              .arg(startup.measured ? mebibytes(startup.peakKiB * 1024) : QStringLiteral("?"))
              .arg(load));
    print(QStringLiteral("| workbook | file | inflated | memory bound | inflate floor | "
                         "generation | `--list` | openpyxl | SheetJS |\n"
                         "|---|--:|--:|--:|--:|--:|--:|--:|--:|\n"));
    for (const Row& row : rows) {
        print(QStringLiteral("| %1 | %2 | %3 | %4 | %5 | %6 | %7 | %8 | %9 |\n")
                  .arg(label(row.workbook), mebibytes(QFileInfo(row.workbook.path).size()),
                       mebibytes(row.sizes.inflated), mebibytes(memoryBound(row.sizes)),
                       floorCell(row.floor), childCell(row.generation, row.floor),
                       childCell(row.list, row.floor), childCell(row.openpyxl, row.floor),
                       childCell(row.sheetjs, row.floor)));
    }
    print(QStringLiteral(
        "\n| workbook | generation ÷ floor | `--list` ÷ floor | "
        "openpyxl ÷ generation | SheetJS ÷ generation | "
        "generation memory ÷ bound (above start-up) | `--list` memory ÷ bound (above "
        "start-up) |\n"
        "|---|--:|--:|--:|--:|--:|--:|\n"));
    for (const Row& row : rows) {
        print(QStringLiteral("| %1 | %2 | %3 | %4 | %5 | %6 | %7 |\n")
                  .arg(label(row.workbook), quotient(row.generation, row.floor),
                       quotient(row.list, row.floor), quotient(row.openpyxl, row.generation),
                       quotient(row.sheetjs, row.generation),
                       peakOfBound(row.generation, row.sizes, startup),
                       peakOfBound(row.list, row.sizes, startup)));
    }
    const auto base = std::find_if(rows.begin(), rows.end(), [](const Row& row) {
        return row.workbook.kind == Kind::Xlsx && row.workbook.sheets == 300;
    });
    if (base != rows.end()) {
        print(QStringLiteral("\nScaling, time per column row against %1 (1.00 is linear):\n\n")
                  .arg(label(base->workbook)));
        for (const Row& row : rows) {
            if (row.workbook.kind != Kind::Xlsx || &row == &*base) {
                continue;
            }
            print(QStringLiteral("- %1: generation %2, `--list` %3\n")
                      .arg(label(row.workbook), scaling(row, *base, &Row::generation),
                           scaling(row, *base, &Row::list)));
        }
    }
    if (load.section(u' ', 0, 0).toDouble() > QThread::idealThreadCount() - 0.5) {
        g_notes << QStringLiteral("The machine was busy when the benchmark started: times are "
                                  "longer and noisier than on an idle machine.");
    }
    if (!g_notes.isEmpty()) {
        print(QStringLiteral("\n"));
        for (const QString& note : g_notes) {
            print(QStringLiteral("- %1\n").arg(note));
        }
    }
}

} // namespace

int main(int argc, char* argv[])
{
    QCoreApplication app(argc, argv);
    const QDir cache(QStringLiteral(TAVRUNE_BENCH_BINARY_DIR "/bench-workbooks"));
    cache.mkpath(QStringLiteral("."));

    const std::optional<Workbook> xlsx = cachedWorkbook(cache, Kind::Xlsx, 300, 150, {});
    if (!xlsx) {
        progress(QStringLiteral("could not write the .xlsx workbook"));
        return 1;
    }
    std::vector<Workbook> workbooks{*xlsx};
    for (const Kind kind : {Kind::Ods, Kind::Xls}) {
        if (const std::optional<Workbook> other =
                cachedWorkbook(cache, kind, 300, 150, xlsx->path)) {
            workbooks.push_back(*other);
        }
    }
    for (const auto& [sheets, rows] : {std::pair{3000, 150}, std::pair{1, 200000}}) {
        const std::optional<Workbook> large = cachedWorkbook(cache, Kind::Xlsx, sheets, rows, {});
        if (!large) {
            progress(QStringLiteral("could not write the .xlsx workbook"));
            return 1;
        }
        workbooks.push_back(*large);
    }

    const QString sheetjsModule =
        QStringLiteral(TAVRUNE_BENCH_BINARY_DIR "/bench-node/node_modules/xlsx");
    if (QStandardPaths::findExecutable(QStringLiteral("node")).isEmpty()) {
        g_notes << QStringLiteral("No SheetJS figures: Node is not installed.");
    } else if (!QFileInfo::exists(sheetjsModule)) {
        g_notes << QStringLiteral("No SheetJS figures: the npm package xlsx is not installed "
                                  "in bench-node/ of the build directory.");
    }
    const QString load = loadAverage();
    // Outputs go to a RAM file system where there is one: the table measures the
    // programs, and creating hundreds of files on a disk can cost more than all
    // of the rest (300 small files on an ext4 disk took 0.3-0.7 s on the machine
    // of the README's table).
    const QFileInfo ram(QStringLiteral("/dev/shm"));
    const bool inRam = ram.isDir() && ram.isWritable();
    QTemporaryDir scratch =
        inRam ? QTemporaryDir(QStringLiteral("/dev/shm/tavrune-bench-XXXXXX")) : QTemporaryDir();
    g_notes << (inRam ? QStringLiteral("Generated files were written to /dev/shm (in memory).")
                      : QStringLiteral("Generated files were written to the disk (no /dev/shm)."));
    const QString out = QDir(scratch.path()).filePath(QStringLiteral("stdout.txt"));
    const QString err = QDir(scratch.path()).filePath(QStringLiteral("stderr.txt"));
    const Timing startup = measure([&] {
        return runChild({QStringLiteral(TAVRUNE_BATCH), QStringLiteral("--version")}, out, err);
    });
    std::vector<Row> rows;
    for (const Workbook& workbook : workbooks) {
        Row row;
        row.workbook = workbook;
        measureRow(row, QDir(scratch.path()), sheetjsModule);
        rows.push_back(row);
    }
    printTables(rows, startup, load);
    return 0;
}
