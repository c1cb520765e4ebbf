#include "base/Threads.h"

#include <memory>

namespace {

DWORD WINAPI RunWork(void* param)
{
    const std::unique_ptr<std::function<void()>> work(static_cast<std::function<void()>*>(param));
    (*work)();
    return 0;
}

}  // namespace

CHandle StartThread(std::function<void()> work)
{
    auto handOver = std::make_unique<std::function<void()>>(std::move(work));
    CHandle thread(::CreateThread(nullptr, 0, RunWork, handOver.get(), 0, nullptr));
    if (thread)
        (void)handOver.release();   // the thread's now
    return thread;
}
