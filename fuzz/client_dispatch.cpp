// Feeds arbitrary host messages to a table window (offscreen) through its
// receive queue, checking that the window never reaches outside its hand and
// that everything it sends back is a well-formed message of its own seat.
#include "chat/chatpanel.h"
#include "client/tchat.h"
#include "platform/soundplayer.h"
#include "protocol/cards.h"
#include "protocol/fields.h"
#include "protocol/message.h"

#include <QApplication>
#include <QByteArray>
#include <QList>
#include <cstdint>
#include <cstdio>
#include <cstdlib>

namespace {

void fail(const char *what, int line)
{
    std::fprintf(stderr, "broken invariant at line %d: %s\n", line, what);
    std::abort();
}
#define check(ok) ((ok) ? void() : fail(#ok, __LINE__))

class SilentSounds : public SoundPlayer
{
public:
    void play(const QString &) override {}
};

// Sends are kept with the seat the window held when it sent: a new login may
// change it. Nothing connects, no box or menu opens.
struct Table : TableRequests
{
    Table()
    {
        window.setRequests(this);
        window.setSoundPlayer(&sounds);
        QObject::connect(&window, &Tchat::programEnds, [this] { ended = true; });
    }

    void send(const QByteArray &message) override { sent.append({message, window.myseat()}); }
    void connectTo(const QString &) override {}
    void startHost(HostReach) override {}
    void openLobbyLink() override {}
    void messageBox(const QString &) override {}
    bool confirm(const QString &) override { return true; }
    void popup(QMenu *, const QPoint &) override {}

    SilentSounds sounds;
    QList<std::pair<QByteArray, int>> sent;
    bool ended = false;
    Tchat window; // last: it goes before what it asks of
};

Table *table = nullptr;

void checkInvariants(const Tchat &window)
{
    check(window.queuedMessages() == 0);
    check(!window.timerRunning());
    check(window.myseat() >= 0);
    // Every occupied slot shows a card picture of its own, each picture once.
    const std::array<int, 14> hand = window.handSlots();
    bool seen[cards::kHandSize + 1] = {};
    int occupied = 0;
    for (int slot = 1; slot <= cards::kHandSize; ++slot) {
        const int position = hand[slot];
        if (position == -1)
            continue;
        check(cards::isHandPosition(position));
        check(!seen[position]);
        seen[position] = true;
        check(window.cardAt(position) != nullptr);
        ++occupied;
    }
    int pictures = 0;
    for (int position = 1; position <= cards::kHandSize; ++position)
        pictures += window.cardAt(position) != nullptr;
    check(pictures == occupied);
}

void checkSent(const QList<std::pair<QByteArray, int>> &sent)
{
    for (const auto &[message, myseat] : sent) {
        // One message per send, terminated once, and never for another seat.
        // The login's name carries a terminator of its own: hosts read the
        // name up to it.
        const qsizetype ends = message.startsWith("CMD_logininfo+") ? 2 : 1;
        const bool wellFormed = message.startsWith("CMD_") && message.size() > ends &&
                                message.count(char(0xFF)) == ends &&
                                message.endsWith(QByteArray(ends, char(0xFF)));
        if (!wellFormed) {
            std::fprintf(stderr, "sent: %s\n", message.toPercentEncoding().constData());
            fail("a malformed message was sent", __LINE__);
        }
        const QByteArray line = message.chopped(ends);
        wire::Fields reader(line);
        const QByteArrayView command = reader.next();
        const std::optional<int> from = reader.nextInt();
        if (myseat > 0 && command != "CMD_startgame" && from)
            check(*from == myseat);
    }
}

} // namespace

// Font lookup keeps caches in the system library that are never freed, and
// the C++ runtime keeps a few small buffers it allocates once.
extern "C" const char *__lsan_default_suppressions()
{
    return "leak:libfontconfig\nleak:libstdc++\n";
}

extern "C" int LLVMFuzzerInitialize(int *argc, char ***argv)
{
    setenv("QT_QPA_PLATFORM", "offscreen", 1);
    new QApplication(*argc, *argv);
    table = new Table;
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    // A window that a message ended takes no more messages: start afresh.
    if (table->ended) {
        delete table;
        table = new Table;
    }
    table->sent.clear();
    const QByteArray bytes(reinterpret_cast<const char *>(data), qsizetype(size));
    // A first byte below 8 delivers the input as the socket would, in reads
    // of the second byte's length plus one, through the window's bounded
    // receive queue; any other input is cut at the terminators, so that
    // seeds of whole messages are read from their first byte.
    const bool asReads = size >= 2 && data[0] < 8;
    const QList<QByteArray> pieces = [&] {
        if (!asReads)
            return bytes.split(char(0xFF));
        QList<QByteArray> reads;
        for (qsizetype at = 2; at < bytes.size(); at += data[1] + 1)
            reads << bytes.mid(at, data[1] + 1);
        return reads;
    }();
    for (const QByteArray &piece : pieces) {
        if (asReads)
            table->window.sockRead(piece);
        else
            table->window.queueMessage(piece);
        const ReceiveQueue &queue = table->window.receiveQueue();
        check(queue.size() <= limits::kClient.queuedMessages);
        check(queue.unfinishedBytes() <= limits::kClient.unfinishedBytes);
        while (table->window.queuedMessages() > 0)
            table->window.processsocktimer();
        if (table->ended)
            break;
        checkInvariants(table->window);
    }
    checkSent(table->sent);
    // The chat view keeps every line; one run's lines must not pile up over millions.
    if (!table->ended)
        table->window.chatPanel()->ClearMainChat1Click();
    QCoreApplication::sendPostedEvents();
    return 0;
}
