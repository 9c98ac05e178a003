#include "AppTestSupport.h"
#include "LooperTestSupport.h"
#include "MessageFields.h"

#include <AppDefs.h>
#include <Looper.h>
#include <Messenger.h>
#include <OS.h>

#include <memory>

using namespace looper_test;
using app_test::quit;

namespace {

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

// Agrees to quit only when told to.
class ReluctantLooper : public BLooper {
public:
    bool QuitRequested() override { return fAgree; }
    std::atomic<bool> fAgree{false};
};

TEST(MessengerTest, AQuitRequestIsAnsweredAndAMessengerToALooperThatQuitFailsCleanly)
{
    Watchdog watchdog;
    auto* looper = new ReluctantLooper();
    ASSERT_GT(looper->Run(), 0);
    BMessenger messenger(looper);
    ASSERT_TRUE(messenger.LockTarget());
    looper->Unlock();

    // QuitRequested decides whether a quit request ends the looper; the sender hears which.
    BMessage reply;
    ASSERT_EQ(messenger.SendMessage(B_QUIT_REQUESTED, &reply), B_OK);
    EXPECT_EQ(reply.what, (uint32)B_REPLY);
    bool result = true;
    EXPECT_EQ(reply.FindBool("result", &result), B_OK);
    EXPECT_FALSE(result);
    EXPECT_TRUE(messenger.IsValid());
    looper->fAgree = true;
    ASSERT_EQ(messenger.SendMessage(B_QUIT_REQUESTED, &reply), B_OK);
    EXPECT_EQ(reply.FindBool("result", &result), B_OK);
    EXPECT_TRUE(result);

    // The looper's thread deletes it after answering.
    ASSERT_TRUE(eventually([&] { return !messenger.IsValid(); }));
    EXPECT_EQ(messenger.SendMessage('two'), (status_t)B_BAD_PORT_ID);
    EXPECT_EQ(messenger.SendMessage('thr?', &reply), (status_t)B_BAD_PORT_ID);
    EXPECT_FALSE(messenger.LockTarget());
    EXPECT_EQ(messenger.LockTargetWithTimeout(0), (status_t)B_BAD_VALUE);
    BLooper* targetLooper = looper;
    EXPECT_EQ(messenger.Target(&targetLooper), nullptr);
    EXPECT_EQ(targetLooper, nullptr);
}

// Answers 'add?' with the sum of its "a" and "b" (a second time too, to see it refused), 'ask?'
// with an offer whose answer it waits for, and 'ping' with 'echo'; asks itself on 'self',
// drops 'nop?' unanswered, keeps 'keep' (and the duty to answer it) past its dispatch, and
// holds its looper at 'hold' until the gate opens. Anything else
// goes to BLooper, which does not understand it.
class Server : public BLooper {
public:
    explicit Server(int32 capacity = 200) : BLooper("server", B_NORMAL_PRIORITY, capacity) {}

    void MessageReceived(BMessage* message) override
    {
        switch (message->what) {
        case 'add?': {
            BMessage sum(B_REPLY);
            sum.AddInt32("sum", int32_of(*message, "a") + int32_of(*message, "b"));
            fFirstReply = message->SendReply(&sum);
            fSecondReply = message->SendReply(&sum);
            break;
        }
        case 'ask?': {
            BMessage offer('offr');
            BMessage answer;
            fOfferSent = message->SendReply(&offer, &answer);
            fAnswer = answer.what;
            break;
        }
        case 'ping':
            message->SendReply('echo');
            break;
        case 'self': {
            BMessage reply;
            fSelfSend = BMessenger(this).SendMessage('self', &reply);
            break;
        }
        case 'hold':
            fHolding = true;
            fGate.Wait();
            fLateReply = message->SendReply('late');
            break;
        case 'nop?':
            break;
        case 'keep':
            fKept = DetachCurrentMessage();
            break;
        default:
            BLooper::MessageReceived(message);
        }
        fHandled++;
    }

    std::atomic<status_t> fFirstReply{B_ERROR};
    std::atomic<status_t> fSecondReply{B_ERROR};
    std::atomic<status_t> fOfferSent{B_ERROR};
    std::atomic<uint32> fAnswer{0};
    std::atomic<status_t> fSelfSend{B_OK};
    std::atomic<BMessage*> fKept{nullptr};
    Gate fGate;
    std::atomic<bool> fHolding{false};
    std::atomic<status_t> fLateReply{B_ERROR};
    std::atomic<int> fHandled{0};
};

TEST(MessengerTest, ASynchronousSendWaitsForItsOneReplyAndOthersGoToTheNamedHandler)
{
    Watchdog watchdog;
    auto* server = new Server();
    ASSERT_GT(server->Run(), 0);
    BMessenger messenger(server);

    BMessage question('add?');
    question.AddInt32("a", 40);
    question.AddInt32("b", 2);
    BMessage reply;
    ASSERT_EQ(messenger.SendMessage(&question, &reply), B_OK);
    EXPECT_EQ(reply.what, (uint32)B_REPLY);
    EXPECT_EQ(int32_of(reply, "sum"), 42);
    EXPECT_TRUE(reply.IsReply());
    EXPECT_TRUE(reply.WasDelivered());
    EXPECT_FALSE(question.WasDelivered());
    // One reply reaches a waiting sender; the message knows it has been answered. (The
    // sender may wake before the server has noted how its replies went.)
    EXPECT_TRUE(eventually([&] { return server->fSecondReply != B_ERROR; }));
    EXPECT_EQ(server->fFirstReply, B_OK);
    EXPECT_EQ(server->fSecondReply, (status_t)B_DUPLICATE_REPLY);

    // A message its handler does not understand is answered so; one that is dropped
    // unanswered still frees its sender.
    ASSERT_EQ(messenger.SendMessage('wat?', &reply), B_OK);
    EXPECT_EQ(reply.what, (uint32)B_MESSAGE_NOT_UNDERSTOOD);
    ASSERT_EQ(messenger.SendMessage('nop?', &reply), B_OK);
    EXPECT_EQ(reply.what, (uint32)B_NO_REPLY);

    // A reply can itself be answered.
    ASSERT_EQ(messenger.SendMessage('ask?', &reply), B_OK);
    EXPECT_EQ(reply.what, (uint32)'offr');
    EXPECT_TRUE(reply.IsSourceWaiting());
    EXPECT_EQ(reply.SendReply('deal'), B_OK);
    EXPECT_TRUE(eventually([&] { return server->fAnswer == 'deal'; }));
    EXPECT_EQ(server->fOfferSent, B_OK);

    // A detached message outlives its dispatch; whoever keeps it answers it later.
    std::thread asker([&] {
        BMessage question('keep');
        question.AddInt32("n", 41);
        EXPECT_EQ(messenger.SendMessage(&question, &reply), B_OK);
    });
    ASSERT_TRUE(eventually([&] { return server->fKept.load() != nullptr; }));
    std::unique_ptr<BMessage> kept(server->fKept);
    EXPECT_TRUE(kept->IsSourceWaiting());
    BMessage answer('ans!');
    answer.AddInt32("n", int32_of(*kept, "n") + 1);
    EXPECT_EQ(kept->SendReply(&answer), B_OK);
    kept.reset();
    asker.join();
    EXPECT_EQ(int32_of(reply, "n"), 42);

    // Waiting for one's own looper would wait forever.
    server->PostMessage('self');
    EXPECT_TRUE(eventually([&] { return server->fSelfSend != B_OK; }));
    EXPECT_EQ(server->fSelfSend, (status_t)B_MESSAGE_TO_SELF);

    // Without waiting, the reply goes to the handler the sender named.
    auto* client = new BLooper("client");
    RecordingHandler inbox("inbox");
    client->AddHandler(&inbox);
    ASSERT_GT(client->Run(), 0);
    EXPECT_EQ(messenger.SendMessage('ping', &inbox), B_OK);
    // PostMessage names a reply handler the same way.
    EXPECT_EQ(server->PostMessage('ping', server, &inbox), B_OK);
    EXPECT_TRUE(eventually([&] { return inbox.Count() == 2; }));
    EXPECT_EQ(inbox.Received(), (std::vector<uint32>{'echo', 'echo'}));
    quit(server);
    quit(client);
}

TEST(MessengerTest, ABusyLooperTurnsLateRepliesAwayAndHoldsSendersBack)
{
    Watchdog watchdog;
    constexpr int32 kCapacity = 5;
    auto* server = new Server(kCapacity);
    ASSERT_GT(server->Run(), 0);
    BMessenger messenger(server);
    BMessage hold('hold');
    BMessage reply;
    EXPECT_EQ(messenger.SendMessage(&hold, &reply, B_INFINITE_TIMEOUT, 20000),
              (status_t)B_TIMED_OUT);
    ASSERT_TRUE(eventually([&] { return server->fHolding.load(); }));
    for (int32 i = 0; i < kCapacity; i++)
        ASSERT_EQ(messenger.SendMessage('fill'), B_OK);

    // The queue is full: a sender gives up at once, at its timeout, or waits for room.
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
    server->fGate.Open();
    patient.join();
    EXPECT_TRUE(eventually([&] { return server->fHandled == kCapacity + 2; }));
    // The sender of 'hold' stopped waiting: the answer that comes too late is turned away.
    EXPECT_EQ(server->fLateReply, (status_t)B_BAD_PORT_ID);
    quit(server);
}

} // namespace
