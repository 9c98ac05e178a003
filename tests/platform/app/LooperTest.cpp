#include "AppTestSupport.h"
#include "LooperTestSupport.h"
#include "MessageFields.h"

#include <AppDefs.h>
#include <Looper.h>
#include <MessageFilter.h>
#include <MessageQueue.h>
#include <Messenger.h>
#include <OS.h>

#include <string>

using namespace looper_test;
using app_test::quit;

namespace {

// Counts, per sender, the messages that came right after the one before them.
class SequenceChecker : public BHandler {
public:
    explicit SequenceChecker(int senders) : BHandler("sequence"), fNext(senders, 0) {}

    void MessageReceived(BMessage* message) override
    {
        const int32 sender = int32_of(*message, "sender");
        const int32 sequence = int32_of(*message, "seq");
        if (sender < 0 || sender >= (int32)fNext.size() || sequence != fNext[sender])
            fOutOfOrder++;
        else
            fNext[sender]++;
        fTotal++;
    }

    std::vector<int32> fNext; // the looper's thread only
    std::atomic<int> fOutOfOrder{0};
    std::atomic<int> fTotal{0};
};

TEST(LooperTest, MessagesFromManySendersArriveInOrderAndNoneIsLost)
{
    Watchdog watchdog(std::chrono::seconds(120));
    constexpr int kSenders = 4;
    constexpr int32 kEach = 25000;
    auto* looper = new BLooper("busy");
    auto* checker = new SequenceChecker(kSenders);
    looper->AddHandler(checker);
    looper->SetPreferredHandler(checker);
    ASSERT_GT(looper->Run(), 0);

    // Half post to the looper, half send through a messenger: both paths keep order.
    std::vector<std::thread> senders;
    std::atomic<int> failures{0};
    for (int sender = 0; sender < kSenders; sender++) {
        senders.emplace_back([looper, sender, &failures] {
            BMessenger messenger(nullptr, looper);
            BMessage message('tick');
            message.AddInt32("sender", sender);
            message.AddInt32("seq", 0);
            for (int32 i = 0; i < kEach; i++) {
                message.ReplaceInt32("seq", i);
                status_t status = sender % 2 == 0 ? looper->PostMessage(&message)
                                                  : messenger.SendMessage(&message);
                if (status != B_OK)
                    failures++;
            }
        });
    }
    for (std::thread& sender : senders)
        sender.join();
    EXPECT_EQ(failures, 0);
    EXPECT_TRUE(eventually([&] { return checker->fTotal == kSenders * kEach; }));
    quit(looper);

    EXPECT_EQ(checker->fOutOfOrder, 0);
    for (int32 next : checker->fNext)
        EXPECT_EQ(next, kEach);
    EXPECT_EQ(checker->Looper(), nullptr);
    delete checker;
}

// Records everything it gets; quits on 'quit', and on 'fill' posts itself far more than a
// small queue holds.
class SelfDriven : public RecordingLooper {
public:
    using RecordingLooper::RecordingLooper;

    void MessageReceived(BMessage* message) override
    {
        RecordingLooper::MessageReceived(message);
        if (message->what == 'quit')
            Quit();
        for (int i = 0; message->what == 'fill' && i < 100; i++)
            PostMessage('more');
    }
};

// A queue past its capacity grows; when its oldest messages have wrapped round the end of the
// ring by then, they must still come out first.
TEST(LooperTest, QueueGrowingWhileWrappedKeepsTheOrder)
{
    BMessageQueue queue(2);
    std::string order;
    auto take = [&] {
        BMessage* message = nullptr;
        int32 target = 0;
        ASSERT_TRUE(queue.NextMessage(&message, &target));
        order += std::to_string(message->what);
        delete message;
    };
    for (uint32 what = 1; what <= 3; what++)
        ASSERT_EQ(queue.AddMessage(new BMessage(what), 0, 0, true), B_OK);
    take();
    for (uint32 what = 4; what <= 7; what++)
        ASSERT_EQ(queue.AddMessage(new BMessage(what), 0, 0, true), B_OK);
    while (!queue.IsEmpty())
        take();
    EXPECT_EQ(order, "1234567");
}

TEST(LooperTest, RunStartsTheLoopOnItsOwnThreadAndQuitFromElsewhereFinishesWhatCameBefore)
{
    Watchdog watchdog;
    std::atomic<bool> deleted{false};
    auto* looper = new SelfDriven(&deleted, 10);
    RecordingHandler handler;
    looper->AddHandler(&handler);
    // Locked by the thread that made it, until Run().
    EXPECT_TRUE(looper->IsLocked());
    thread_id fromOther = 0;
    std::thread([&] { fromOther = looper->Run(); }).join();
    EXPECT_EQ(fromOther, B_NOT_ALLOWED);

    thread_id thread = looper->Run();
    ASSERT_GT(thread, 0);
    // A looper posting to itself never waits for room: it alone empties its queue.
    looper->PostMessage('fill');
    EXPECT_TRUE(eventually([&] { return looper->Received().size() == 101; }));
    EXPECT_EQ(looper->Thread(), thread);
    EXPECT_NE(thread, find_thread(nullptr));
    EXPECT_EQ(BLooper::LooperForThread(thread), looper);
    EXPECT_FALSE(looper->IsLocked());
    ASSERT_TRUE(looper->Lock());
    ASSERT_TRUE(looper->Lock());
    EXPECT_EQ(looper->Run(), B_ALREADY_RUNNING);
    for (int i = 0; i < 10; i++)
        looper->PostMessage('befr', &handler);
    // Every lock this thread held goes with the looper.
    looper->Quit();
    EXPECT_TRUE(deleted);
    EXPECT_EQ(handler.Count(), 10u);
    EXPECT_EQ(handler.Looper(), nullptr);
    EXPECT_EQ(BLooper::LooperForThread(thread), nullptr);

    // A looper that never ran is deleted at once.
    deleted = false;
    auto* idle = new RecordingLooper(&deleted);
    idle->PostMessage('left');
    idle->Quit();
    EXPECT_TRUE(deleted);
}

// Notes, for each message, how the lock stood while it was dispatched.
class LockProbe : public BLooper {
public:
    explicit LockProbe(std::atomic<bool>* outsiderInside) : fOutsiderInside(outsiderInside) {}

    void MessageReceived(BMessage* message) override
    {
        if (*fOutsiderInside)
            fOverlaps++;
        if (!IsLocked() || LockingThread() != find_thread(nullptr) || CurrentMessage() != message)
            fWrongState++;
        fHandled++;
    }

    std::atomic<bool>* fOutsiderInside;
    std::atomic<int> fOverlaps{0};
    std::atomic<int> fWrongState{0};
    std::atomic<int> fHandled{0};
};

TEST(LooperTest, LockIsRecursiveTimesOutForOtherThreadsAndHoldsDispatchOff)
{
    Watchdog watchdog;
    std::atomic<bool> inside{false};
    auto* looper = new LockProbe(&inside);
    ASSERT_GT(looper->Run(), 0);
    ASSERT_TRUE(looper->Lock());
    ASSERT_TRUE(looper->Lock());
    EXPECT_EQ(looper->CountLocks(), 2);
    EXPECT_EQ(looper->LockingThread(), find_thread(nullptr));

    status_t other = B_OK;
    bool otherHolds = true;
    std::thread([&] {
        other = looper->LockWithTimeout(20000);
        otherHolds = looper->IsLocked();
    }).join();
    EXPECT_EQ(other, B_TIMED_OUT);
    EXPECT_FALSE(otherHolds);

    looper->Unlock();
    EXPECT_TRUE(looper->IsLocked());
    EXPECT_EQ(looper->CountLocks(), 1);
    looper->Unlock();
    EXPECT_FALSE(looper->IsLocked());
    std::thread([&] {
        other = looper->LockWithTimeout(5000000);
        if (other == B_OK)
            looper->Unlock();
    }).join();
    EXPECT_EQ(other, B_OK);

    // While another thread holds the lock, nothing is dispatched.
    constexpr int kRounds = 20;
    for (int round = 0; round < kRounds; round++) {
        ASSERT_TRUE(looper->Lock());
        inside = true;
        looper->PostMessage('prob');
        std::this_thread::sleep_for(2ms);
        inside = false;
        looper->Unlock();
    }
    EXPECT_TRUE(eventually([&] { return looper->fHandled == kRounds; }));
    EXPECT_EQ(looper->fOverlaps, 0);
    EXPECT_EQ(looper->fWrongState, 0);
    quit(looper);
}

TEST(LooperTest, MessagesGoToTheirHandlerElseThePreferredOneElseTheLooper)
{
    Watchdog watchdog;
    auto* looper = new RecordingLooper();
    RecordingHandler named("named"), preferred("preferred"), next("next");
    looper->AddHandler(&named);
    looper->AddHandler(&preferred);
    looper->AddHandler(&next);
    BLooper other("other");
    RecordingHandler stranger("stranger");
    other.AddHandler(&stranger);
    EXPECT_EQ(looper->PostMessage('strg', &stranger), B_MISMATCHED_VALUES);
    EXPECT_EQ(looper->CountHandlers(), 4);
    EXPECT_EQ(looper->HandlerAt(0), looper);
    ASSERT_GT(looper->Run(), 0);

    // With no preferred handler the looper takes what is not addressed.
    looper->PostMessage('self');
    ASSERT_TRUE(eventually([&] { return looper->Received().size() == 1; }));

    // A plain BHandler passes what it does not handle to the next handler.
    BHandler chained("chained");
    chained.SetNextHandler(&next);
    ASSERT_TRUE(looper->Lock());
    looper->AddHandler(&chained);
    looper->SetPreferredHandler(&preferred);
    looper->PostMessage('pref');
    looper->PostMessage('name', &named);
    looper->PostMessage('chin', &chained);
    looper->Unlock();
    ASSERT_TRUE(eventually([&] { return named.Count() == 1; }));

    // A message for a handler that has left by the time of dispatch is dropped.
    ASSERT_TRUE(looper->Lock());
    looper->PostMessage('gone', &named);
    EXPECT_TRUE(looper->RemoveHandler(&named));
    looper->PostMessage('last', looper);
    looper->Unlock();

    EXPECT_TRUE(eventually([&] { return looper->Received().size() == 2; }));
    EXPECT_EQ(looper->Received(), (std::vector<uint32>{'self', 'last'}));
    EXPECT_EQ(preferred.Received(), std::vector<uint32>{'pref'});
    EXPECT_EQ(named.Received(), std::vector<uint32>{'name'});
    EXPECT_EQ(next.Received(), std::vector<uint32>{'chin'});
    quit(looper);
    EXPECT_EQ(preferred.Looper(), nullptr);
    other.RemoveHandler(&stranger);
}

// Logs "name:command" each time it is asked, then does what it was built to do; counts its
// deletions.
class LoggingFilter : public BMessageFilter {
public:
    LoggingFilter(std::vector<std::string>* log, std::string name, BMessageFilter selection,
                  filter_result result = B_DISPATCH_MESSAGE, BHandler* redirect = nullptr)
        : BMessageFilter(selection), fLog(log), fName(std::move(name)), fResult(result),
          fRedirect(redirect)
    {
    }
    ~LoggingFilter() override { sDeletions++; }

    filter_result Filter(BMessage* message, BHandler** target) override
    {
        const uint32 what = message->what;
        const char code[] = {(char)(what >> 24), (char)(what >> 16), (char)(what >> 8), (char)what};
        fLog->push_back(fName + ":" + std::string(code, sizeof(code)));
        if (fRedirect != nullptr)
            *target = fRedirect;
        return fResult;
    }

    static inline std::atomic<int> sDeletions{0};

private:
    std::vector<std::string>* fLog;
    std::string fName;
    filter_result fResult;
    BHandler* fRedirect;
};

const BMessageFilter kAnything(B_ANY_DELIVERY, B_ANY_SOURCE);

filter_result skip_everything(BMessage*, BHandler**, BMessageFilter*)
{
    return B_SKIP_MESSAGE;
}

TEST(LooperTest, CommonFiltersRunFirstAndFiltersSelectSkipOrRedirect)
{
    Watchdog watchdog;
    std::vector<std::string> log; // the looper's thread writes it until it has quit
    LoggingFilter::sDeletions = 0;
    auto* looper = new RecordingLooper();
    auto* first = new RecordingHandler("first");
    auto* second = new RecordingHandler("second");
    BLooper elsewhere("elsewhere");
    RecordingHandler outsider("outsider");
    elsewhere.AddHandler(&outsider);
    looper->AddHandler(first);
    looper->AddHandler(second);
    looper->AddCommonFilter(new LoggingFilter(&log, "common", kAnything));
    // These select by command, source and delivery: only 'data' and 'hook' concern them.
    looper->AddCommonFilter(
        new LoggingFilter(&log, "remote", BMessageFilter(B_ANY_DELIVERY, B_REMOTE_SOURCE)));
    looper->AddCommonFilter(
        new LoggingFilter(&log, "local", BMessageFilter(B_ANY_DELIVERY, B_LOCAL_SOURCE, 'data')));
    looper->AddCommonFilter(
        new LoggingFilter(&log, "dropped", BMessageFilter(B_DROPPED_DELIVERY, B_ANY_SOURCE)));
    looper->AddCommonFilter(new LoggingFilter(
        &log, "programmed", BMessageFilter(B_PROGRAMMED_DELIVERY, B_ANY_SOURCE, 'data')));
    // A hook stands in for Filter(): this one drops 'hook' and nothing else.
    looper->AddCommonFilter(
        new LoggingFilter(&log, "never", BMessageFilter('hook', skip_everything)));
    first->AddFilter(new LoggingFilter(&log, "skip", BMessageFilter('skip'), B_SKIP_MESSAGE));
    first->AddFilter(
        new LoggingFilter(&log, "redirect", BMessageFilter('redr'), B_DISPATCH_MESSAGE, second));
    first->AddFilter(
        new LoggingFilter(&log, "away", BMessageFilter('away'), B_DISPATCH_MESSAGE, &outsider));
    second->AddFilter(new LoggingFilter(&log, "second", kAnything));
    // Taken back before the looper runs: it is no longer asked, nor deleted by the handler.
    auto* removed = new LoggingFilter(&log, "removed", kAnything);
    first->AddFilter(removed);
    EXPECT_TRUE(first->RemoveFilter(removed));
    EXPECT_EQ(removed->Looper(), nullptr);
    ASSERT_GT(looper->Run(), 0);

    for (uint32 what : {'plan', 'skip', 'redr', 'away'})
        looper->PostMessage(what, first);
    BMessage data('data');
    looper->PostMessage(&data);
    looper->PostMessageFrom(&data, B_ORIGIN_REMOTE);
    looper->PostMessageFrom(&data, B_ORIGIN_DROPPED);
    looper->PostMessage('hook');
    looper->PostMessage('last');
    EXPECT_TRUE(eventually([&] { return looper->Received().size() == 4; }));
    EXPECT_EQ(looper->Received(), (std::vector<uint32>{'data', 'data', 'data', 'last'}));
    quit(looper);

    EXPECT_EQ(log, (std::vector<std::string>{
                       "common:plan", "common:skip", "skip:skip", "common:redr", "redirect:redr",
                       "second:redr", "common:away", "away:away", "common:data", "local:data",
                       "programmed:data", "common:data", "remote:data", "programmed:data",
                       "common:data", "local:data", "dropped:data", "common:hook", "common:last"}));
    EXPECT_EQ(first->Received(), std::vector<uint32>{'plan'});
    EXPECT_EQ(second->Received(), std::vector<uint32>{'redr'});
    EXPECT_TRUE(outsider.Received().empty());
    // The looper deleted its common filters; each handler deletes its own.
    EXPECT_EQ(LoggingFilter::sDeletions, 6);
    delete first;
    delete second;
    EXPECT_EQ(LoggingFilter::sDeletions, 10);
    delete removed;
    elsewhere.RemoveHandler(&outsider);
}

TEST(LooperTest, QuitInsideMessageReceivedDiscardsWhatIsStillQueued)
{
    Watchdog watchdog;
    std::atomic<bool> deleted{false};
    auto* looper = new SelfDriven(&deleted);
    RecordingHandler survivor("survivor");
    looper->AddHandler(&survivor);
    ASSERT_GT(looper->Run(), 0);
    BMessenger messenger(nullptr, looper);

    ASSERT_TRUE(looper->Lock());
    looper->PostMessage('quit');
    // The loop takes 'quit' from the queue, then waits for the lock.
    ASSERT_TRUE(eventually([&] { return looper->MessageQueue()->IsEmpty(); }));
    for (int i = 0; i < 100; i++)
        looper->PostMessage('left', &survivor);
    BMessage reply;
    status_t sent = B_ERROR;
    std::thread waiter([&] { sent = messenger.SendMessage('wait', &reply); });
    EXPECT_TRUE(eventually([&] { return looper->MessageQueue()->CountMessages() == 101; }));
    looper->Unlock();
    waiter.join();

    EXPECT_TRUE(eventually([&] { return deleted.load(); }));
    EXPECT_TRUE(survivor.Received().empty());
    EXPECT_EQ(survivor.Looper(), nullptr);
    // The discarded message still answered the sender that waited for it.
    EXPECT_EQ(sent, B_OK);
    EXPECT_EQ(reply.what, (uint32)B_NO_REPLY);
    EXPECT_FALSE(messenger.IsValid());
}

#ifndef NDEBUG
// Debug builds hold callers to the lock rule: changing a running looper's handlers or
// filters without its lock stops the program, naming the call.
TEST(LooperDeathTest, ChangingHandlersOrFiltersWithoutTheLockStopsTheProgram)
{
    GTEST_FLAG_SET(death_test_style, "threadsafe");
    const struct {
        const char* call;
        void (*change)(BLooper* looper, BHandler* handler);
    } cases[] = {
        {"BLooper::AddHandler",
         [](BLooper* looper, BHandler* handler) { looper->AddHandler(handler); }},
        {"BLooper::RemoveHandler",
         [](BLooper* looper, BHandler* handler) { looper->RemoveHandler(handler); }},
        {"BLooper::SetPreferredHandler",
         [](BLooper* looper, BHandler*) { looper->SetPreferredHandler(nullptr); }},
        {"BLooper::AddCommonFilter",
         [](BLooper* looper, BHandler*) {
             looper->AddCommonFilter(new BMessageFilter(B_ANY_DELIVERY, B_ANY_SOURCE));
         }},
    };
    auto* looper = new BLooper("unlocked");
    ASSERT_GT(looper->Run(), 0);
    BHandler handler("handler");
    for (const auto& each : cases)
        EXPECT_DEATH(each.change(looper, &handler), each.call) << each.call;
    quit(looper);
}
#endif

} // namespace
