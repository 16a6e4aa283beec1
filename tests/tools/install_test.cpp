// Installing into a fresh prefix puts every file a desktop needs in place,
// and the desktop entry and AppStream data pass their validators.
#include <QDir>
#include <QFileInfo>
#include <QProcess>
#include <QRegularExpression>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <gtest/gtest.h>

namespace {

struct ProcessResult
{
    int exitCode = -1;
    QString output;
};

ProcessResult run(const QString &program, const QStringList &arguments)
{
    QProcess process;
    process.setProcessChannelMode(QProcess::MergedChannels);
    process.start(program, arguments);
    ProcessResult result;
    if (!process.waitForStarted() || !process.waitForFinished(180000))
        return result;
    result.exitCode = process.exitStatus() == QProcess::NormalExit ? process.exitCode() : -1;
    result.output = QString::fromLocal8Bit(process.readAll());
    return result;
}

class Install : public ::testing::Test
{
protected:
    static void SetUpTestSuite()
    {
        s_prefix = new QTemporaryDir;
        ASSERT_TRUE(s_prefix->isValid());
        const ProcessResult install =
            run(QStringLiteral(SPADES_CMAKE),
                {"--install", QStringLiteral(SPADES_BUILD_DIR), "--prefix", s_prefix->path()});
        ASSERT_EQ(install.exitCode, 0) << install.output.toStdString();
    }
    static void TearDownTestSuite()
    {
        delete s_prefix;
        s_prefix = nullptr;
    }
    static QString installed(const QString &relative)
    {
        return QDir(s_prefix->path()).filePath(relative);
    }

    static QTemporaryDir *s_prefix;
};

QTemporaryDir *Install::s_prefix = nullptr;

const char *const kId = "net.spadestable.Spades";

TEST_F(Install, EveryFileIsInPlace)
{
    const QString id = QString::fromLatin1(kId);
    const QStringList programs = {"bin/spades", "bin/spades-server", "bin/spades-lobby",
                                  "bin/spades-coordinator", "bin/spades-relay"};
    for (const QString &file : programs) {
        const QFileInfo info(installed(file));
        EXPECT_TRUE(info.isFile() && info.isExecutable()) << file.toStdString();
    }
    const QStringList files = {
        "share/applications/" + id + ".desktop",
        "share/applications/" + id + ".Lobby.desktop",
        "share/metainfo/" + id + ".metainfo.xml",
        "share/man/man6/spades.6",
        "share/man/man6/spades-server.6",
        "share/man/man6/spades-lobby.6",
        "share/icons/hicolor/48x48/apps/" + id + ".png",
        "share/icons/hicolor/128x128/apps/" + id + ".png",
        "share/icons/hicolor/256x256/apps/" + id + ".png",
        "share/icons/hicolor/scalable/apps/" + id + ".svg",
        "lib/systemd/system/spades-server.service",
        "lib/systemd/system/spades-server@.service",
        "etc/default/spades-server",
    };
    for (const QString &file : files) {
        const QFileInfo info(installed(file));
        EXPECT_TRUE(info.isFile() && info.size() > 0) << file.toStdString();
    }
}

TEST_F(Install, ServiceUnitsStartTheInstalledPrograms)
{
    // The units are made for the prefix the build is configured with; the
    // programs they name are the ones installed beside them.
    for (const char *program : {"spades-coordinator", "spades-relay"}) {
        QFile unit(installed(QStringLiteral("lib/systemd/system/%1.service").arg(program)));
        ASSERT_TRUE(unit.open(QIODevice::ReadOnly)) << program;
        const QByteArray text = unit.readAll();
        const qsizetype start = text.indexOf("ExecStart=");
        ASSERT_GE(start, 0) << program;
        const QByteArray command = text.mid(start + 10).split(' ').value(0);
        EXPECT_TRUE(command.endsWith(QByteArray("/bin/") + program)) << command.constData();
    }
}

TEST_F(Install, IconsHaveTheirNamedSizes)
{
    for (int size : {48, 128, 256}) {
        QFile file(installed(QStringLiteral("share/icons/hicolor/%1x%1/apps/%2.png")
                                 .arg(size)
                                 .arg(QString::fromLatin1(kId))));
        ASSERT_TRUE(file.open(QIODevice::ReadOnly)) << size;
        // The PNG header: signature, then the IHDR width and height, big-endian.
        const QByteArray head = file.read(24);
        ASSERT_EQ(head.left(8), QByteArray("\x89PNG\r\n\x1a\n", 8));
        auto bigEndian = [&](int at) {
            return (uchar(head[at]) << 24) | (uchar(head[at + 1]) << 16) |
                   (uchar(head[at + 2]) << 8) | uchar(head[at + 3]);
        };
        EXPECT_EQ(bigEndian(16), size);
        EXPECT_EQ(bigEndian(20), size);
    }
}

// The game's entry and the lobby's.
// The lobby takes invitation links: the desktop hands them over as its argument.
const std::pair<const char *, const char *> kEntries[] = {
    {"net.spadestable.Spades", "spades"},
    {"net.spadestable.Spades.Lobby", "spades-lobby %u"},
};

QString entryPath(const char *id)
{
    return QStringLiteral("share/applications/%1.desktop").arg(QString::fromLatin1(id));
}

TEST_F(Install, DesktopEntriesNameTheInstalledProgramAndIcon)
{
    for (const auto &[id, program] : kEntries) {
        QFile entry(installed(entryPath(id)));
        ASSERT_TRUE(entry.open(QIODevice::ReadOnly | QIODevice::Text)) << id;
        const QString text = QString::fromUtf8(entry.readAll());
        const QRegularExpression exec(QStringLiteral("^Exec=%1$").arg(program),
                                      QRegularExpression::MultilineOption);
        EXPECT_TRUE(text.contains(exec)) << text.toStdString();
        EXPECT_TRUE(text.contains(QStringLiteral("Icon=%1").arg(kId)));
        EXPECT_TRUE(text.contains(QRegularExpression("^Categories=.*Game;.*CardGame;",
                                                     QRegularExpression::MultilineOption)));
    }
    QFile lobby(installed(entryPath("net.spadestable.Spades.Lobby")));
    ASSERT_TRUE(lobby.open(QIODevice::ReadOnly | QIODevice::Text));
    EXPECT_TRUE(QString::fromUtf8(lobby.readAll())
                    .contains(QRegularExpression("^MimeType=.*x-scheme-handler/spades;",
                                                 QRegularExpression::MultilineOption)));
}

TEST_F(Install, DesktopEntriesValidate)
{
    const QString validator = QStandardPaths::findExecutable("desktop-file-validate");
    if (validator.isEmpty())
        GTEST_SKIP() << "desktop-file-validate is not installed (desktop-file-utils)";
    for (const auto &[id, program] : kEntries) {
        const ProcessResult check = run(validator, {installed(entryPath(id))});
        EXPECT_EQ(check.exitCode, 0) << check.output.toStdString();
        EXPECT_TRUE(check.output.trimmed().isEmpty()) << check.output.toStdString();
    }
}

TEST_F(Install, MetainfoValidates)
{
    const QString validator = QStandardPaths::findExecutable("appstreamcli");
    if (validator.isEmpty())
        GTEST_SKIP() << "appstreamcli is not installed";
    const ProcessResult check =
        run(validator, {"validate", "--no-net", "--pedantic",
                        installed(QStringLiteral("share/metainfo/%1.metainfo.xml").arg(kId))});
    EXPECT_EQ(check.exitCode, 0) << check.output.toStdString();
}

} // namespace
