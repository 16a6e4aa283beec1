// Feeds arbitrary relayed chat payloads into the chat pane and checks that
// every link in the view opens the address it was made from.
#include "chat/chatpanel.h"
#include "chat/chatview.h"
#include "protocol/clientmessages.h"

#include <QApplication>
#include <QWidget>
#include <cstdint>
#include <cstdlib>

namespace {

struct Pane
{
    Pane()
    {
        board.resize(768, 483);
        chat = new ChatPanel(&board);
        chat->setUrlOpener([this](const QUrl &) {
            ++opened;
            return true;
        });
        chat->setAlert([](const QString &) {});
    }
    QWidget board;
    ChatPanel *chat = nullptr;
    int opened = 0;
};

Pane *pane = nullptr;

} // namespace

// Font lookup keeps caches in the system library that are never freed.
extern "C" const char *__lsan_default_suppressions()
{
    return "leak:libfontconfig\n";
}

extern "C" int LLVMFuzzerInitialize(int *argc, char ***argv)
{
    setenv("QT_QPA_PLATFORM", "offscreen", 0);
    new QApplication(*argc, *argv);
    pane = new Pane;
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    const QByteArray bytes(reinterpret_cast<const char *>(data), qsizetype(size));
    if (const auto line = wire::toClient::Chat::decode(bytes))
        pane->chat->chatrecieved(line->n, line->line);
    pane->chat->addlinetochat(QString::fromLatin1(bytes), 0xFF0000);

    ChatView *view = pane->chat->mainchat();
    if (view->linkCount() != pane->chat->linkTargets().size())
        std::abort();
    for (int i = 0; i < view->itemCount(); ++i) {
        const ChatView::ItemInfo item = view->item(i);
        if (item.link >= 0 && view->linkText(item.link) != item.text)
            std::abort();
        if (item.picture && (item.image < 0 || item.image > 17))
            std::abort();
    }
    if (view->linkCount() > 0)
        pane->chat->mainchatJump(view->linkCount() - 1);
    // Every input starts from an empty view, so nothing grows from run to run.
    pane->chat->ClearMainChat1Click();
    QCoreApplication::sendPostedEvents();
    return 0;
}
