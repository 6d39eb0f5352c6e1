#include "app/TerminationSignals.h"

#include <QCoreApplication>
#include <QSocketNotifier>

#include <array>
#include <cerrno>
#include <csignal>
#include <fcntl.h>
#include <sys/socket.h>
#include <unistd.h>

namespace {

// The handler may only do async-signal-safe work: it writes the signal's number into a socket
// whose other end the message loop watches.
int WriteEnd = -1;

void OnSignal(int signal)
{
    const int saved = errno;
    const char byte = static_cast<char>(signal);
    [[maybe_unused]] const ssize_t written = ::write(WriteEnd, &byte, 1);
    errno = saved;
}

} // namespace

bool QuitOnTerminationSignals()
{
    auto* app = QCoreApplication::instance();
    if (app == nullptr)
        return false;
    if (WriteEnd >= 0)
        return true;
    std::array<int, 2> ends{};
    if (::socketpair(AF_UNIX, SOCK_STREAM | SOCK_NONBLOCK | SOCK_CLOEXEC, 0, ends.data()) != 0)
        return false;
    WriteEnd = ends[0];
    const int readEnd = ends[1];

    auto* notifier = new QSocketNotifier(readEnd, QSocketNotifier::Read, app);
    QObject::connect(notifier, &QSocketNotifier::activated, app, [readEnd] {
        std::array<char, 16> bytes{};
        while (::read(readEnd, bytes.data(), bytes.size()) > 0) {
        }
        QCoreApplication::quit();
    });

    struct sigaction action = {};
    action.sa_handler = OnSignal;
    sigemptyset(&action.sa_mask);
    action.sa_flags = SA_RESTART;
    for (int signal : {SIGTERM, SIGINT, SIGHUP}) {
        // A signal ignored by whoever started the program (nohup, a shell's background job)
        // stays ignored.
        struct sigaction current = {};
        if (::sigaction(signal, nullptr, &current) == 0 && current.sa_handler == SIG_IGN)
            continue;
        ::sigaction(signal, &action, nullptr);
    }
    return true;
}
