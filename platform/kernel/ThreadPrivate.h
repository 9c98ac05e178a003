#pragma once

// What the rest of the kernel kit needs from the thread layer: the cooperative points where
// suspension and killing take effect, and a way to wake a thread that a kill finds blocked.

#include <OS.h>

#include <condition_variable>
#include <memory>
#include <mutex>

namespace BKernelPrivate {

// Called where a kit function is about to block: stops here while the calling thread is
// suspended. Returns B_INTERRUPTED when the calling thread was killed, else B_OK.
status_t cooperative_point();

// True when the calling thread was killed.
bool current_thread_killed();

// While it lives, the calling thread is reported in the given state, and killing the thread
// notifies cv under lock so that its wait ends and it can see current_thread_killed(). Make it
// while holding lock, before the first wait. keepAlive holds what lock and cv belong to.
class BlockingScope {
public:
    BlockingScope(thread_state state, std::shared_ptr<void> keepAlive, std::mutex* lock,
                  std::condition_variable* cv);
    ~BlockingScope();
    BlockingScope(const BlockingScope&) = delete;
    BlockingScope& operator=(const BlockingScope&) = delete;

private:
    bool fRegistered;
};

// Makes sure the thread layer's fork handlers are installed; a kit part that installs its own
// handlers calls this first, so that its prepare handler runs before the thread layer's.
void install_thread_fork_handlers();

// Cuts name to at most maxBytes bytes without splitting a UTF-8 sequence.
size_t name_length(const char* name, size_t maxBytes);

} // namespace BKernelPrivate
