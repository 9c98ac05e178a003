#pragma once

// One thread of the kernel kit, owned by an object: a subclass supplies the body (Execute).
// The thread is created suspended and runs Execute from its first Resume. Stopping is
// cooperative: Terminate only raises a flag that the body is expected to poll.

#include <OS.h>

#include <atomic>

class TThread {
public:
    TThread(const char* name, int32 priority);
    // A new suspended thread with the name and priority that other's thread has now.
    TThread(const TThread& other);
    // A thread that has not ended is killed, and its end is waited for: see Thread.cpp.
    virtual ~TThread();

    TThread& operator=(const TThread&) = delete;

    virtual status_t Terminate();

    status_t Resume() const;
    status_t Suspend() const;
    // The thread's exit value goes to *exitValue when it is not null.
    status_t Wait(status_t* exitValue) const;
    status_t SetPriority(int32 priority) const;
    status_t SetName(const char* name) const;
    // With auto-delete set, the object deletes itself as its thread ends; nobody may touch it
    // after the thread has been resumed.
    status_t SetAutoDelete(bool autoDelete);

    // The id, or the error that kept the thread from being created.
    thread_id ThreadID() const { return fThreadID; }
    // Whether the thread has ended.
    bool IsTerminated() const { return fExited; }
    bool IsSuspended() const;

    // The body; what it returns is the thread's exit value.
    virtual status_t Execute() = 0;

protected:
    // Set by Terminate; only ever goes from false to true.
    bool IsTerminateRequested() const { return fTerminateRequested; }

private:
    static int32 _Entry(void* data);
    static void _Exited(void* data);

    std::atomic<bool> fTerminateRequested{false};
    thread_id fThreadID;
    std::atomic<bool> fAutoDelete{false};
    std::atomic<bool> fExited{false};
};
