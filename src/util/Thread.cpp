#include "util/Thread.h"

TThread::TThread(const char* name, int32 priority)
{
    fThreadID = spawn_thread(_Entry, name, priority, this);
}

TThread::TThread(const TThread& other)
{
    thread_info info;
    fThreadID = get_thread_info(other.fThreadID, &info);
    if (fThreadID == B_OK)
        fThreadID = spawn_thread(_Entry, info.name, info.priority, this);
}

TThread::~TThread()
{
    if (fExited || fThreadID < 0)
        return;
    kill_thread(fThreadID);
    // Killing is cooperative here: a thread that has started goes on until its body returns,
    // and its exit hook then writes into this object. Waiting keeps both off freed memory;
    // a killed thread's blocking calls return at once, so a body that checks what they return
    // ends promptly. A thread that was never resumed is simply discarded.
    if (find_thread(nullptr) != fThreadID) {
        status_t ignored;
        wait_for_thread(fThreadID, &ignored);
    }
}

status_t TThread::Terminate()
{
    fTerminateRequested = true;
    return 0;
}

status_t TThread::Resume() const
{
    return resume_thread(fThreadID);
}

status_t TThread::Suspend() const
{
    return suspend_thread(fThreadID);
}

status_t TThread::Wait(status_t* exitValue) const
{
    status_t ignored;
    return wait_for_thread(fThreadID, exitValue != nullptr ? exitValue : &ignored);
}

status_t TThread::SetPriority(int32 priority) const
{
    return set_thread_priority(fThreadID, priority);
}

status_t TThread::SetName(const char* name) const
{
    return rename_thread(fThreadID, name);
}

status_t TThread::SetAutoDelete(bool autoDelete)
{
    fAutoDelete = autoDelete;
    return 0;
}

bool TThread::IsSuspended() const
{
    thread_info info;
    return get_thread_info(fThreadID, &info) == B_OK && info.state == B_THREAD_SUSPENDED;
}

int32 TThread::_Entry(void* data)
{
    on_exit_thread(_Exited, data);
    return static_cast<TThread*>(data)->Execute();
}

void TThread::_Exited(void* data)
{
    TThread* thread = static_cast<TThread*>(data);
    if (thread->fAutoDelete) {
        thread->fExited = true;
        delete thread;
        return;
    }
    // The last touch of the object: from here its owner may see the thread ended and delete it.
    thread->fExited = true;
}
