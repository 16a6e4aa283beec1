#include "tally/lzrw1.h"

#include "tests/tally/qstringprinter.h"
#include "tests/tally/sampledata.h"

#include <gtest/gtest.h>

#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>

namespace {

class Lzrw1File : public ::testing::Test
{
protected:
    QString path(const QString &name) const { return m_dir.filePath(name); }

    void writeFile(const QString &name, const QByteArray &data)
    {
        QFile f(path(name));
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        ASSERT_EQ(f.write(data), data.size());
    }

    QByteArray readFile(const QString &name)
    {
        QFile f(path(name));
        return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
    }

    qint64 compress(const QString &from, const QString &to)
    {
        m_doit.InputFile = path(from);
        m_doit.OutputFile = path(to);
        return m_doit.Compress();
    }

    qint64 decompress(const QString &from, const QString &to)
    {
        m_doit.InputFile = path(from);
        m_doit.OutputFile = path(to);
        return m_doit.Decompress();
    }

    // The message of the failure, or "no failure".
    QString failureOf(const std::function<void()> &operation)
    {
        try {
            operation();
        } catch (const ELzrw1Exception &e) {
            return e.message();
        }
        return QStringLiteral("no failure");
    }

    QTemporaryDir m_dir;
    Tlzrw1 m_doit;
};

TEST_F(Lzrw1File, EmptyInputGivesTheElevenByteFile)
{
    writeFile("empty", {});
    EXPECT_EQ(compress("empty", "empty.tld"), 11);
    EXPECT_EQ(readFile("empty.tld"), QByteArray::fromHex("57525a4c00000000010080"));
    EXPECT_EQ(decompress("empty.tld", "back"), 0);
    EXPECT_TRUE(QFileInfo::exists(path("back")));
    EXPECT_EQ(readFile("back"), QByteArray());
}

TEST_F(Lzrw1File, AWholePieceEndsWithAnEmptyOne)
{
    const QByteArray data = sampledata::noise(32768, 5);
    writeFile("in", data);
    compress("in", "in.tld");
    const QByteArray packed = readFile("in.tld");
    ASSERT_EQ(packed.size(), 8 + 2 + 32769 + 2 + 1);
    EXPECT_EQ(packed.left(8), QByteArray::fromHex("57525a4c00800000"));
    EXPECT_EQ(packed.mid(8, 3), QByteArray::fromHex("018080")); // L = 32769, stored
    EXPECT_EQ(packed.right(3), QByteArray::fromHex("010080"));
    decompress("in.tld", "back");
    EXPECT_EQ(readFile("back"), data);
}

TEST_F(Lzrw1File, IncompressibleDataIsStoredBlockByBlock)
{
    const QByteArray data = sampledata::noise(3 * 32768 + 100, 9);
    writeFile("in", data);
    EXPECT_EQ(compress("in", "in.tld"), 8 + 3 * (2 + 32769) + 2 + 101);
    const QByteArray packed = readFile("in.tld");
    for (int block = 0; block < 3; ++block)
        EXPECT_EQ(packed.mid(8 + block * 32771, 3), QByteArray::fromHex("018080"));
    EXPECT_EQ(packed.mid(8 + 3 * 32771, 3), QByteArray::fromHex("650080"));
}

TEST_F(Lzrw1File, RoundTripsAroundEveryBlockBoundary)
{
    std::vector<qsizetype> sizes{0, 1, 2, 3, 16, 17};
    for (qsizetype blocks : {1, 2, 3, 5})
        for (qsizetype delta : {-1, 0, 1})
            sizes.push_back(blocks * 32768 + delta);
    sizes.push_back(4 * 1024 * 1024 + 7);
    unsigned seed = 1;
    for (qsizetype n : sizes) {
        for (const QByteArray &data :
             {sampledata::noise(n, seed), sampledata::text(n, seed), sampledata::runs(n, seed)}) {
            ++seed;
            writeFile("in", data);
            const qint64 packed = compress("in", "in.tld");
            EXPECT_EQ(packed, QFileInfo(path("in.tld")).size());
            EXPECT_EQ(decompress("in.tld", "back"), n);
            ASSERT_EQ(readFile("back"), data) << "size " << n;
        }
    }
}

TEST_F(Lzrw1File, WrongSizeFieldFailsAndDeletesTheOutput)
{
    const QByteArray data = sampledata::text(70000, 3);
    writeFile("in", data);
    compress("in", "in.tld");
    for (quint8 size : {0x00, 0x02}) {
        QByteArray packed = readFile("in.tld");
        packed[6] = char(size); // 70000 = 0x011170; make it 0x001170 or 0x021170
        writeFile("bad.tld", packed);
        EXPECT_EQ(failureOf([&] { decompress("bad.tld", "back"); }).toStdString(),
                  "Lzrw1 (decompression LZRW1/KH) : Original and compressed sizes do not match !");
        EXPECT_FALSE(QFileInfo::exists(path("back")));
    }
}

TEST_F(Lzrw1File, EveryFailureHasItsMessage)
{
    writeFile("text", sampledata::text(1000, 1));
    compress("text", "text.tld");
    const QByteArray good = readFile("text.tld");
    writeFile("lzh.tld", "!HZL" + good.mid(4));
    writeFile("junk.tld", "JUNKJUNKJUNK");
    writeFile("short.tld", good.left(good.size() - 5));
    writeFile("tiny.tld", "WR");
    // A first block whose one item copies from 2047 bytes back.
    writeFile("damaged.tld", good.left(8) + QByteArray::fromHex("05004080007ff0"));

    const QString missing = path("missing");
    const QString noFolder = path("nofolder/out");
    const struct
    {
        std::function<void()> operation;
        QString message;
        QString leftBehind;
    } cases[] = {
        {[&] { compress("missing", "out"); },
         "Lzrw1 compression : Failed to obtain the size of : " + missing, "out"},
        {[&] { decompress("missing", "out"); },
         "Lzrw1 (de)compression : Failed to open input file : " + missing, "out"},
        {[&] { compress("text", "nofolder/out"); },
         "Lzrw1 (de)compression : Failed to open output file : " + noFolder, ""},
        {[&] { compress("text", "text"); },
         "Lzrw1 (de)compression : Failed to open output file : " + path("text"), ""},
        {[&] { decompress("lzh.tld", "out"); },
         path("lzh.tld") + " : Lzrw1 decompression : this file has no valid header !", "out"},
        {[&] { decompress("junk.tld", "out"); },
         path("junk.tld") + " : Lzrw1 decompression : this file has no valid header !", "out"},
        {[&] { decompress("short.tld", "out"); },
         "Lzrw1 : Error reading from input file : " + path("short.tld"), "out"},
        {[&] { decompress("tiny.tld", "out"); },
         "Lzrw1 : Error reading from input file : " + path("tiny.tld"), "out"},
        {[&] { decompress("damaged.tld", "out"); },
         "Lzrw1 (decompression LZRW1/KH) : damaged block in input file : " + path("damaged.tld"),
         "out"},
    };
    for (const auto &c : cases) {
        EXPECT_EQ(failureOf(c.operation).toStdString(), c.message.toStdString());
        if (!c.leftBehind.isEmpty()) {
            EXPECT_FALSE(QFileInfo::exists(path(c.leftBehind))) << c.message.toStdString();
        }
    }
    // The refused self-compression left its input alone.
    EXPECT_EQ(readFile("text"), sampledata::text(1000, 1));
}

TEST_F(Lzrw1File, AFailedWriteIsReportedAndTheDeviceKept)
{
    if (!QFileInfo::exists("/dev/full"))
        GTEST_SKIP() << "no /dev/full";
    writeFile("text", sampledata::text(100000, 2));
    m_doit.InputFile = path("text");
    m_doit.OutputFile = "/dev/full";
    EXPECT_EQ(failureOf([&] { m_doit.Compress(); }).toStdString(),
              "Lzrw1 : Error writing to output file : /dev/full");
    EXPECT_TRUE(QFileInfo::exists("/dev/full"));
}

TEST_F(Lzrw1File, TheHookSeesEveryBlock)
{
    writeFile("in", sampledata::text(3 * 32768 + 5, 4));
    int calls = 0;
    m_doit.blockHook = [&calls] { ++calls; };
    compress("in", "in.tld");
    EXPECT_EQ(calls, 8); // four blocks, each read and written
    calls = 0;
    decompress("in.tld", "back");
    EXPECT_EQ(calls, 8);
}

} // namespace
