#include "shell/httpcli.h"
#include "shell/jpegimage.h"
#include "shell/tdownload.h"
#include "tests/common/test_support.h"
#include "tests/shell/tinyhttpserver.h"

#include <QBuffer>
#include <QLabel>
#include <QPainter>
#include <QSignalSpy>
#include <gtest/gtest.h>

namespace {

QByteArray tableSceneJpeg(int width = 436, int height = 360)
{
    QImage image(width, height, QImage::Format_RGB32);
    image.fill(QColor(0, 110, 40));
    QPainter painter(&image);
    painter.fillRect(0, 0, width / 2, height / 2, QColor(200, 30, 30));
    painter.end();
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    EXPECT_TRUE(image.save(&buffer, "JPG", 90));
    return bytes;
}

bool near(QRgb pixel, QColor expected)
{
    return std::abs(qRed(pixel) - expected.red()) < 12 &&
           std::abs(qGreen(pixel) - expected.green()) < 12 &&
           std::abs(qBlue(pixel) - expected.blue()) < 12;
}

TEST(Jpeg, DecodesColourAndGreyImages)
{
    const QImage image = jpeg::decode(tableSceneJpeg());
    ASSERT_EQ(image.size(), QSize(436, 360));
    EXPECT_TRUE(near(image.pixel(50, 50), QColor(200, 30, 30)));
    EXPECT_TRUE(near(image.pixel(400, 300), QColor(0, 110, 40)));

    QImage grey(40, 30, QImage::Format_Grayscale8);
    grey.fill(128);
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    ASSERT_TRUE(grey.save(&buffer, "JPG"));
    const QImage decoded = jpeg::decode(bytes);
    ASSERT_EQ(decoded.size(), QSize(40, 30));
    EXPECT_TRUE(near(decoded.pixel(20, 15), QColor(128, 128, 128)));
}

TEST(Jpeg, DamagedDataGivesNoImage)
{
    const QByteArray good = tableSceneJpeg();
    QByteArray noMarkers = good;
    for (qsizetype i = 200; i < noMarkers.size() - 2; ++i)
        noMarkers[i] = char(0xFF); // a run of fill bytes where the scan should be
    QByteArray badHeader = good;
    badHeader[3] = char(0x00); // the marker after SOI is no marker at all
    const std::vector<std::pair<const char *, QByteArray>> cases = {
        {"empty", QByteArray()},
        {"not a JPEG", QByteArray("\x89PNG\r\n\x1a\n0000")},
        {"start marker only", QByteArray("\xFF\xD8", 2)},
        {"cut in the header", good.left(100)},
        {"cut in the scan", good.left(good.size() / 2)},
        {"scan destroyed", noMarkers},
        {"bad marker", badHeader},
    };
    for (const auto &[name, data] : cases)
        EXPECT_TRUE(jpeg::decode(data).isNull()) << name;
}

TEST(Jpeg, TheWindowShowsADecodedPictureAndNoneForADamagedOne)
{
    Tdownload window;
    auto *picture = window.findChild<QLabel *>(QStringLiteral("image_lobby"));
    const QByteArray good = tableSceneJpeg();
    EXPECT_TRUE(window.setPicture(good));
    EXPECT_EQ(picture->pixmap().size(), QSize(436, 360));
    EXPECT_FALSE(window.setPicture(good.left(good.size() / 3)));
    EXPECT_TRUE(picture->pixmap().isNull());
}

// A device that takes a few bytes and then refuses, as a full disk would.
class FullDevice : public QIODevice
{
public:
    explicit FullDevice(qint64 room) : m_room(room) { open(QIODevice::WriteOnly); }

protected:
    qint64 readData(char *, qint64) override { return -1; }
    qint64 writeData(const char *, qint64 size) override
    {
        if (size > m_room) {
            setErrorString(QStringLiteral("No space left on device"));
            return -1;
        }
        m_room -= size;
        return size;
    }

private:
    qint64 m_room;
};

TEST(HttpCli, AWriteFailureEndsTheTransferAsAnOtherFailure)
{
    TinyHttpServer server;
    TinyHttpServer::Response response = TinyHttpServer::ok(QByteArray(500000, 'x'));
    response.holdAt = 1000;
    server.respond(response);
    FullDevice device(10);
    HttpCli http;
    QSignalSpy done(&http, &HttpCli::requestDone);
    ASSERT_TRUE(http.get(QUrl(QString::fromLatin1(server.url("/f"))), &device));
    EXPECT_FALSE(http.get(QUrl(QString::fromLatin1(server.url("/g"))), &device));
    ASSERT_TRUE(testsupport::waitUntil([&] { return done.count() == 1; }));
    EXPECT_EQ(done.first().first().value<HttpCli::Outcome>(), HttpCli::Outcome::OtherFailure);
    EXPECT_EQ(http.errorText(),
              QStringLiteral("Unable to write the file: No space left on device"));
    EXPECT_EQ(http.rcvdCount(), 0);
    EXPECT_FALSE(http.isRunning());
}

TEST(HttpCli, StopLeavesStatus404AndItsReason)
{
    TinyHttpServer server;
    TinyHttpServer::Response response = TinyHttpServer::ok(QByteArray(5000, 'x'));
    response.holdAt = 10;
    server.respond(response);
    QBuffer out;
    out.open(QIODevice::WriteOnly);
    HttpCli http;
    QSignalSpy done(&http, &HttpCli::requestDone);
    http.get(QUrl(QString::fromLatin1(server.url("/f"))), &out);
    ASSERT_TRUE(testsupport::waitUntil([&] { return http.rcvdCount() == 10; }));
    http.stop();
    EXPECT_EQ(done.count(), 0) << "the end is reported one event later";
    ASSERT_TRUE(testsupport::waitUntil([&] { return done.count() == 1; }));
    EXPECT_EQ(done.first().first().value<HttpCli::Outcome>(), HttpCli::Outcome::HttpFailure);
    EXPECT_EQ(http.statusCode(), 404);
    EXPECT_EQ(http.reasonPhrase(), QStringLiteral("Connection aborted on request"));
}

} // namespace
