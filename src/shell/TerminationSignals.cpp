#include "shell/TerminationSignals.h"

#include <QList>
#include <QSocketNotifier>

#include <csignal>
#include <fcntl.h>
#include <sys/socket.h>
#include <unistd.h>

namespace {

// The handler may only do what is safe inside a signal handler: it writes the signal's
// number to a socket that the event loop watches.
int g_sockets[2] = {-1, -1};

extern "C" void onSignal(int number)
{
    const unsigned char byte = static_cast<unsigned char>(number);
    const ssize_t written = ::write(g_sockets[0], &byte, 1);
    static_cast<void>(written); // nothing more can be done inside a signal handler
}

void install(void (*handler)(int))
{
    struct sigaction action = {};
    action.sa_handler = handler;
    sigemptyset(&action.sa_mask);
    action.sa_flags = SA_RESTART;
    for (const int number : TerminationSignals::handledSignals())
        sigaction(number, &action, nullptr);
}

} // namespace

QList<int> TerminationSignals::handledSignals()
{
    return {SIGTERM, SIGHUP, SIGINT};
}

TerminationSignals::TerminationSignals(QObject* parent) : QObject(parent)
{
    if (::socketpair(AF_UNIX, SOCK_STREAM, 0, g_sockets) != 0)
        return; // the signals keep their default handling: the program simply ends
    for (const int socket : g_sockets)
        ::fcntl(socket, F_SETFD, FD_CLOEXEC);
    // A burst of signals must never block the handler.
    ::fcntl(g_sockets[0], F_SETFL, ::fcntl(g_sockets[0], F_GETFL) | O_NONBLOCK);
    notifier_ = new QSocketNotifier(g_sockets[1], QSocketNotifier::Read, this);
    connect(notifier_, &QSocketNotifier::activated, this, &TerminationSignals::readSignal);
    install(onSignal);
}

TerminationSignals::~TerminationSignals()
{
    if (!notifier_)
        return;
    install(SIG_DFL);
    for (int& socket : g_sockets) {
        ::close(socket);
        socket = -1;
    }
}

void TerminationSignals::readSignal()
{
    unsigned char byte = 0;
    if (::read(g_sockets[1], &byte, 1) == 1)
        emit terminationRequested(int(byte));
}
