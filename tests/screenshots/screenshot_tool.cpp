// Shows the program's windows with the sample workbook and settings and saves a
// PNG of each, for a person to review: tavrune_screenshots OUTPUT_DIRECTORY.

#include "gui/format_editor/format_editor_window.h"
#include "gui/main_window/about_dialog.h"
#include "gui/main_window/main_window.h"
#include "gui/run/dialog_interaction.h"
#include "gui/run/overwrite_question_dialog.h"
#include "gui/run/progress_dialog.h"
#include "gui/twips.h"
#include "gui/window_services.h"
#include "workbook/file_workbook_source.h"

#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QDir>
#include <QFile>
#include <QIcon>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QScreen>
#include <QSqlDatabase>
#include <QSqlQuery>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>
#include <cstdio>

namespace {

bool save(QWidget& widget, const QDir& out, const QString& name)
{
    widget.show();
    QTest::qWait(200);
    const bool saved = widget.grab().save(out.filePath(name + QStringLiteral(".png")));
    std::printf("%s %s\n", saved ? "wrote" : "FAILED", qPrintable(out.filePath(name + ".png")));
    return saved;
}

} // namespace

int main(int argc, char* argv[])
{
    using namespace tavrune;
    QApplication app(argc, argv);
    if (argc != 2) {
        std::fprintf(stderr, "usage: tavrune_screenshots OUTPUT_DIRECTORY\n");
        return 2;
    }
    installQtJapanese(app);
    QApplication::setFont(applicationFont(QApplication::font()));
    QApplication::setWindowIcon(programIcon());
    const QDir out(QString::fromLocal8Bit(argv[1]));
    QDir().mkpath(out.path());

    {
        // The first start, without a window state file: the whole screen.
        QTemporaryDir first;
        DialogInteraction interaction;
        FileWorkbookSource source;
        MainWindow window(interaction, source,
                          {first.filePath(QStringLiteral("tavrune.dat")),
                           first.filePath(QStringLiteral("tavrune.ini"))},
                          QString());
        window.startUp();
        QTest::qWaitForWindowExposed(&window);
        QTest::qWait(200); // until the window has been drawn on the screen
        const QString name = out.filePath(QStringLiteral("first_start.png"));
        const bool saved = window.screen()->grabWindow(0).save(name);
        std::printf("%s %s\n", saved ? "wrote" : "FAILED", qPrintable(name));
        window.hide();
    }

    QTemporaryDir home;
    const SettingsPaths paths{home.filePath(QStringLiteral("tavrune.dat")),
                              home.filePath(QStringLiteral("tavrune.ini"))};
    QFile::copy(QStringLiteral(TAVRUNE_SAMPLES "/tavrune.dat"), paths.settingsFile);
    QFile::copy(QStringLiteral(TAVRUNE_SAMPLES "/tavrune_changes.json"),
                home.filePath(QStringLiteral("tavrune_changes.json")));
    QFile state(paths.windowStateFile);
    if (state.open(QIODevice::WriteOnly)) {
        state.write(
            "[Pos]\r\nLeft=600\r\nTop=600\r\nWidth=10500\r\nHeight=7200\r\nSplitter=3000\r\n"
            "[Excel]\r\nRecent1=" TAVRUNE_SAMPLES "/table_definitions.xlsx\r\n");
        state.close();
    }

    DialogInteraction interaction;
    FileWorkbookSource source;
    MainWindow window(interaction, source, paths, QString());
    interaction.setParentWindow(&window);
    window.startUp();
    window.openFiles({QStringLiteral(TAVRUNE_SAMPLES "/table_definitions.xlsx")});
    auto* sheets = window.centralWidget()->findChild<QListWidget*>(QStringLiteral("lstExcelSheet"));
    for (int row : {0, 2}) {
        sheets->item(row)->setSelected(true);
    }
    bool ok = save(window, out, QStringLiteral("main_templates"));
    window.findChild<QPushButton*>(QStringLiteral("cmdSet1"))->click();
    ok = save(window, out, QStringLiteral("main_output")) && ok;
    window.findChild<QPushButton*>(QStringLiteral("cmdSet0"))->click();
    sheets->setCurrentRow(0);
    sheets->item(0)->setSelected(true);
    window.resize(window.width(), window.height() + 300);
    window.findChild<QAction*>(QStringLiteral("mnuView_Preview"))->trigger();
    ok = save(window, out, QStringLiteral("main_preview")) && ok;
    window.findChild<QAction*>(QStringLiteral("mnuView_Preview"))->trigger();
    window.findChild<QAction*>(QStringLiteral("mnuView_Check"))->trigger();
    if (auto* check = window.findChild<QWidget*>(QStringLiteral("frmCheck"))) {
        ok = save(*check, out, QStringLiteral("frmCheck")) && ok;
        check->hide();
    }
    window.findChild<QAction*>(QStringLiteral("mnuView_Format"))->trigger();
    ok = save(window.formatEditor(), out, QStringLiteral("frmFormat")) && ok;
    window.formatEditor().hide();

    // The two versions of the definitions the tests compare, the newer one open.
    window.openFiles({QStringLiteral(TAVRUNE_TEST_DATA "/schema/definitions_new.xlsx")});
    window.findChild<QAction*>(QStringLiteral("mnuFile_Compare"))->trigger();
    if (auto* compare = window.findChild<QWidget*>(QStringLiteral("frmCompare"))) {
        compare->findChild<QLineEdit*>(QStringLiteral("txtOldFile"))
            ->setText(QStringLiteral(TAVRUNE_TEST_DATA "/schema/definitions_old.xlsx"));
        auto* change = compare->findChild<QComboBox*>(QStringLiteral("cmbChange"));
        change->setCurrentIndex(change->findText(QStringLiteral("Oracle (変更)")));
        compare->findChild<QPushButton*>(QStringLiteral("cmdCompare"))->click();
        const auto* write = compare->findChild<QPushButton*>(QStringLiteral("cmdWriteChange"));
        QTest::qWaitFor([&] { return write->isEnabled(); });
        ok = save(*compare, out, QStringLiteral("frmCompare")) && ok;
        compare->hide();
    }

    window.findChild<QAction*>(QStringLiteral("mnuView_Change"))->trigger();
    if (auto* changes = window.findChild<QWidget*>(QStringLiteral("frmChange"))) {
        changes->findChild<QListWidget*>(QStringLiteral("lstTemplate"))->setCurrentRow(2);
        ok = save(*changes, out, QStringLiteral("frmChange")) && ok;
        changes->hide();
    }

    window.findChild<QAction*>(QStringLiteral("mnuView_Connection"))->trigger();
    if (auto* connection = window.findChild<QWidget*>(QStringLiteral("frmConnection"))) {
        const auto field = [connection](const char* name) {
            return connection->findChild<QLineEdit*>(QString::fromLatin1(name));
        };
        connection->findChild<QComboBox*>(QStringLiteral("cmbName"))
            ->setEditText(QStringLiteral("販売管理 (本番)"));
        field("txtHost")->setText(QStringLiteral("db.example.co.jp"));
        field("txtPort")->setText(QStringLiteral("5432"));
        field("txtDatabase")->setText(QStringLiteral("sales"));
        field("txtUser")->setText(QStringLiteral("designer"));
        field("txtSchema")->setText(QStringLiteral("public"));
        connection->findChild<QCheckBox*>(QStringLiteral("chkRemember"))->setChecked(true);
        ok = save(*connection, out, QStringLiteral("frmConnection")) && ok;
        connection->hide();
    }

    // The tables of a SQLite database made from the portable sample's script.
    const QString database = home.filePath(QStringLiteral("sales.db"));
    {
        QSqlDatabase db =
            QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), QStringLiteral("shot"));
        db.setDatabaseName(database);
        db.open();
        for (const char* statement :
             {"CREATE TABLE CUSTOMER (\n CUSTOMER_ID INTEGER NOT NULL PRIMARY KEY, /* 顧客ID */\n"
              " CUSTOMER_NAME VARCHAR(100) NOT NULL /* 顧客名 */\n)",
              "CREATE TABLE ORDERS (\n ORDER_ID INTEGER NOT NULL PRIMARY KEY, /* 注文ID */\n"
              " ORDERED_AT TIMESTAMP DEFAULT CURRENT_TIMESTAMP /* 注文日時 */\n)",
              "CREATE TABLE PRODUCT (\n PRODUCT_ID INTEGER NOT NULL PRIMARY KEY /* 商品ID */\n)"}) {
            QSqlQuery(db).exec(QString::fromUtf8(statement));
        }
        db.close();
    }
    QSqlDatabase::removeDatabase(QStringLiteral("shot"));
    window.findChild<QAction*>(QStringLiteral("mnuFile_FromDatabase"))->trigger();
    if (auto* fromDatabase = window.findChild<QWidget*>(QStringLiteral("frmDatabaseWorkbook"))) {
        fromDatabase->findChild<QComboBox*>(QStringLiteral("cmbConnection"))
            ->setEditText(QStringLiteral("sqlite://") + database);
        fromDatabase->findChild<QPushButton*>(QStringLiteral("cmdLoad"))->click();
        auto* tables = fromDatabase->findChild<QListWidget*>(QStringLiteral("lstTables"));
        QTest::qWaitFor([&] { return tables->count() == 3; });
        tables->item(2)->setCheckState(Qt::Unchecked);
        fromDatabase->findChild<QLineEdit*>(QStringLiteral("txtTemplate"))
            ->setText(QStringLiteral(TAVRUNE_SAMPLES "/definition_template.xlsx"));
        fromDatabase->findChild<QLineEdit*>(QStringLiteral("txtOutput"))
            ->setText(QStringLiteral("/home/user/ddl/販売管理_テーブル定義書.xlsx"));
        ok = save(*fromDatabase, out, QStringLiteral("frmDatabaseWorkbook")) && ok;
        fromDatabase->hide();
    }

    // The password question, as asked when a server refuses a connection.
    QTimer::singleShot(0, [&] {
        QWidget* box = QApplication::activeModalWidget();
        ok = save(*box, out, QStringLiteral("frmPassword")) && ok;
        box->close();
    });
    interaction.askPassword(
        QStringLiteral("データベース postgresql://designer@db.example.co.jp:5432/"
                       "sales に接続できません: FATAL:  password "
                       "authentication failed for user \"designer\"\n\n"
                       "postgresql://designer@db.example.co.jp:5432/sales の"
                       "パスワード:"),
        true);

    OverwriteQuestionDialog question(&window);
    question.setQuestion(QStringLiteral("/home/user/ddl/顧客マスタ.sql\r\n\r\n既に同名のファイルが"
                                        "存在します。\r\n上書きしますか？"),
                         QString());
    ok = save(question, out, QStringLiteral("frmMsg")) && ok;
    question.hide();

    // A message box as DialogInteraction shows it, naming a long path.
    QTimer::singleShot(0, [&] {
        QWidget* box = QApplication::activeModalWidget();
        ok = save(*box, out, QStringLiteral("message_long_path")) && ok;
        box->close();
    });
    interaction.showMessage(QStringLiteral("/home/user/projects/販売管理システム/テーブル定義書/"
                                           "customer_master_definitions_2026_revised.xlsx "
                                           "を開けません。\r\nファイルが見つかりません。"),
                            MessageIcon::Exclamation, MessageButtons::OkCancel, Answer::Ok);

    bool cancelFlag = false;
    ProgressDialog progress(interaction, cancelFlag, &window);
    progress.setProgressText(QStringLiteral("2 / 5"));
    ok = save(progress, out, QStringLiteral("frmCancel")) && ok;
    progress.hide();
    ProgressDialog reading(interaction, cancelFlag, &window, ProgressDialog::Kind::Reading);
    reading.setProgressText(
        QStringLiteral("テーブル定義書_販売管理システム_受注・出荷・請求_2026年度版.xlsx"));
    ok = save(reading, out, QStringLiteral("frmCancel_reading")) && ok;
    reading.hide();

    AboutDialog about(QApplication::windowIcon(), window.windowTitle(), &window);
    ok = save(about, out, QStringLiteral("frmVer")) && ok;
    return ok ? 0 : 1;
}
