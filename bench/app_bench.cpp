// How many messages a looper takes in a second: posted with PostMessage, sent through a
// messenger, from one thread or several, and how long a synchronous round trip takes. Every
// timing includes the looper's thread handling the messages, not only queuing them.

#include <AppDefs.h>
#include <Looper.h>
#include <Message.h>
#include <Messenger.h>

#include <benchmark/benchmark.h>

#include <atomic>
#include <thread>

namespace {

// Counts what it handles and answers what asks for an answer.
class Counter : public BLooper {
public:
    Counter() : BLooper("counter") {}

    void MessageReceived(BMessage* message) override
    {
        if (message->IsSourceWaiting())
            message->SendReply(B_REPLY);
        fHandled.fetch_add(1, std::memory_order_release);
    }

    void WaitFor(int64 count) const
    {
        while (fHandled.load(std::memory_order_acquire) < count)
            std::this_thread::yield();
    }

    std::atomic<int64> fHandled{0};
};

Counter* start_counter()
{
    auto* counter = new Counter();
    counter->Run();
    return counter;
}

void stop(Counter* counter)
{
    counter->Lock();
    counter->Quit();
}

// A message as the interface kit sends them: a command and a few fields.
BMessage typical_message()
{
    BMessage message('tick');
    message.AddInt32("buttons", 1);
    message.AddInt32("clicks", 1);
    message.AddInt64("when", 123456789);
    return message;
}

void BM_PostMessage(benchmark::State& state)
{
    Counter* counter = start_counter();
    BMessage message = state.range(0) == 0 ? BMessage('tick') : typical_message();
    int64 posted = 0;
    for (auto _ : state) {
        counter->PostMessage(&message);
        posted++;
    }
    counter->WaitFor(posted);
    state.SetItemsProcessed(posted);
    stop(counter);
}
BENCHMARK(BM_PostMessage)->Arg(0)->Arg(1)->ArgNames({"fields"})->UseRealTime();

void BM_PostCommand(benchmark::State& state)
{
    Counter* counter = start_counter();
    int64 posted = 0;
    for (auto _ : state) {
        counter->PostMessage('tick');
        posted++;
    }
    counter->WaitFor(posted);
    state.SetItemsProcessed(posted);
    stop(counter);
}
BENCHMARK(BM_PostCommand)->UseRealTime();

void BM_SendMessage(benchmark::State& state)
{
    Counter* counter = start_counter();
    BMessenger messenger(counter);
    BMessage message('tick');
    int64 sent = 0;
    for (auto _ : state) {
        messenger.SendMessage(&message);
        sent++;
    }
    counter->WaitFor(sent);
    state.SetItemsProcessed(sent);
    stop(counter);
}
BENCHMARK(BM_SendMessage)->UseRealTime();

// Several threads post to one looper at once.
void BM_PostMessageFromThreads(benchmark::State& state)
{
    static Counter* counter = nullptr;
    if (state.thread_index() == 0)
        counter = start_counter();
    BMessage message('tick');
    int64 posted = 0;
    for (auto _ : state) {
        counter->PostMessage(&message);
        posted++;
    }
    state.SetItemsProcessed(posted);
    // Every thread has stopped posting once the timing ends; quitting from here handles what
    // is still queued first. The queue never holds more than its capacity, so the rate
    // measured is the rate at which the looper handles messages.
    if (state.thread_index() == 0)
        stop(counter);
}
BENCHMARK(BM_PostMessageFromThreads)->Threads(2)->Threads(4)->UseRealTime();

void BM_SynchronousRoundTrip(benchmark::State& state)
{
    Counter* counter = start_counter();
    BMessenger messenger(counter);
    BMessage message('ask?');
    BMessage reply;
    for (auto _ : state)
        messenger.SendMessage(&message, &reply);
    state.SetItemsProcessed(state.iterations());
    stop(counter);
}
BENCHMARK(BM_SynchronousRoundTrip)->UseRealTime();

} // namespace

BENCHMARK_MAIN();
