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

    LobbyModel model;
    LobbyWindow window(&model);
    window.show();
    return app.exec();
}
