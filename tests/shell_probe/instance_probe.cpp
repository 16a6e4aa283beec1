// Started twice by the single-instance tests: prints "primary" or
// "secondary"; a primary stays up until asked to raise its window, prints
// "raise" and ends.
#include "shell/singleinstance.h"

#include <QCoreApplication>
#include <QTimer>
#include <cstdio>

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    if (argc < 2)
        return 2;
    const QString folder = QString::fromLocal8Bit(argv[1]);
    SingleInstance instance(QStringLiteral("ronlev"), folder);
    if (!instance.tryAcquire()) {
        std::puts("secondary");
        return 3;
    }
    PresenceMark presence(QStringLiteral("spades"), folder);
    std::printf("primary %s\n", presence.isHeld() ? "present" : "absent");
    std::fflush(stdout);
    QObject::connect(&instance, &SingleInstance::raiseRequested, &app, [] {
        std::puts("raise");
        std::fflush(stdout);
        QCoreApplication::exit(0);
    });
    // Never outlive a test that lost track of us.
    QTimer::singleShot(60000, &app, [] { QCoreApplication::exit(4); });
    return app.exec();
}
