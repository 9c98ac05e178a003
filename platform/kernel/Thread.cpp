// Threads on POSIX threads. Suspension, killing and exit hooks are kept by this layer: a POSIX
// thread cannot be stopped from outside, so both take effect where the thread itself calls in
// (see OS.h).

#include <OS.h>

#include "ThreadPrivate.h"

#include <pthread.h>
#include <time.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <cerrno>
#include <chrono>
#include <cstring>
#include <map>
#include <string>
#include <vector>

namespace {

// pthread_setname_np takes 16 bytes with the terminating NUL.
constexpr size_t kSystemNameLength = 15;
// Exit values of ended threads kept for a late wait_for_thread.
constexpr size_t kEndedKept = 1024;

struct ExitHook {
    void (*callback)(void*);
    void* data;
};

struct Interrupt {
    std::shared_ptr<void> keepAlive;
    std::mutex* lock = nullptr;
    std::condition_variable* cv = nullptr;
};

// Everything but the atomics and the fields only the thread itself touches is guarded by
// Threads::lock.
struct Thread {
    thread_id id = 0;
    thread_func func = nullptr;
    void* data = nullptr;
    std::string name;
    int32 priority = B_NORMAL_PRIORITY;
    pthread_t handle{}; // valid until ended
    bool started = false;
    bool ended = false;
    std::atomic<bool> suspended{false};
    std::atomic<bool> killed{false};
    thread_state activity = B_THREAD_RUNNING;
    status_t exitValue = B_OK;
    std::condition_variable wake;    // the thread's own waits: for its start, suspended, asleep
    std::condition_variable endedCv; // wait_for_thread
    std::condition_variable* waitingOn = nullptr; // the endedCv of the thread it waits for
    Interrupt interrupt;                          // a wait outside this layer

    // Touched only by the thread itself.
    std::vector<ExitHook> hooks;
    bool exitCalled = false;
    status_t exitStatus = B_OK;
};

struct Threads {
    std::mutex lock;
    std::map<thread_id, std::shared_ptr<Thread>> live;
    std::map<thread_id, std::shared_ptr<Thread>> ended; // exit values not yet collected
    thread_id nextId = 1;
};

void forkPrepare();
void forkParent();
void forkChild();

// Never destroyed: threads may still run while static objects are destroyed at exit.
Threads& threads()
{
    static Threads* all = [] {
        auto* created = new Threads;
        pthread_atfork(forkPrepare, forkParent, forkChild);
        return created;
    }();
    return *all;
}

thread_local Thread* tCurrent = nullptr;

void forkPrepare()
{
    threads().lock.lock();
}

void forkParent()
{
    threads().lock.unlock();
}

// Kept reachable on purpose: records of threads that did not come along into a forked child
// may hold locked state, so they are never destroyed.
std::vector<std::shared_ptr<Thread>>* sLeftBehind;

// The child has only the thread that forked: every other record would wait forever.
void forkChild()
{
    Threads& all = threads();
    if (sLeftBehind == nullptr)
        sLeftBehind = new std::vector<std::shared_ptr<Thread>>;
    std::shared_ptr<Thread> self;
    for (auto* records : {&all.live, &all.ended}) {
        for (auto& [id, thread] : *records) {
            if (thread.get() == tCurrent && records == &all.live)
                self = thread;
            else
                sLeftBehind->push_back(thread);
        }
        records->clear();
    }
    if (self) {
        self->handle = pthread_self();
        all.live[self->id] = self;
    }
    all.lock.unlock();
}

int32 clampPriority(int32 priority)
{
    return std::clamp<int32>(priority, 1, B_REAL_TIME_PRIORITY);
}

std::string systemName(const std::string& name)
{
    return name.substr(0, BKernelPrivate::name_length(name.c_str(), kSystemNameLength));
}

std::shared_ptr<Thread> findLive(Threads& all, thread_id id)
{
    auto found = all.live.find(id);
    return found == all.live.end() ? nullptr : found->second;
}

void keepEnded(Threads& all, const std::shared_ptr<Thread>& thread)
{
    all.live.erase(thread->id);
    all.ended[thread->id] = thread;
    if (all.ended.size() > kEndedKept)
        all.ended.erase(all.ended.begin());
    thread->endedCv.notify_all();
}

// Runs the exit hooks, newest first, then makes the end visible to waiters. On the thread
// itself.
void endThread(const std::shared_ptr<Thread>& thread, status_t returned)
{
    while (!thread->hooks.empty()) {
        ExitHook hook = thread->hooks.back();
        thread->hooks.pop_back();
        hook.callback(hook.data);
    }
    Threads& all = threads();
    std::lock_guard<std::mutex> guard(all.lock);
    thread->ended = true;
    if (thread->killed)
        thread->exitValue = B_INTERRUPTED;
    else
        thread->exitValue = thread->exitCalled ? thread->exitStatus : returned;
    keepEnded(all, thread);
    tCurrent = nullptr;
}

// Ends the thread also when exit_thread unwinds its stack.
struct ThreadEnd {
    std::shared_ptr<Thread> thread;
    status_t returned = B_OK;
    ~ThreadEnd() { endThread(thread, returned); }
};

// A thread the kit did not spawn gets its record the first time it needs one; the record ends
// with the thread.
struct AdoptedThread {
    std::shared_ptr<Thread> thread;
    ~AdoptedThread()
    {
        if (thread && !thread->ended)
            endThread(thread, B_OK);
    }
};

thread_local AdoptedThread tAdopted;

Thread* currentThread()
{
    if (tCurrent != nullptr)
        return tCurrent;
    auto thread = std::make_shared<Thread>();
    char name[kSystemNameLength + 1] = {};
    if (pthread_getname_np(pthread_self(), name, sizeof name) == 0)
        thread->name = name;
    thread->started = true;
    thread->handle = pthread_self();
    Threads& all = threads();
    {
        std::lock_guard<std::mutex> guard(all.lock);
        thread->id = all.nextId++;
        all.live[thread->id] = thread;
    }
    tAdopted.thread = thread;
    tCurrent = thread.get();
    return tCurrent;
}

// Waits while the thread is suspended and not killed. On the thread itself.
void park(std::unique_lock<std::mutex>& lock, Thread* thread)
{
    thread->wake.wait(lock, [thread] { return !thread->suspended || thread->killed; });
}

void* threadMain(void* argument)
{
    auto* handed = static_cast<std::shared_ptr<Thread>*>(argument);
    std::shared_ptr<Thread> thread = std::move(*handed);
    delete handed;
    tCurrent = thread.get();
    {
        std::unique_lock<std::mutex> lock(threads().lock);
        thread->wake.wait(lock, [&] { return thread->started || thread->killed; });
        // Killed before it was ever resumed: kill_thread has already ended the record.
        if (!thread->started)
            return nullptr;
    }
    ThreadEnd end{thread};
    end.returned = thread->func(thread->data);
    return nullptr;
}

} // namespace

namespace BKernelPrivate {

size_t name_length(const char* name, size_t maxBytes)
{
    size_t length = strnlen(name, maxBytes + 1);
    if (length <= maxBytes)
        return length;
    length = maxBytes;
    // name[length] is the first byte left out: when it continues a sequence, leave the whole
    // sequence out.
    while (length > 0 && (static_cast<uint8>(name[length]) & 0xC0) == 0x80)
        length--;
    return length;
}

void install_thread_fork_handlers()
{
    threads();
}

status_t cooperative_point()
{
    Thread* thread = tCurrent;
    if (thread == nullptr)
        return B_OK;
    if (thread->suspended && !thread->killed) {
        std::unique_lock<std::mutex> lock(threads().lock);
        park(lock, thread);
    }
    return thread->killed ? B_INTERRUPTED : B_OK;
}

bool current_thread_killed()
{
    return tCurrent != nullptr && tCurrent->killed;
}

BlockingScope::BlockingScope(thread_state state, std::shared_ptr<void> keepAlive, std::mutex* lock,
                             std::condition_variable* cv)
    : fRegistered(tCurrent != nullptr)
{
    if (!fRegistered)
        return;
    std::lock_guard<std::mutex> guard(threads().lock);
    tCurrent->activity = state;
    tCurrent->interrupt = {std::move(keepAlive), lock, cv};
}

BlockingScope::~BlockingScope()
{
    if (!fRegistered || tCurrent == nullptr)
        return;
    std::lock_guard<std::mutex> guard(threads().lock);
    tCurrent->activity = B_THREAD_RUNNING;
    tCurrent->interrupt = {};
}

} // namespace BKernelPrivate

bigtime_t system_time()
{
    timespec now;
    clock_gettime(CLOCK_MONOTONIC, &now);
    return static_cast<bigtime_t>(now.tv_sec) * 1000000 + now.tv_nsec / 1000;
}

thread_id spawn_thread(thread_func func, const char* name, int32 priority, void* data)
{
    if (func == nullptr)
        return B_BAD_VALUE;
    if (name == nullptr)
        name = "unnamed thread";
    auto thread = std::make_shared<Thread>();
    thread->func = func;
    thread->data = data;
    thread->name.assign(name, BKernelPrivate::name_length(name, B_OS_NAME_LENGTH - 1));
    thread->priority = clampPriority(priority);
    thread->suspended = true;

    Threads& all = threads();
    std::lock_guard<std::mutex> guard(all.lock);
    if (all.nextId == INT32_MAX)
        return B_NO_MORE_THREADS;
    pthread_attr_t attributes;
    pthread_attr_init(&attributes);
    pthread_attr_setdetachstate(&attributes, PTHREAD_CREATE_DETACHED);
    auto* handed = new std::shared_ptr<Thread>(thread);
    int error = pthread_create(&thread->handle, &attributes, threadMain, handed);
    pthread_attr_destroy(&attributes);
    if (error != 0) {
        delete handed;
        return B_NO_MORE_THREADS;
    }
    thread->id = all.nextId++;
    all.live[thread->id] = thread;
    // Safe under the lock: the thread cannot end before it is resumed or killed.
    pthread_setname_np(thread->handle, systemName(thread->name).c_str());
    return thread->id;
}

status_t resume_thread(thread_id id)
{
    Threads& all = threads();
    std::lock_guard<std::mutex> guard(all.lock);
    std::shared_ptr<Thread> thread = findLive(all, id);
    if (!thread)
        return B_BAD_THREAD_ID;
    if (!thread->suspended)
        return B_BAD_THREAD_STATE;
    thread->started = true;
    thread->suspended = false;
    thread->wake.notify_all();
    return B_OK;
}

status_t suspend_thread(thread_id id)
{
    if (tCurrent != nullptr && id == tCurrent->id) {
        Thread* self = tCurrent;
        std::unique_lock<std::mutex> lock(threads().lock);
        self->suspended = true;
        park(lock, self);
        return B_OK;
    }
    Threads& all = threads();
    std::lock_guard<std::mutex> guard(all.lock);
    std::shared_ptr<Thread> thread = findLive(all, id);
    if (!thread)
        return B_BAD_THREAD_ID;
    thread->suspended = true;
    return B_OK;
}

status_t wait_for_thread(thread_id id, status_t* exitValue)
{
    Thread* self = currentThread();
    Threads& all = threads();
    std::unique_lock<std::mutex> lock(all.lock);
    std::shared_ptr<Thread> thread = findLive(all, id);
    if (thread.get() == self)
        return B_NOT_ALLOWED;
    if (!thread) {
        auto found = all.ended.find(id);
        if (found == all.ended.end())
            return B_BAD_THREAD_ID;
        thread = found->second;
    }
    if (!thread->ended && !thread->started) {
        thread->started = true;
        thread->suspended = false;
        thread->wake.notify_all();
    }
    while (!thread->ended) {
        if (self->killed)
            return B_INTERRUPTED;
        self->activity = B_THREAD_WAITING;
        self->waitingOn = &thread->endedCv;
        thread->endedCv.wait(lock);
        self->waitingOn = nullptr;
        self->activity = B_THREAD_RUNNING;
    }
    if (exitValue != nullptr)
        *exitValue = thread->exitValue;
    all.ended.erase(id);
    return B_OK;
}

status_t kill_thread(thread_id id)
{
    if (tCurrent != nullptr && id == tCurrent->id) {
        tCurrent->killed = true;
        exit_thread(B_INTERRUPTED);
    }
    Interrupt interrupt;
    {
        Threads& all = threads();
        std::lock_guard<std::mutex> guard(all.lock);
        std::shared_ptr<Thread> thread = findLive(all, id);
        if (!thread)
            return B_BAD_THREAD_ID;
        thread->killed = true;
        thread->wake.notify_all();
        if (!thread->started) {
            // Discarded: its function never runs, it is gone at once.
            thread->ended = true;
            thread->exitValue = B_INTERRUPTED;
            keepEnded(all, thread);
            return B_OK;
        }
        if (thread->waitingOn != nullptr)
            thread->waitingOn->notify_all();
        interrupt = thread->interrupt;
    }
    // Outside the thread lock: a waiter takes its own lock first and the thread lock second.
    if (interrupt.lock != nullptr) {
        std::lock_guard<std::mutex> guard(*interrupt.lock);
        interrupt.cv->notify_all();
    }
    return B_OK;
}

void exit_thread(status_t status)
{
    Thread* self = currentThread();
    self->exitCalled = true;
    self->exitStatus = status;
    pthread_exit(nullptr);
}

status_t rename_thread(thread_id id, const char* newName)
{
    if (newName == nullptr)
        return B_BAD_VALUE;
    Threads& all = threads();
    std::lock_guard<std::mutex> guard(all.lock);
    std::shared_ptr<Thread> thread = findLive(all, id);
    if (!thread)
        return B_BAD_THREAD_ID;
    thread->name.assign(newName, BKernelPrivate::name_length(newName, B_OS_NAME_LENGTH - 1));
    // A live record's thread has not ended, and cannot while the lock is held.
    pthread_setname_np(thread->handle, systemName(thread->name).c_str());
    return B_OK;
}

status_t set_thread_priority(thread_id id, int32 newPriority)
{
    Threads& all = threads();
    std::lock_guard<std::mutex> guard(all.lock);
    std::shared_ptr<Thread> thread = findLive(all, id);
    if (!thread)
        return B_BAD_THREAD_ID;
    int32 old = thread->priority;
    thread->priority = clampPriority(newPriority);
    return old;
}

status_t get_thread_info(thread_id id, thread_info* info)
{
    if (info == nullptr)
        return B_BAD_VALUE;
    Threads& all = threads();
    std::lock_guard<std::mutex> guard(all.lock);
    std::shared_ptr<Thread> thread = findLive(all, id);
    if (!thread)
        return B_BAD_THREAD_ID;
    *info = {};
    info->thread = thread->id;
    info->team = getpid();
    memcpy(info->name, thread->name.c_str(), thread->name.size() + 1);
    info->state = thread->suspended ? B_THREAD_SUSPENDED : thread->activity;
    info->priority = thread->priority;
    return B_OK;
}

status_t on_exit_thread(void (*callback)(void*), void* data)
{
    if (callback == nullptr)
        return B_BAD_VALUE;
    currentThread()->hooks.push_back({callback, data});
    return B_OK;
}

thread_id find_thread(const char* name)
{
    if (name == nullptr)
        return currentThread()->id;
    Threads& all = threads();
    std::lock_guard<std::mutex> guard(all.lock);
    for (const auto& [id, thread] : all.live) {
        if (thread->name == name)
            return id;
    }
    return B_NAME_NOT_FOUND;
}

status_t snooze(bigtime_t microseconds)
{
    // About 31 years: far enough for "forever", near enough not to overflow the clocks.
    microseconds = std::clamp<bigtime_t>(microseconds, 0, 1000000000000000);
    const auto deadline =
        std::chrono::steady_clock::now() + std::chrono::microseconds(microseconds);
    Thread* self = tCurrent;
    if (self == nullptr) {
        // No record, so nothing can suspend or kill this thread: a plain sleep.
        timespec until;
        bigtime_t end = system_time() + microseconds;
        until.tv_sec = end / 1000000;
        until.tv_nsec = (end % 1000000) * 1000;
        while (clock_nanosleep(CLOCK_MONOTONIC, TIMER_ABSTIME, &until, nullptr) == EINTR) {
        }
        return B_OK;
    }
    std::unique_lock<std::mutex> lock(threads().lock);
    park(lock, self);
    if (self->killed)
        return B_INTERRUPTED;
    self->activity = B_THREAD_ASLEEP;
    self->wake.wait_until(lock, deadline, [self] { return self->killed.load(); });
    self->activity = B_THREAD_RUNNING;
    park(lock, self);
    return self->killed ? B_INTERRUPTED : B_OK;
}
