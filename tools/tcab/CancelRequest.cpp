#include "tools/tcab/CancelRequest.h"

#include <atomic>
#include <csignal>

namespace tcab {

namespace {

std::atomic<bool> cancelRequested{false};

extern "C" void OnCancelSignal(int)
{
    cancelRequested.store(true);
}

} // namespace

void WatchForCancel()
{
    struct sigaction action {};
    action.sa_handler = OnCancelSignal;
    sigemptyset(&action.sa_mask);
    action.sa_flags = SA_RESETHAND; // the second Ctrl-C is the system's own
    sigaction(SIGINT, &action, nullptr);
    sigaction(SIGTERM, &action, nullptr);
}

bool CancelRequested()
{
    return cancelRequested.load();
}

void SetCancelRequested(bool requested)
{
    cancelRequested.store(requested);
}

} // namespace tcab
