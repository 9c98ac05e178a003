#include <MessageQueue.h>

#include <Message.h>

#include <bit>

BMessageQueue::BMessageQueue(int32 capacity) : fCapacity(capacity > 0 ? capacity : 1)
{
    fRing.resize(std::bit_ceil((size_t)fCapacity + 1));
}

BMessageQueue::~BMessageQueue()
{
    Close();
}

status_t BMessageQueue::AddMessage(BMessage* message, int32 target, bigtime_t timeout,
                                   bool pastCapacity)
{
    if (message == nullptr)
        return B_BAD_VALUE;
    std::unique_lock<std::mutex> lock(fLock);
    if (!pastCapacity && !fClosed && fCount >= (size_t)fCapacity) {
        fWaitingSenders++;
        bool room = BPrivate::wait_with_timeout(
            fNotFull, lock, timeout, [this] { return fClosed || fCount < (size_t)fCapacity; });
        if (--fWaitingSenders == 0 && fClosed)
            fNotFull.notify_all();
        if (!room) {
            lock.unlock();
            delete message;
            return timeout <= 0 ? B_WOULD_BLOCK : B_TIMED_OUT;
        }
    }
    if (fClosed) {
        lock.unlock();
        delete message;
        return B_BAD_PORT_ID;
    }
    if (fCount == fRing.size())
        _Grow();
    fRing[(fHead + fCount) & (fRing.size() - 1)] = Entry{message, target};
    fCount++;
    // Waking is a system call; a reader that is busy will find the message anyway.
    if (fReaderWaiting)
        fNotEmpty.notify_one();
    return B_OK;
}

bool BMessageQueue::NextMessage(BMessage** message, int32* target)
{
    std::unique_lock<std::mutex> lock(fLock);
    if (fCount == 0 && !fClosed) {
        fReaderWaiting = true;
        fNotEmpty.wait(lock, [this] { return fCount > 0 || fClosed; });
        fReaderWaiting = false;
    }
    if (fClosed)
        return false;
    Entry& entry = fRing[fHead];
    *message = entry.message;
    *target = entry.target;
    fHead = (fHead + 1) & (fRing.size() - 1);
    fCount--;
    if (fWaitingSenders > 0)
        fNotFull.notify_one();
    return true;
}

void BMessageQueue::Close()
{
    std::vector<BMessage*> discarded;
    {
        std::unique_lock<std::mutex> lock(fLock);
        if (!fClosed) {
            fClosed = true;
            discarded.reserve(fCount);
            for (; fCount > 0; fCount--) {
                discarded.push_back(fRing[fHead].message);
                fHead = (fHead + 1) & (fRing.size() - 1);
            }
            fNotEmpty.notify_all();
            fNotFull.notify_all();
        }
        fNotFull.wait(lock, [this] { return fWaitingSenders == 0; });
    }
    // Deleting a message can answer a waiting sender, which takes other locks: never under
    // this one.
    for (BMessage* message : discarded)
        delete message;
}

int32 BMessageQueue::CountMessages() const
{
    std::lock_guard<std::mutex> lock(fLock);
    return (int32)fCount;
}

void BMessageQueue::_Grow()
{
    std::vector<Entry> larger(fRing.size() * 2);
    for (size_t i = 0; i < fCount; i++)
        larger[i] = fRing[(fHead + i) & (fRing.size() - 1)];
    fRing.swap(larger);
    fHead = 0;
}
