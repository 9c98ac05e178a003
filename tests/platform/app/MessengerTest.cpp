#include "LooperTestSupport.h"

#include <AppDefs.h>
#include <Looper.h>
#include <Messenger.h>
#include <OS.h>

using namespace looper_test;

namespace {

void quit(BLooper* looper)
{
    ASSERT_TRUE(looper->Lock());
    looper->Quit();
}

TEST(MessengerTest, TargetsAreCheckedWhenTheMessengerIsMade)
{
    BLooper looper("looper"), other("other");
    BHandler handler("handler"), loose("loose");
    looper.AddHandler(&handler);

    status_t result = B_ERROR;
    BMessenger toHandler(&handler, nullptr, &result);
    EXPECT_EQ(result, B_OK);
    BLooper* targetLooper = nullptr;
    EXPECT_EQ(toHandler.Target(&targetLooper), &handler);
    EXPECT_EQ(targetLooper, &looper);

    BMessenger toPreferred(nullptr, &looper, &result);
    EXPECT_EQ(result, B_OK);
    EXPECT_EQ(toPreferred.Target(&targetLooper), nullptr);
    EXPECT_EQ(targetLooper, &looper);
    EXPECT_NE(toPreferred, toHandler);
    EXPECT_EQ(toPreferred, BMessenger(nullptr, &looper));

    EXPECT_FALSE(BMessenger(&loose, nullptr, &result).IsValid());
    EXPECT_EQ(result, (status_t)B_BAD_HANDLER);
    EXPECT_FALSE(BMessenger(&handler, &other, &result).IsValid());
    EXPECT_EQ(result, (status_t)B_MISMATCHED_VALUES);
    EXPECT_FALSE(BMessenger(nullptr, nullptr, &result).IsValid());
    EXPECT_EQ(result, (status_t)B_BAD_VALUE);
    // Without an application in the process no signature can be reached.
    EXPECT_FALSE(BMessenger("application/x-vnd.Nobody", -1, &result).IsValid());
    EXPECT_EQ(result, (status_t)B_BAD_VALUE);

    // A handler that leaves its looper is no longer a target.
    EXPECT_TRUE(toHandler.IsValid());
    looper.RemoveHandler(&handler);
    EXPECT_FALSE(toHandler.IsValid());
    EXPECT_EQ(toHandler.SendMessage('late'), (status_t)B_BAD_HANDLER);
    EXPECT_TRUE(toPreferred.IsValid());
}

TEST(MessengerTest, AMessengerToALooperThatQuitFailsCleanly)
{
    Watchdog watchdog;
    std::atomic<bool> deleted{false};
    auto* looper = new RecordingLooper(&deleted);
    ASSERT_GT(looper->Run(), 0);
    BMessenger messenger(looper);
    EXPECT_TRUE(messenger.IsValid());
    EXPECT_TRUE(messenger.IsTargetLocal());
    EXPECT_EQ(messenger.SendMessage('one'), B_OK);
    ASSERT_TRUE(messenger.LockTarget());
    looper->Quit();
    ASSERT_TRUE(deleted);

    EXPECT_FALSE(messenger.IsValid());
    EXPECT_EQ(messenger.SendMessage('two'), (status_t)B_BAD_PORT_ID);
    BMessage reply;
    EXPECT_EQ(messenger.SendMessage('thr?', &reply), (status_t)B_BAD_PORT_ID);
    EXPECT_FALSE(messenger.LockTarget());
    EXPECT_EQ(messenger.LockTargetWithTimeout(0), (status_t)B_BAD_VALUE);
    BLooper* targetLooper = looper;
    EXPECT_EQ(messenger.Target(&targetLooper), nullptr);
    EXPECT_EQ(targetLooper, nullptr);
}

// Answers 'add?' with the sum of its "a" and "b"; takes no notice of anything else but
// 'nop?', which it neither answers nor passes on.
class Adder : public BLooper {
public:
    void MessageReceived(BMessage* message) override
    {
        if (message->what == 'nop?')
            return;
        if (message->what != 'add?') {
            BLooper::MessageReceived(message);
            return;
        }
        int32 a = 0, b = 0;
        message->FindInt32("a", &a);
        message->FindInt32("b", &b);
        BMessage sum(B_REPLY);
        sum.AddInt32("sum", a + b);
        fFirstReply = message->SendReply(&sum);
        fSecondReply = message->SendReply(&sum);
    }

    std::atomic<status_t> fFirstReply{B_ERROR};
    std::atomic<status_t> fSecondReply{B_ERROR};
};

TEST(MessengerTest, ASynchronousSendWaitsForTheReply)
{
    Watchdog watchdog;
    auto* adder = new Adder();
    ASSERT_GT(adder->Run(), 0);
    BMessenger messenger(adder);

    BMessage question('add?');
    question.AddInt32("a", 40);
    question.AddInt32("b", 2);
    BMessage reply;
    ASSERT_EQ(messenger.SendMessage(&question, &reply), B_OK);
    int32 sum = 0;
    EXPECT_EQ(reply.what, (uint32)B_REPLY);
    EXPECT_EQ(reply.FindInt32("sum", &sum), B_OK);
    EXPECT_EQ(sum, 42);
    EXPECT_TRUE(reply.IsReply());
    EXPECT_TRUE(reply.WasDelivered());
    EXPECT_FALSE(question.WasDelivered());
    // One reply reaches a waiting sender; the message knows it has been answered. (The
    // sender may wake before the adder has noted how its replies went.)
    EXPECT_TRUE(eventually([&] { return adder->fSecondReply != B_ERROR; }));
    EXPECT_EQ(adder->fFirstReply, B_OK);
    EXPECT_EQ(adder->fSecondReply, (status_t)B_DUPLICATE_REPLY);

    // A message its handler does not understand is answered so; one that is dropped
    // unanswered still frees its sender.
    ASSERT_EQ(messenger.SendMessage('wat?', &reply), B_OK);
    EXPECT_EQ(reply.what, (uint32)B_MESSAGE_NOT_UNDERSTOOD);
    ASSERT_EQ(messenger.SendMessage('nop?', &reply), B_OK);
    EXPECT_EQ(reply.what, (uint32)B_NO_REPLY);
    quit(adder);
}

// Holds up its looper at 'hold' until the gate opens, then answers what it held.
class Holder : public BLooper {
public:
    explicit Holder(int32 capacity = 200) : BLooper("holder", B_NORMAL_PRIORITY, capacity) {}

    void MessageReceived(BMessage* message) override
    {
        if (message->what == 'hold') {
            fHolding = true;
            fGate.Wait();
            fLateReply = message->SendReply('late');
        }
        fHandled++;
    }

    Gate fGate;
    std::atomic<bool> fHolding{false};
    std::atomic<status_t> fLateReply{B_ERROR};
    std::atomic<int> fHandled{0};
};

TEST(MessengerTest, AReplyThatComesTooLateIsTurnedAway)
{
    Watchdog watchdog;
    auto* holder = new Holder();
    ASSERT_GT(holder->Run(), 0);
    BMessage hold('hold');
    BMessage reply;
    EXPECT_EQ(BMessenger(holder).SendMessage(&hold, &reply, B_INFINITE_TIMEOUT, 20000),
              (status_t)B_TIMED_OUT);
    holder->fGate.Open();
    EXPECT_TRUE(eventually([&] { return holder->fHandled == 1; }));
    EXPECT_EQ(holder->fLateReply, (status_t)B_BAD_PORT_ID);
    quit(holder);
}

TEST(MessengerTest, AFullQueueMakesSendersWaitOrGiveUp)
{
    Watchdog watchdog;
    constexpr int32 kCapacity = 5;
    auto* holder = new Holder(kCapacity);
    ASSERT_GT(holder->Run(), 0);
    BMessenger messenger(holder);
    ASSERT_EQ(messenger.SendMessage('hold'), B_OK);
    ASSERT_TRUE(eventually([&] { return holder->fHolding.load(); }));
    for (int32 i = 0; i < kCapacity; i++)
        ASSERT_EQ(messenger.SendMessage('fill'), B_OK);

    BMessage extra('xtra');
    EXPECT_EQ(messenger.SendMessage(&extra, (BHandler*)nullptr, 0), (status_t)B_WOULD_BLOCK);
    EXPECT_EQ(messenger.SendMessage(&extra, (BHandler*)nullptr, 20000), (status_t)B_TIMED_OUT);
    std::atomic<bool> sent{false};
    std::thread patient([&] {
        EXPECT_EQ(messenger.SendMessage(&extra), B_OK);
        sent = true;
    });
    std::this_thread::sleep_for(20ms);
    EXPECT_FALSE(sent);
    holder->fGate.Open();
    patient.join();
    EXPECT_TRUE(eventually([&] { return holder->fHandled == kCapacity + 2; }));
    quit(holder);
}

TEST(MessengerTest, SendingSynchronouslyToOnesOwnLooperIsRefused)
{
    Watchdog watchdog;
    struct SelfAsker : public BLooper {
        void MessageReceived(BMessage*) override
        {
            BMessage reply;
            fResult = BMessenger(this).SendMessage('self', &reply);
        }
        std::atomic<status_t> fResult{B_OK};
    };
    auto* looper = new SelfAsker();
    ASSERT_GT(looper->Run(), 0);
    looper->PostMessage('go!!');
    EXPECT_TRUE(eventually([&] { return looper->fResult != B_OK; }));
    EXPECT_EQ(looper->fResult, (status_t)B_MESSAGE_TO_SELF);
    quit(looper);
}

// Answers every message to the return address, and records what it gets.
class Echo : public RecordingHandler {
public:
    void MessageReceived(BMessage* message) override
    {
        RecordingHandler::MessageReceived(message);
        if (!message->IsReply())
            message->SendReply('echo');
    }
};

TEST(MessengerTest, RepliesGoToTheHandlerTheSenderNamed)
{
    Watchdog watchdog;
    auto* server = new BLooper("server");
    auto* client = new BLooper("client");
    Echo echo;
    RecordingHandler inbox("inbox");
    server->AddHandler(&echo);
    client->AddHandler(&inbox);
    ASSERT_GT(server->Run(), 0);
    ASSERT_GT(client->Run(), 0);

    EXPECT_EQ(BMessenger(&echo).SendMessage('ping', &inbox), B_OK);
    ASSERT_TRUE(eventually([&] { return inbox.Count() == 1; }));
    EXPECT_EQ(inbox.Received(), std::vector<uint32>{'echo'});
    // PostMessage names a reply handler the same way.
    EXPECT_EQ(server->PostMessage('pong', &echo, &inbox), B_OK);
    ASSERT_TRUE(eventually([&] { return inbox.Count() == 2; }));
    quit(server);
    quit(client);
}

// Answers 'ask?' and waits for the answer to its answer.
class Negotiator : public BLooper {
public:
    void MessageReceived(BMessage* message) override
    {
        BMessage offer('offr');
        BMessage answer;
        fSent = message->SendReply(&offer, &answer);
        fAnswer = answer.what;
    }
    std::atomic<status_t> fSent{B_ERROR};
    std::atomic<uint32> fAnswer{0};
};

TEST(MessengerTest, AReplyCanItselfBeAnswered)
{
    Watchdog watchdog;
    auto* negotiator = new Negotiator();
    ASSERT_GT(negotiator->Run(), 0);
    BMessage offer;
    ASSERT_EQ(BMessenger(negotiator).SendMessage('ask?', &offer), B_OK);
    EXPECT_EQ(offer.what, (uint32)'offr');
    EXPECT_TRUE(offer.IsSourceWaiting());
    EXPECT_EQ(offer.SendReply('deal'), B_OK);
    EXPECT_TRUE(eventually([&] { return negotiator->fAnswer == 'deal'; }));
    EXPECT_EQ(negotiator->fSent, B_OK);
    quit(negotiator);
}

} // namespace
