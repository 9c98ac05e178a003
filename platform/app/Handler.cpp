#include <Handler.h>

#include <AppDefs.h>
#include <Looper.h>
#include <Message.h>
#include <MessageFilter.h>

#include <algorithm>

namespace {

std::atomic<int32> sNextToken{1};

} // namespace

BHandler::BHandler(const char* name)
    : fName(name != nullptr ? name : ""), fToken(sNextToken.fetch_add(1, std::memory_order_relaxed))
{
}

BHandler::BHandler(BMessage* archive)
    : BArchivable(archive), fToken(sNextToken.fetch_add(1, std::memory_order_relaxed))
{
    const char* name = nullptr;
    if (archive != nullptr && archive->FindString("_name", &name) == B_OK)
        fName = name;
}

BHandler::~BHandler()
{
    if (Looper() != nullptr && Looper() != this && LockLooper()) {
        BLooper* looper = Looper();
        looper->RemoveHandler(this);
        looper->Unlock();
    }
    for (BMessageFilter* filter : fFilters)
        delete filter;
}

status_t BHandler::Archive(BMessage* into, bool deep) const
{
    status_t status = BArchivable::Archive(into, deep);
    if (status == B_OK)
        status = into->AddString("class", "BHandler");
    if (status == B_OK && !fName.empty())
        status = into->AddString("_name", fName.c_str());
    return status;
}

BArchivable* BHandler::Instantiate(BMessage* archive)
{
    return validate_instantiation(archive, "BHandler") ? new BHandler(archive) : nullptr;
}

void BHandler::MessageReceived(BMessage* message)
{
    if (fNextHandler != nullptr) {
        fNextHandler->MessageReceived(message);
        return;
    }
    // Only a sender that asked for an answer hears that nobody understood; answering every
    // unhandled message would flood the application with replies nobody reads.
    if (message->IsReplyRequested())
        message->SendReply(B_MESSAGE_NOT_UNDERSTOOD);
}

void BHandler::SetName(const char* name)
{
    fName = name != nullptr ? name : "";
}

void BHandler::AddFilter(BMessageFilter* filter)
{
    if (filter == nullptr || filter->_IsOwned())
        return;
    filter->fOwnerHandler = this;
    fFilters.push_back(filter);
}

bool BHandler::RemoveFilter(BMessageFilter* filter)
{
    auto found = std::find(fFilters.begin(), fFilters.end(), filter);
    if (found == fFilters.end())
        return false;
    fFilters.erase(found);
    filter->fOwnerHandler = nullptr;
    return true;
}

bool BHandler::LockLooper()
{
    return LockLooperWithTimeout(B_INFINITE_TIMEOUT) == B_OK;
}

status_t BHandler::LockLooperWithTimeout(bigtime_t timeout)
{
    BLooper* looper = Looper();
    if (looper == nullptr)
        return B_BAD_VALUE;
    status_t status = looper->LockWithTimeout(timeout);
    if (status != B_OK)
        return status;
    // The handler may have moved to another looper while this thread waited.
    if (Looper() != looper) {
        looper->Unlock();
        return B_MISMATCHED_VALUES;
    }
    return B_OK;
}

void BHandler::UnlockLooper()
{
    if (BLooper* looper = Looper())
        looper->Unlock();
}
