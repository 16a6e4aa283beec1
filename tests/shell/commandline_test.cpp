// The program as started from a command line.
#include "tests/common/private_network.h"

#include <QProcess>
#include <QTemporaryDir>
#include <gtest/gtest.h>

namespace {

// A player's name may look like one of the toolkit's own options; the three
// arguments still reach the program whole, so it hosts and logs in.
TEST(CommandLine, ANameLikeAToolkitOptionIsStillThePlayersName)
{
    SPADES_NEEDS_PORT(7772);
    for (const char *name : {"-style", "-reverse"}) {
        SCOPED_TRACE(name);
        QTemporaryDir home;
        QTemporaryDir runtime;
        QProcess spades;
        spades.setProcessChannelMode(QProcess::MergedChannels);
        QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
        environment.insert("SPADES_HOME", home.path());
        environment.insert("XDG_RUNTIME_DIR", runtime.path());
        environment.insert("QT_QPA_PLATFORM", "offscreen");
        environment.insert("SPADES_TRACE_STARTUP", "1");
        spades.setProcessEnvironment(environment);
        spades.start(QStringLiteral(SPADES_PROGRAM),
                     {name, "127.0.0.1", "true", "--no-port-mapping"});
        QByteArray output;
        while (!output.contains("logged in") && spades.waitForReadyRead(20000))
            output += spades.readAll();
        spades.terminate();
        if (!spades.waitForFinished(5000))
            spades.kill();
        EXPECT_TRUE(output.contains("spades-startup: logged in")) << output.toStdString();
    }
}

} // namespace
