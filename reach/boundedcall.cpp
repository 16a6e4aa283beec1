#include "reach/boundedcall.h"

#include <QElapsedTimer>

#include <cerrno>
#include <csignal>
#include <cstdio>
#include <fcntl.h>
#include <poll.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

namespace {

// The data segment now, so the child's cap is counted from where it starts.
qint64 dataBytesInUse()
{
    std::FILE *statm = std::fopen("/proc/self/statm", "r");
    if (!statm)
        return -1;
    unsigned long fields[6] = {};
    const int got = std::fscanf(statm, "%lu %lu %lu %lu %lu %lu", &fields[0], &fields[1],
                                &fields[2], &fields[3], &fields[4], &fields[5]);
    std::fclose(statm);
    if (got != 6)
        return -1;
    return qint64(fields[5]) * ::sysconf(_SC_PAGESIZE);
}

[[noreturn]] void runChild(int out, const std::function<QByteArray()> &work, CallLimits limits)
{
    // Only the pipe stays open: the child must not hold the table's sockets.
    if (out != 3) {
        ::dup2(out, 3);
        out = 3;
    }
    ::close_range(4, ~0U, 0);
    const qint64 inUse = dataBytesInUse();
    if (inUse > 0) {
        const rlim_t cap = rlim_t(inUse + limits.extraMemoryBytes);
        const rlimit limit{cap, cap};
        ::setrlimit(RLIMIT_DATA, &limit);
    }
    // A second bound, should the parent be gone.
    ::alarm(unsigned(limits.deadlineMs / 1000 + 2));
    const QByteArray reply = work();
    qsizetype sent = 0;
    while (sent < reply.size()) {
        const ssize_t n = ::write(out, reply.constData() + sent, size_t(reply.size() - sent));
        if (n <= 0)
            break;
        sent += n;
    }
    ::_exit(0);
}

} // namespace

std::optional<QByteArray> runBounded(const std::function<QByteArray()> &work, CallLimits limits)
{
    int pipeFds[2];
    if (::pipe2(pipeFds, O_CLOEXEC) != 0)
        return std::nullopt;
    const pid_t child = ::fork();
    if (child < 0) {
        ::close(pipeFds[0]);
        ::close(pipeFds[1]);
        return std::nullopt;
    }
    if (child == 0) {
        ::close(pipeFds[0]);
        runChild(pipeFds[1], work, limits);
    }
    ::close(pipeFds[1]);

    QByteArray reply;
    bool whole = false;
    QElapsedTimer clock;
    clock.start();
    char buffer[1024];
    for (;;) {
        const qint64 left = limits.deadlineMs - clock.elapsed();
        if (left <= 0)
            break;
        pollfd ready{pipeFds[0], POLLIN, 0};
        const int polled = ::poll(&ready, 1, int(left));
        if (polled < 0 && errno == EINTR)
            continue;
        if (polled <= 0)
            break;
        const ssize_t n = ::read(pipeFds[0], buffer, sizeof buffer);
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0) {
            whole = n == 0;
            break;
        }
        reply.append(buffer, n);
        if (reply.size() > limits.maxReplyBytes)
            break;
    }
    ::close(pipeFds[0]);
    ::kill(child, SIGKILL);
    int status = 0;
    while (::waitpid(child, &status, 0) < 0 && errno == EINTR) {
    }
    const bool exitedWell = WIFEXITED(status) && WEXITSTATUS(status) == 0;
    // A child killed after it closed the pipe is still an answer; one that
    // crashed before finishing is not.
    if (!whole || reply.size() > limits.maxReplyBytes ||
        (!exitedWell && !(WIFSIGNALED(status) && WTERMSIG(status) == SIGKILL)))
        return std::nullopt;
    return reply;
}
