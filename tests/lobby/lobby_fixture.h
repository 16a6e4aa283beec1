#pragma once

// The lobby's model with a launcher that only records the game it would
// start, a local-network browser the test fills in, and a settings file of
// its own.
#include "lan/lantable.h"
#include "lobby/gamelauncher.h"
#include "lobby/lobbymodel.h"

#include <QHostAddress>
#include <QTcpSocket>
#include <QTemporaryDir>
#include <gtest/gtest.h>

struct FakeLauncher : GameLauncher
{
    QList<std::pair<QString, QStringList>> started;
    bool works = true;
    bool tellsEnd = true; // the platform lets it watch the program
    bool runs = false;
    bool start(const QString &program, const QStringList &arguments) override
    {
        started.append({program, arguments});
        runs = works && tellsEnd;
        return works;
    }
    bool running() const override { return runs; }
    void end()
    {
        runs = false;
        emit ended();
    }
};

struct FakeBrowser : TableBrowser
{
    QList<LanTable> found;
    QString trouble;
    QList<LanTable> tables() const override { return found; }
    QString problem() const override { return trouble; }
    void set(QList<LanTable> tables, QString problem = {})
    {
        found = std::move(tables);
        trouble = std::move(problem);
        emit changed();
    }
};

class Lobby : public ::testing::Test
{
protected:
    LobbyModel::Options options()
    {
        LobbyModel::Options o;
        o.settingsPath = m_home.filePath("spadeslobby.ini");
        o.gameProgram = "/opt/games/spades";
        o.linkPort = 0;
        o.launcher = &m_launcher;
        o.browser = &m_browser;
        return o;
    }
    // Connects as a started game does, and leaves the link open.
    QTcpSocket *link(LobbyModel &model)
    {
        auto *socket = new QTcpSocket(&model);
        socket->connectToHost(QHostAddress::LocalHost, model.linkPort());
        socket->write("hello " + model.linkToken() + '\n');
        return socket;
    }

    QTemporaryDir m_home;
    FakeLauncher m_launcher;
    FakeBrowser m_browser;
};
