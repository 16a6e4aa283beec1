#pragma once

#include "coordinator/endpoint.h"
#include "coordinator/relaypreamble.h"

#include <QObject>
#include <QTimer>

class QSocketNotifier;

// Opens a connection to a relay, shows it a ticket and waits until the relay
// has paired it: then the connected socket is the caller's, and from its next
// byte on it carries the table protocol as if the two ends had met directly.
// The host's runtime takes it like an accepted connection, the joiner's table
// like one it connected itself. Not a byte past the relay's answer is read.
class RelayDialer : public QObject
{
    Q_OBJECT
public:
    explicit RelayDialer(QObject *parent = nullptr);
    ~RelayDialer() override;

    // The relay keeps a side waiting at most its pairing time; this allows for
    // that and a little more.
    static constexpr int kWaitMs = 35000;

    void dial(const Endpoint &relay, const relay::Preamble &preamble, int waitMs = kWaitMs);

signals:
    // A non-blocking, connected socket; the receiver closes it.
    void ready(int fd);
    void failed(const QString &why);

private:
    void connectTo(const QHostAddress &address);
    void writable();
    void readable();
    void fail(const QString &why);
    void reset();

    Endpoint m_relay;
    QByteArray m_preamble;
    QByteArray m_answer; // the relay's answer line so far
    int m_fd = -1;
    QSocketNotifier *m_notifier = nullptr;
    QTimer m_deadline;
    int m_lookup = -1;
};
