#include "client/tchat.h"
#include "shell/singleinstance.h"
#include "shell/spadesapp.h"
#include "shell/startuptrace.h"

#include <QApplication>

int main(int argc, char **argv)
{
    startuptrace::markMainStarted();
    QApplication app(argc, argv);
    SingleInstance guard;
    if (!guard.tryAcquire())
        return 0; // the running copy has been asked to come to the front
    QApplication::setApplicationName(QStringLiteral("Spades"));
    QApplication::setApplicationDisplayName(QStringLiteral("Spades"));

    SpadesApp spades(app.arguments().mid(1), SpadesApp::Options{});
    QObject::connect(&guard, &SingleInstance::raiseRequested, spades.table(),
                     [&spades] { SingleInstance::raiseWindow(spades.table()); });
    QObject::connect(&spades, &SpadesApp::finished, &app, &QApplication::quit);
    startuptrace::watch(spades.table());
    spades.start();
    return app.exec();
}
