#include "lobby/lobbydoor.h"
#include "lobby/lobbymodel.h"
#include "lobby/lobbywindow.h"

#include <QApplication>

int main(int argc, char **argv)
{
    QApplication app(argc, argv);
    // The game's own name: the lobby keeps its settings in the game's folder.
    QApplication::setApplicationName(QStringLiteral("Spades"));
    QApplication::setApplicationDisplayName(QStringLiteral("Spades Lobby"));
    QApplication::setDesktopFileName(QStringLiteral("net.spadestable.Spades.Lobby"));

    // An invitation opened from the desktop or the chat: "spades-lobby LINK".
    const QStringList arguments = QApplication::arguments();
    const QString link = arguments.size() > 1 ? arguments.at(1) : QString();
    LobbyDoor door;
    // A lobby already open takes the link; without a link, or when that lobby
    // does not answer, this one opens as it always has.
    if (!door.open() && !link.isEmpty() && door.handOver(link))
        return 0;

    LobbyModel model;
    LobbyWindow window(&model);
    QObject::connect(&door, &LobbyDoor::linkArrived, &window, &LobbyWindow::openLink);
    window.show();
    if (!link.isEmpty())
        window.openLink(link);
    return app.exec();
}
