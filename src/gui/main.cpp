#include "common/error.h"
#include "gui/main_window/main_window.h"
#include "gui/main_window/manual_location.h"
#include "gui/program/single_instance.h"
#include "gui/program/termination_signal.h"
#include "gui/run/dialog_interaction.h"
#include "gui/window_services.h"
#include "settings/settings_paths.h"
#include "workbook/file_workbook_source.h"

#include <QApplication>
#include <csignal>
#include <cstdio>

int main(int argc, char* argv[])
{
    using namespace tavrune;

    QStringList files;
    for (int i = 1; i < argc; ++i) {
        files.append(QString::fromLocal8Bit(argv[i]));
    }
    // A second start ends at once without showing anything; files it was given go
    // to the running copy, and when they cannot, it says so and fails.
    SingleInstance instance;
    const SingleInstance::Lock lock = instance.acquire();
    if (lock == SingleInstance::Lock::AnotherCopyRuns) {
        if (files.isEmpty()) {
            return 0;
        }
        QCoreApplication core(argc, argv);
        try {
            instance.sendFiles(files);
        } catch (const Error& error) {
            std::fprintf(stderr, "tavrune: %s\n", qPrintable(error.description()));
            return 1;
        }
        return 0;
    }

    QApplication app(argc, argv);
    // Past a file size limit (ulimit -f) a save or an output file then fails with
    // its reason shown and the old file kept, instead of the signal ending the
    // program.
    std::signal(SIGXFSZ, SIG_IGN);
    // A session that ends (SIGTERM) closes the window as the user would, so that
    // the window state is saved and the lock and the socket are removed; a run in
    // progress stops as a cancel stops it.
    TerminationSignal termination;
    // At once: a later start may already be waiting for this copy.
    if (lock == SingleInstance::Lock::Impossible || !instance.listen()) {
        std::fprintf(stderr, "tavrune: %s。二重起動を確かめずに起動します。\n",
                     qPrintable(instance.failure()));
    }
    QApplication::setApplicationName(QStringLiteral("tavrune"));
    installQtJapanese(app);
    QApplication::setFont(applicationFont(QApplication::font()));
    QApplication::setWindowIcon(programIcon());

    DialogInteraction interaction;
    FileWorkbookSource source;
    MainWindow window(interaction, source, defaultSettingsPaths(),
                      manualPathFor(QApplication::applicationDirPath()));
    interaction.setParentWindow(&window);
    // Opening may ask; not from inside the hand-over's handler.
    QObject::connect(&instance, &SingleInstance::filesReceived, &window, &MainWindow::openFiles,
                     Qt::QueuedConnection);
    QObject::connect(&termination, &TerminationSignal::received, &window, [&window] {
        if (window.closeForTermination()) {
            QApplication::quit();
        }
    });
    window.startUp();
    // From inside the event loop: a message about them must not keep a SIGTERM
    // from ending the program.
    if (!files.isEmpty()) {
        QMetaObject::invokeMethod(
            &window, [&window, &files] { window.openFiles(files); }, Qt::QueuedConnection);
    }
    return QApplication::exec();
}
