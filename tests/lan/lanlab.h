#pragma once

// Two network namespaces joined by a veth pair, each with a D-Bus system bus
// and an Avahi daemon of its own: a local network in a box. Every address
// lives inside the namespaces and nothing is routed out of them. Each daemon
// is started here and stopped by its pid; the namespaces go with the lab.
#include <QDir>
#include <QProcess>
#include <QString>
#include <QTemporaryDir>
#include <memory>
#include <vector>

class LanLab
{
public:
    struct Side
    {
        QString ns;      // network namespace
        QString link;    // its end of the veth pair
        QString address; // IPv4, inside the namespace only
        QString bus;     // D-Bus address of its system bus
    };

    LanLab();
    ~LanLab();

    // Empty when the lab stands; else why it cannot be made here.
    QString problem() const { return m_problem; }
    const Side &side(int i) const { return m_sides[i]; }

    bool startBus(int i);
    QProcess *startAvahi(int i);
    // A program started inside side i, talking to its bus; stopped with the lab.
    QProcess *start(int i, const QString &program, const QStringList &arguments,
                    const QProcessEnvironment &extra = {});

private:
    bool run(const QStringList &command);
    QProcess *spawn(const QString &program, const QStringList &arguments,
                    const QProcessEnvironment &environment);

    QTemporaryDir m_dir{QStringLiteral("/tmp/spl-XXXXXX")};
    Side m_sides[2];
    bool m_made[2] = {false, false};
    std::vector<std::unique_ptr<QProcess>> m_processes;
    QString m_problem;
};
