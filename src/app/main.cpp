#include "app/dialog_interaction.h"
#include "app/main_window.h"
#include "app/manual_location.h"
#include "app/single_instance.h"
#include "app/termination_signal.h"
#include "app/window_services.h"
#include "settings/settings_paths.h"
#include "workbook/file_workbook_source.h"

#include <QApplication>

int main(int argc, char* argv[])
{
    using namespace tavrune;

    QStringList files;
    for (int i = 1; i < argc; ++i) {
        files.append(QString::fromLocal8Bit(argv[i]));
    }
    // A second start ends at once without showing anything; files it was given go
    // to the running copy.
    SingleInstance instance;
    if (!instance.acquire()) {
        if (!files.isEmpty()) {
            QCoreApplication core(argc, argv);
            instance.sendFiles(files);
        }
        return 0;
    }

    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("tavrune"));
    installQtJapanese(app);
    QApplication::setFont(applicationFont(QApplication::font()));
    QApplication::setWindowIcon(programIcon());
    // A session that ends (SIGTERM) closes the window as the user would, so that
    // the window state is saved and the lock and the socket are removed; a run in
    // progress stops as a cancel stops it.
    TerminationSignal termination;

    DialogInteraction interaction;
    FileWorkbookSource source;
    MainWindow window(interaction, source, defaultSettingsPaths(),
                      manualPathFor(QApplication::applicationDirPath()));
    interaction.setParentWindow(&window);
    QObject::connect(&instance, &SingleInstance::filesReceived, &window, &MainWindow::openFiles);
    QObject::connect(&termination, &TerminationSignal::received, &window, [&window] {
        if (window.closeForTermination()) {
            QApplication::quit();
        }
    });
    instance.listen();
    window.startUp();
    if (!files.isEmpty()) {
        window.openFiles(files);
    }
    return QApplication::exec();
}
