#include "platform/settingsfile.h"
#include "shell/shelllauncher.h"
#include "shell/tdownload.h"
#include "tests/common/test_support.h"
#include "tests/shell/tinyhttpserver.h"

#include <QDir>
#include <QFile>
#include <QLabel>
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

TinyHttpServer::Response held(const QByteArray &body, qsizetype at, bool cut = false,
                              const QByteArray &extraHeaders = {})
{
    TinyHttpServer::Response response = TinyHttpServer::ok(body, extraHeaders);
    (cut ? response.closeAt : response.holdAt) = at;
    return response;
}

class DownloadWindow : public ::testing::Test
{
protected:
    void SetUp() override
    {
        m_oldHome = qgetenv("SPADES_HOME");
        fresh();
    }
    void TearDown() override
    {
        m_window.reset();
        qputenv("SPADES_HOME", m_oldHome);
    }

    // A new window in a new program folder, its address on the test server.
    void fresh()
    {
        m_window.reset();
        m_home = std::make_unique<QTemporaryDir>();
        qputenv("SPADES_HOME", m_home->path().toLocal8Bit());
        pointAt(m_server.url("/lobby/kwrsetup.exe"));
        m_shell = FakeShell();
        m_messages.clear();
        m_window = std::make_unique<Tdownload>(nullptr, &m_shell);
        m_window->setMessageSink([this](const QString &text) { m_messages.append(text); });
        m_exits = std::make_unique<QSignalSpy>(m_window.get(), &Tdownload::exitRequested);
    }
    void pointAt(const QString &address)
    {
        ASSERT_TRUE(SettingsFile().writeString(QStringLiteral("Lobbydownload"), address));
    }
    // The text of the label or button of that name.
    QString text(const char *name) const
    {
        if (auto *label = m_window->findChild<QLabel *>(QString::fromLatin1(name)))
            return label->text();
        return button(name)->text();
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
    QString installer() const { return m_home->filePath(QStringLiteral("kwrsetup.exe")); }
    // Everything in the program folder but the settings file.
    QStringList leftovers() const
    {
        QStringList names = QDir(m_home->path()).entryList(QDir::Files | QDir::Hidden);
        names.removeAll(QStringLiteral("velnorlobby.ini"));
        return names;
    }

    std::unique_ptr<QTemporaryDir> m_home;
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
    const std::pair<const char *, const char *> texts[] = {
        {"label_headline", "Download The Velnor Lobby Now to play this  and other exciting games "
                           "online with other players! "},
        {"getbutton", "Download And Install The Velnor Lobby Now"},
        {"abortbutton", "Stop Download"},
        {"Button1", "Play Solo Game"},
        {"Button2", "Play with Others"},
        {"label_solo", "To proceed to the game without the ability to play against others click "
                       "the button below."},
        {"label_lobby", "If you already have The Velnor Lobby and you wish to play with others "
                        "then click the button below to close this game and open The Velnor "
                        "Lobby."},
        {"label_firewall", "Note: Even if you are playing offline, you will need to configure your "
                           "FIREWALL to allow the game to access the internet components."},
        {"infolabel", ""},
        {"infolabel3", ""},
    };
    for (const auto &[name, expected] : texts)
        EXPECT_EQ(text(name), QString::fromLatin1(expected)) << name;
    EXPECT_TRUE(button("Button1")->isDefault());
    EXPECT_TRUE(m_window->findChild<QLabel *>(QStringLiteral("infolabel2"))->isHidden());
    EXPECT_EQ(m_window->findChild<QLabel *>(QStringLiteral("image_lobby"))->geometry(),
              QRect(8, 1, 436, 360));
    EXPECT_TRUE(idle());
}

// Whatever way the body arrives, it is written whole, the installer is started
// silently and the program asked to end.
TEST_F(DownloadWindow, AReceivedInstallerIsInstalledAndEndsTheProgram)
{
    const QByteArray big = patterned(300 * 1024);
    const struct
    {
        const char *name;
        TinyHttpServer::Response response;
        QByteArray body;
        QString heldAt; // the progress shown while the server holds back
        bool solo;      // the user plays solo meanwhile, which hides the window
    } cases[] = {
        // Three header lines, three dots, before any of the body.
        {"held before the body", held(big, 0, false, "X-Served-By: test\r\n"), big, "Loading...",
         false},
        {"held in the body", held(patterned(5000), 1234), patterned(5000), "1234 bytes", false},
        {"solo meanwhile", held("abc", 1), "abc", "1 bytes", true},
        {"an empty body", TinyHttpServer::ok({}), {}, {}, false},
        {"ended by closing", {"HTTP/1.0 200 OK\r\n\r\n", "until close"}, "until close", {}, false},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.name);
        fresh();
        m_server.respond(c.response);
        m_window->show();
        button("getbutton")->click();
        EXPECT_EQ(text("infolabel"), QStringLiteral("Loading"));
        EXPECT_EQ(text("infolabel2"), QStringLiteral("kwrsetup.exe"));
        EXPECT_FALSE(button("getbutton")->isEnabled());
        EXPECT_TRUE(button("abortbutton")->isEnabled());
        if (!c.heldAt.isEmpty()) {
            EXPECT_TRUE(waitForText("infolabel", c.heldAt));
            EXPECT_EQ(text("infolabel3"), QStringLiteral("Downloading: kwrsetup.exe"));
            if (c.solo)
                button("Button1")->click();
            EXPECT_EQ(m_window->isVisible(), !c.solo);
            m_server.release();
        }
        ASSERT_TRUE(waitForText("infolabel", QString("Received %1 bytes").arg(c.body.size())));
        EXPECT_EQ(text("infolabel3"), QStringLiteral("Installing"));
        EXPECT_EQ(readAll(installer()), c.body);
        ASSERT_EQ(m_shell.opened.size(), 1);
        EXPECT_EQ(m_shell.opened[0].path, installer());
        EXPECT_EQ(m_shell.opened[0].parameters, QStringLiteral("/SP- /silent /noicons"));
        EXPECT_EQ(m_shell.opened[0].show, ShellLauncher::Show::Normal);
        EXPECT_EQ(m_exits->count(), 1);
        EXPECT_EQ(m_window->outcome(), 1);
        EXPECT_TRUE(idle());
        EXPECT_EQ(leftovers(), QStringList{QStringLiteral("kwrsetup.exe")});

        const QByteArray request = m_server.requests().last();
        EXPECT_TRUE(request.startsWith("GET /lobby/kwrsetup.exe HTTP/1.")) << request.constData();
        EXPECT_TRUE(request.contains("User-Agent: Mozilla/3.0 (compatible)\r\n"));
        EXPECT_TRUE(request.contains(
            "Accept: image/gif, image/x-xbitmap, image/jpeg, image/pjpeg, */*\r\n"));
    }
}

// A download that goes wrong, or is stopped, installs nothing, keeps the
// installer already there, leaves no part behind, and lets the user try again.
TEST_F(DownloadWindow, AFailedOrStoppedDownloadInstallsNothing)
{
    quint16 closedPort = 0;
    {
        QTcpServer probe;
        ASSERT_TRUE(probe.listen(QHostAddress::LocalHost));
        closedPort = probe.serverPort();
    }
    const QString refused =
        QStringLiteral("http://127.0.0.1:%1/lobby/kwrsetup.exe").arg(closedPort);
    const QString noName = m_server.url("/lobby/");
    QTemporaryDir elsewhere;
    const QString blocked = elsewhere.filePath(QStringLiteral("file"));
    QFile(blocked).open(QIODevice::WriteOnly);
    const TinyHttpServer::Response notFound{"HTTP/1.0 404 Not Found\r\nContent-Length: 9\r\n\r\n",
                                            "not found"};
    const struct
    {
        const char *name;
        TinyHttpServer::Response response; // one held back is stopped by the user
        QString address;                   // none: the test server's installer
        QString home;                      // none: the test's program folder
        QString message; // how the information line ends up starting; %1 the program folder
    } cases[] = {
        {"an error status", notFound, {}, {}, "Download Aborted"},
        {"stopped", held(patterned(100000), 1000), {}, {}, "Download Aborted"},
        {"a broken transfer", held(patterned(4000), 1500, true), {}, {}, "Download Failed: "},
        {"a refused connection", {}, refused, {}, "Download Failed: "},
        // Said before anything is asked of the server.
        {"no file name in the address", {}, noName, {}, "Unable to create %1/"},
        {"a program folder that is a file", {}, {}, blocked, "Unable to create %1/kwrsetup.exe"},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.name);
        fresh();
        QFile old(installer());
        ASSERT_TRUE(old.open(QIODevice::WriteOnly));
        old.write("previous installer");
        old.close();
        m_server.respond(c.response);
        if (!c.address.isEmpty())
            pointAt(c.address);
        if (!c.home.isEmpty())
            qputenv("SPADES_HOME", c.home.toLocal8Bit());
        const QString message = c.message.arg(qgetenv("SPADES_HOME"));
        const bool stop = c.response.holdAt >= 0;
        const qsizetype requests = m_server.requests().size();
        button("getbutton")->click();
        if (message.startsWith("Unable")) {
            EXPECT_EQ(text("infolabel"), message);
            QCoreApplication::processEvents();
            EXPECT_EQ(m_server.requests().size(), requests);
        }
        if (stop) {
            ASSERT_TRUE(waitForText("infolabel", QStringLiteral("1000 bytes")));
            button("abortbutton")->click();
            EXPECT_EQ(text("infolabel"), QStringLiteral("Download has been aborted."));
            EXPECT_EQ(text("infolabel3"), QStringLiteral("Download Aborted"));
            EXPECT_EQ(m_window->outcome(), 2);
        }
        ASSERT_TRUE(testsupport::waitUntil([&] { return text("infolabel").startsWith(message); }))
            << text("infolabel").toStdString();
        if (stop) {
            EXPECT_EQ(text("infolabel3"), QStringLiteral("Download Aborted"));
        }
        EXPECT_EQ(m_window->outcome(), 2);
        EXPECT_TRUE(idle());
        EXPECT_TRUE(m_shell.opened.isEmpty());
        EXPECT_EQ(m_exits->count(), 0);
        EXPECT_EQ(readAll(installer()), QByteArray("previous installer"));
        EXPECT_EQ(leftovers(), QStringList{QStringLiteral("kwrsetup.exe")});
    }
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

TEST_F(DownloadWindow, PlayWithOthersOpensAnInstalledLobbyOrExplains)
{
    const QString lobby = m_home->filePath(QStringLiteral("VelnorLobby.exe"));
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
