#include "app/processexit.h"

#include <atomic>
#include <cstdio>
#include <mutex>
#include <unistd.h>

namespace tarsel {

namespace {

std::mutex &hookMutex()
{
    static std::mutex m;
    return m;
}

EndProcessHook &hookSlot()
{
    static EndProcessHook hook;
    return hook;
}

std::atomic<bool> g_requested{false};

}  // namespace

void EndProcess(int exitCode)
{
    EndProcessHook hook;
    {
        std::lock_guard lock(hookMutex());
        hook = hookSlot();
    }
    if (hook) {
        g_requested = true;
        hook(exitCode);
        return;
    }
    std::fflush(stdout);
    std::fflush(stderr);
    ::_exit(exitCode);
}

EndProcessHook SetEndProcessHook(EndProcessHook hook)
{
    std::lock_guard lock(hookMutex());
    EndProcessHook previous = std::move(hookSlot());
    hookSlot() = std::move(hook);
    return previous;
}

bool EndProcessRequested() { return g_requested; }

void ClearEndProcessRequest() { g_requested = false; }

}  // namespace tarsel
