#include "platform/settingsfile.h"
#include "shell/jpegimage.h"
#include "shell/shelllauncher.h"
#include "shell/tdownload.h"
#include "tests/common/test_support.h"
#include "tests/shell/tinyhttpserver.h"

#include <QBuffer>
#include <QDir>
#include <QFile>
#include <QLabel>
#include <QPainter>
#include <QPushButton>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <gtest/gtest.h>

namespace {

struct Opened
{
    QString path;
    QString parameters;
    ShellLauncher::Show show;
};

class FakeShell : public ShellLauncher
{
public:
    bool open(const QString &path, const QString &parameters, Show show) override
    {
        opened.append({path, parameters, show});
        return accept;
    }
    QList<Opened> opened;
    bool accept = true;
};

QByteArray readAll(const QString &path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray("<missing>");
}

QByteArray patterned(qsizetype size)
{
    QByteArray bytes(size, Qt::Uninitialized);
    for (qsizetype i = 0; i < size; ++i)
        bytes[i] = char((i * 7 + i / 251) & 0xFF);
    return bytes;
}

class DownloadWindow : public ::testing::Test
{
protected:
    void SetUp() override
    {
        m_oldHome = qgetenv("SPADES_HOME");
        qputenv("SPADES_HOME", m_home.path().toLocal8Bit());
        pointAt("/lobby/kwrsetup.exe");
        m_window = std::make_unique<Tdownload>(nullptr, &m_shell);
        m_window->setMessageSink([this](const QString &text) { m_messages.append(text); });
        m_exits = std::make_unique<QSignalSpy>(m_window.get(), &Tdownload::exitRequested);
    }
    void TearDown() override
    {
        m_window.reset();
        qputenv("SPADES_HOME", m_oldHome);
    }

    void pointAt(const char *path)
    {
        ASSERT_TRUE(SettingsFile().writeString(QStringLiteral("Lobbydownload"),
                                               QString::fromLatin1(m_server.url(path))));
    }
    QString text(const char *name) const
    {
        return m_window->findChild<QLabel *>(QString::fromLatin1(name))->text();
    }
    QPushButton *button(const char *name) const
    {
        return m_window->findChild<QPushButton *>(QString::fromLatin1(name));
    }
    bool idle() const
    {
        return button("getbutton")->isEnabled() && !button("abortbutton")->isEnabled();
    }
    bool waitForText(const char *name, const QString &expected)
    {
        return testsupport::waitUntil([&] { return text(name) == expected; });
    }
    QString installer() const { return m_home.filePath(QStringLiteral("kwrsetup.exe")); }
    // Everything in the program folder but the settings file.
    QStringList leftovers() const
    {
        QStringList names = QDir(m_home.path()).entryList(QDir::Files | QDir::Hidden);
        names.removeAll(QStringLiteral("velnorlobby.ini"));
        return names;
    }

    QTemporaryDir m_home;
    QByteArray m_oldHome;
    TinyHttpServer m_server;
    FakeShell m_shell;
    QStringList m_messages;
    std::unique_ptr<Tdownload> m_window;
    std::unique_ptr<QSignalSpy> m_exits;
};

TEST_F(DownloadWindow, ShowsItsTextsAndStartsIdle)
{
    EXPECT_EQ(m_window->windowTitle(), QStringLiteral("Download The Velnor Lobby"));
    EXPECT_TRUE(m_window->windowFlags() & Qt::WindowStaysOnTopHint);
    EXPECT_EQ(m_window->windowFlags() & Qt::Tool, Qt::Tool);
    EXPECT_EQ(text("label_headline"),
              QStringLiteral("Download The Velnor Lobby Now to play this  and other exciting "
                             "games online with other players! "));
    EXPECT_EQ(button("getbutton")->text(),
              QStringLiteral("Download And Install The Velnor Lobby Now"));
    EXPECT_EQ(button("abortbutton")->text(), QStringLiteral("Stop Download"));
    EXPECT_EQ(button("Button1")->text(), QStringLiteral("Play Solo Game"));
    EXPECT_TRUE(button("Button1")->isDefault());
    EXPECT_EQ(button("Button2")->text(), QStringLiteral("Play with Others"));
    EXPECT_EQ(text("label_solo"), QStringLiteral("To proceed to the game without the ability to "
                                                 "play against others click the button below."));
    EXPECT_EQ(text("label_lobby"),
              QStringLiteral("If you already have The Velnor Lobby and you wish to play with "
                             "others then click the button below to close this game and open The "
                             "Velnor Lobby."));
    EXPECT_EQ(text("label_firewall"),
              QStringLiteral("Note: Even if you are playing offline, you will need to configure "
                             "your FIREWALL to allow the game to access the internet components."));
    EXPECT_TRUE(text("infolabel").isEmpty());
    EXPECT_TRUE(text("infolabel3").isEmpty());
    EXPECT_TRUE(m_window->findChild<QLabel *>(QStringLiteral("infolabel2"))->isHidden());
    EXPECT_EQ(m_window->findChild<QLabel *>(QStringLiteral("image_lobby"))->geometry(),
              QRect(8, 1, 436, 360));
    EXPECT_TRUE(idle());
}

TEST_F(DownloadWindow, ACompleteDownloadIsInstalledAndEndsTheProgram)
{
    const QByteArray body = patterned(300 * 1024);
    TinyHttpServer::Response response = TinyHttpServer::ok(body, "X-Served-By: test\r\n");
    response.holdAt = 0;
    m_server.respond(response);
    button("getbutton")->click();
    EXPECT_EQ(text("infolabel"), QStringLiteral("Loading"));
    EXPECT_EQ(text("infolabel2"), QStringLiteral("kwrsetup.exe"));
    EXPECT_FALSE(button("getbutton")->isEnabled());
    EXPECT_TRUE(button("abortbutton")->isEnabled());

    // Three header lines, three dots, before any of the body.
    EXPECT_TRUE(waitForText("infolabel", QStringLiteral("Loading...")));
    EXPECT_EQ(text("infolabel3"), QStringLiteral("Downloading: kwrsetup.exe"));

    m_server.release();
    ASSERT_TRUE(waitForText("infolabel", QStringLiteral("Received 307200 bytes")));
    EXPECT_EQ(text("infolabel3"), QStringLiteral("Installing"));
    EXPECT_EQ(readAll(installer()), body);
    ASSERT_EQ(m_shell.opened.size(), 1);
    EXPECT_EQ(m_shell.opened[0].path, installer());
    EXPECT_EQ(m_shell.opened[0].parameters, QStringLiteral("/SP- /silent /noicons"));
    EXPECT_EQ(m_shell.opened[0].show, ShellLauncher::Show::Normal);
    EXPECT_EQ(m_exits->count(), 1);
    EXPECT_EQ(m_window->outcome(), 1);
    EXPECT_TRUE(idle());
    EXPECT_EQ(leftovers(), QStringList{QStringLiteral("kwrsetup.exe")});

    ASSERT_EQ(m_server.requests().size(), 1);
    const QByteArray request = m_server.requests().first();
    EXPECT_TRUE(request.startsWith("GET /lobby/kwrsetup.exe HTTP/1.")) << request.constData();
    EXPECT_TRUE(request.contains("User-Agent: Mozilla/3.0 (compatible)\r\n"));
    EXPECT_TRUE(
        request.contains("Accept: image/gif, image/x-xbitmap, image/jpeg, image/pjpeg, */*\r\n"));
}

TEST_F(DownloadWindow, ProgressCountsTheBytesReceived)
{
    TinyHttpServer::Response response = TinyHttpServer::ok(patterned(5000));
    response.holdAt = 1234;
    m_server.respond(response);
    button("getbutton")->click();
    EXPECT_TRUE(waitForText("infolabel", QStringLiteral("1234 bytes")));
    m_server.release();
    EXPECT_TRUE(waitForText("infolabel", QStringLiteral("Received 5000 bytes")));
}

TEST_F(DownloadWindow, AnErrorStatusInstallsNothingAndKeepsTheOldFile)
{
    QFile old(installer());
    ASSERT_TRUE(old.open(QIODevice::WriteOnly));
    old.write("previous installer");
    old.close();
    m_server.respond({"HTTP/1.0 404 Not Found\r\nContent-Length: 9\r\n\r\n", "not found"});
    button("getbutton")->click();
    ASSERT_TRUE(waitForText("infolabel", QStringLiteral("Download Aborted")));
    EXPECT_EQ(m_window->outcome(), 2);
    EXPECT_TRUE(m_shell.opened.isEmpty());
    EXPECT_EQ(m_exits->count(), 0);
    EXPECT_TRUE(idle());
    EXPECT_EQ(readAll(installer()), QByteArray("previous installer"));
    EXPECT_EQ(leftovers(), QStringList{QStringLiteral("kwrsetup.exe")});
}

TEST_F(DownloadWindow, StoppingShowsBothMessagesAndInstallsNothing)
{
    TinyHttpServer::Response response = TinyHttpServer::ok(patterned(100000));
    response.holdAt = 1000;
    m_server.respond(response);
    button("getbutton")->click();
    ASSERT_TRUE(waitForText("infolabel", QStringLiteral("1000 bytes")));
    button("abortbutton")->click();
    EXPECT_EQ(text("infolabel"), QStringLiteral("Download has been aborted."));
    EXPECT_EQ(text("infolabel3"), QStringLiteral("Download Aborted"));
    EXPECT_EQ(m_window->outcome(), 2);
    ASSERT_TRUE(waitForText("infolabel", QStringLiteral("Download Aborted")));
    EXPECT_EQ(text("infolabel3"), QStringLiteral("Download Aborted"));
    EXPECT_TRUE(idle());
    EXPECT_TRUE(m_shell.opened.isEmpty());
    EXPECT_EQ(m_exits->count(), 0);
    EXPECT_TRUE(leftovers().isEmpty()) << leftovers().join(QLatin1Char(' ')).toStdString();
}

TEST_F(DownloadWindow, ASecondDownloadReplacesTheFirstAfterTheShellRefused)
{
    m_shell.accept = false;
    m_server.respond(TinyHttpServer::ok("first installer"));
    button("getbutton")->click();
    ASSERT_TRUE(waitForText("infolabel", QStringLiteral("Received 15 bytes")));
    EXPECT_EQ(m_messages, QStringList{QStringLiteral("An Error has Occurred.")});
    EXPECT_EQ(m_exits->count(), 0);
    EXPECT_TRUE(idle());

    m_shell.accept = true;
    m_server.respond(TinyHttpServer::ok("second"));
    button("getbutton")->click();
    ASSERT_TRUE(waitForText("infolabel", QStringLiteral("Received 6 bytes")));
    EXPECT_EQ(readAll(installer()), QByteArray("second"));
    EXPECT_EQ(m_shell.opened.size(), 2);
    EXPECT_EQ(m_exits->count(), 1);
}

TEST_F(DownloadWindow, AnEmptyBodyOrOneEndedByTheConnectionIsStillInstalled)
{
    const struct
    {
        TinyHttpServer::Response response;
        QString done;
    } cases[] = {
        {TinyHttpServer::ok(QByteArray()), QStringLiteral("Received 0 bytes")},
        {{"HTTP/1.0 200 OK\r\n\r\n", "until close"}, QStringLiteral("Received 11 bytes")},
    };
    for (const auto &c : cases) {
        m_server.respond(c.response);
        button("getbutton")->click();
        ASSERT_TRUE(waitForText("infolabel", c.done));
    }
    EXPECT_EQ(readAll(installer()), QByteArray("until close"));
    EXPECT_EQ(m_shell.opened.size(), 2);
}

TEST_F(DownloadWindow, ABrokenTransferOrARefusedConnectionIsReportedAndNeverStarted)
{
    quint16 closedPort = 0;
    {
        QTcpServer probe;
        ASSERT_TRUE(probe.listen(QHostAddress::LocalHost));
        closedPort = probe.serverPort();
    }
    TinyHttpServer::Response broken = TinyHttpServer::ok(patterned(4000));
    broken.closeAt = 1500;
    m_server.respond(broken);
    for (const QString &address :
         {QString::fromLatin1(m_server.url("/lobby/kwrsetup.exe")),
          QStringLiteral("http://127.0.0.1:%1/lobby/kwrsetup.exe").arg(closedPort)}) {
        SCOPED_TRACE(address.toStdString());
        ASSERT_TRUE(SettingsFile().writeString(QStringLiteral("Lobbydownload"), address));
        button("getbutton")->click();
        ASSERT_TRUE(testsupport::waitUntil(
            [&] { return text("infolabel").startsWith(QStringLiteral("Download Failed: ")); }));
        EXPECT_EQ(m_window->outcome(), 2);
        EXPECT_TRUE(idle());
        EXPECT_TRUE(m_shell.opened.isEmpty());
        EXPECT_TRUE(leftovers().isEmpty());
    }
}

TEST_F(DownloadWindow, AnInstallerThatCannotBeCreatedIsReportedBeforeAnythingStarts)
{
    pointAt("/lobby/");
    button("getbutton")->click();
    EXPECT_EQ(text("infolabel"), QStringLiteral("Unable to create ") + m_home.path() + '/');
    EXPECT_TRUE(idle());
    EXPECT_EQ(m_window->outcome(), 2);
    QCoreApplication::processEvents();
    EXPECT_TRUE(m_server.requests().isEmpty());

    const QString blocked = m_home.filePath(QStringLiteral("file"));
    QFile(blocked).open(QIODevice::WriteOnly);
    qputenv("SPADES_HOME", blocked.toLocal8Bit());
    button("getbutton")->click();
    EXPECT_EQ(text("infolabel"), QStringLiteral("Unable to create ") + blocked + "/kwrsetup.exe");
    EXPECT_TRUE(idle());
    EXPECT_TRUE(m_shell.opened.isEmpty());
}

TEST(DownloadFileName, IsWhatFollowsTheLastSlash)
{
    const std::vector<std::pair<const char *, const char *>> cases = {
        {"/lobby/kwrsetup.exe", "kwrsetup.exe"},
        {"kwrsetup.exe", "kwrsetup.exe"},
        {"a/b/c/setup", "setup"},
        {"/lobby/", ""},
        {"", ""},
    };
    for (const auto &[path, name] : cases)
        EXPECT_EQ(Tdownload::fileNameOf(QString::fromLatin1(path)), QString::fromLatin1(name))
            << path;
}

TEST_F(DownloadWindow, PlayWithOthersOpensAnInstalledLobbyOrExplains)
{
    const QString lobby = m_home.filePath(QStringLiteral("VelnorLobby.exe"));
    ASSERT_TRUE(SettingsFile().writeString(QStringLiteral("Lobbyprogram"), lobby));
    button("Button2")->click();
    EXPECT_EQ(m_messages, QStringList{QStringLiteral(
                              "Please close the game and open the Velnor Lobby using the icon on "
                              "your desktop or using the your Window's start-up menu.")});
    EXPECT_TRUE(m_shell.opened.isEmpty());
    EXPECT_EQ(m_exits->count(), 0);

    QFile(lobby).open(QIODevice::WriteOnly);
    button("Button2")->click();
    ASSERT_EQ(m_shell.opened.size(), 1);
    EXPECT_EQ(m_shell.opened[0].path, lobby);
    EXPECT_EQ(m_shell.opened[0].show, ShellLauncher::Show::WithoutActivation);
    EXPECT_EQ(m_exits->count(), 1);
}

TEST_F(DownloadWindow, PlaySoloHidesTheWindowAndADownloadGoesOn)
{
    TinyHttpServer::Response response = TinyHttpServer::ok("abc");
    response.holdAt = 1;
    m_server.respond(response);
    m_window->show();
    button("getbutton")->click();
    ASSERT_TRUE(waitForText("infolabel", QStringLiteral("1 bytes")));
    button("Button1")->click();
    EXPECT_FALSE(m_window->isVisible());
    m_server.release();
    EXPECT_TRUE(waitForText("infolabel", QStringLiteral("Received 3 bytes")));
}

TEST(DownloadDefaults, AddressAndLobbyPathWithoutSettings)
{
    QTemporaryDir home;
    const QByteArray old = qgetenv("SPADES_HOME");
    qputenv("SPADES_HOME", home.path().toLocal8Bit());
    EXPECT_EQ(Tdownload::downloadAddress(), Tdownload::kDefaultDownloadAddress);
    EXPECT_TRUE(Tdownload::kDefaultDownloadAddress.endsWith(QStringLiteral("/lobby/kwrsetup.exe")));
    EXPECT_EQ(Tdownload::lobbyProgramPath(),
              QCoreApplication::applicationDirPath() + QStringLiteral("/spades-lobby"));
    qputenv("SPADES_HOME", old);
}

} // namespace
