#include "client/tchat.h"
#include "protocol/terminationsignals.h"
#include "shell/singleinstance.h"
#include "shell/spadesapp.h"
#include "shell/startuptrace.h"

#include <QApplication>

int main(int argc, char **argv)
{
    startuptrace::markMainStarted();
    // The toolkit would take arguments such as "-style" or "-reverse" as its
    // own options and drop them, yet they may well be a player's name: the
    // program's arguments are kept from it whole.
    QStringList arguments;
    for (int i = 1; i < argc; ++i)
        arguments << QString::fromLocal8Bit(argv[i]);
    int toolkitArgc = 1;
    QApplication app(toolkitArgc, argv);
    // Ended by the system or a terminal, the program still takes its router
    // mapping back and leaves its seat cleanly.
    quitOnTerminationSignals(app);
    SingleInstance guard;
    if (!guard.tryAcquire())
        return 0; // the running copy has been asked to come to the front
    QApplication::setApplicationName(QStringLiteral("Spades"));
    // No display name: the window manager would append it to every title
    // ("Spades  — Spades"), and the titles already say whose windows they are.

    SpadesApp::Options options;
    options.portMapping = true;
    SpadesApp spades(arguments, options);
    QObject::connect(&guard, &SingleInstance::raiseRequested, spades.table(),
                     [&spades] { SingleInstance::raiseWindow(spades.table()); });
    QObject::connect(&spades, &SpadesApp::finished, &app, &QApplication::quit);
    startuptrace::watch(spades.table());
    spades.start();
    return app.exec();
}
