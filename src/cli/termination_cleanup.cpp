#include "cli/termination_cleanup.h"

#include "common/replacing_file.h"

#include <array>
#include <csignal>

namespace tavrune {

namespace {

constexpr std::array kSignals{SIGINT, SIGTERM, SIGHUP, SIGQUIT, SIGPIPE};

extern "C" void onTermination(int signal)
{
    removePendingTemporaryFiles();
    // The handler was reset on entry (SA_RESETHAND): the signal, blocked until the
    // handler returns, then ends the process as if no handler had been there.
    ::raise(signal);
}

} // namespace

void removeTemporaryFilesOnTermination()
{
    struct sigaction action = {};
    action.sa_handler = onTermination;
    action.sa_flags = SA_RESETHAND | SA_RESTART;
    // A second signal waits until the first has removed the files.
    sigemptyset(&action.sa_mask);
    for (const int signal : kSignals) {
        sigaddset(&action.sa_mask, signal);
    }
    for (const int signal : kSignals) {
        struct sigaction previous = {};
        if (::sigaction(signal, nullptr, &previous) == 0 && previous.sa_handler != SIG_IGN) {
            ::sigaction(signal, &action, nullptr);
        }
    }
}

} // namespace tavrune
