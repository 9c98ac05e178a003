// How long a broadcast takes to reach the application of another process: from the call of
// BRoster::Broadcast in this process to the message arriving in MessageReceived over there.
// Both sides read the same monotonic clock, so the receiver reports the moment it got each
// message and the time is measured one way. Reported per message: the mean (the benchmark's
// own time) and the median and 99th percentile as counters.
//
// Run: build/default/bin/roster_bench
//
// The receiver is a child of this program, made before the benchmark library starts any
// thread, and the two use a runtime folder of their own so that no other application gets the
// messages.

#include <Application.h>
#include <Message.h>
#include <OS.h>
#include <Roster.h>

#include <benchmark/benchmark.h>

#include <algorithm>
#include <cerrno>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <poll.h>
#include <sys/prctl.h>
#include <sys/wait.h>
#include <unistd.h>
#include <vector>

namespace {

const uint32 kPing = 'ping';
const char kSignature[] = "application/x-vnd.roster-bench-receiver";

int sTimes = -1; // the receiver's moments of arrival, as bigtime_t

class Receiver : public BApplication {
public:
    explicit Receiver(int times) : BApplication(kSignature), fTimes(times) {}

    void ReadyToRun() override { Report(0); }

    void MessageReceived(BMessage* message) override
    {
        if (message->what == kPing)
            Report(system_time());
        else
            BApplication::MessageReceived(message);
    }

private:
    void Report(bigtime_t when)
    {
        if (write(fTimes, &when, sizeof(when)) != sizeof(when))
            _exit(1);
    }

    int fTimes;
};

[[noreturn]] void run_receiver(int times)
{
    // Ends with this program, however that ends.
    prctl(PR_SET_PDEATHSIG, SIGKILL);
    Receiver* receiver = new Receiver(times);
    receiver->Run();
    delete receiver;
    _exit(0);
}

// The receiver's next report; false when none comes within five seconds.
bool next_report(bigtime_t* when)
{
    pollfd readable{sTimes, POLLIN, 0};
    if (poll(&readable, 1, 5000) != 1)
        return false;
    return read(sTimes, when, sizeof(*when)) == sizeof(*when);
}

void add_percentiles(benchmark::State& state, std::vector<double>& latencies)
{
    if (latencies.empty())
        return;
    std::sort(latencies.begin(), latencies.end());
    state.counters["median_us"] = latencies[latencies.size() / 2] * 1e6;
    state.counters["p99_us"] = latencies[latencies.size() * 99 / 100] * 1e6;
}

void BM_BroadcastLatency(benchmark::State& state)
{
    BMessage ping(kPing);
    ping.AddString("name", "AccKeyFormat");
    ping.AddInt32("value", 1);
    std::vector<double> latencies;
    for (auto _ : state) {
        const bigtime_t sent = system_time();
        if (be_roster->Broadcast(&ping) != B_OK) {
            state.SkipWithError("Broadcast failed");
            break;
        }
        bigtime_t arrived;
        if (!next_report(&arrived)) {
            state.SkipWithError("the receiver did not report");
            break;
        }
        const double seconds = (double)(arrived - sent) / 1e6;
        state.SetIterationTime(seconds);
        latencies.push_back(seconds);
    }
    add_percentiles(state, latencies);
}
BENCHMARK(BM_BroadcastLatency)->UseManualTime()->Unit(benchmark::kMicrosecond)->MinTime(2.0);

// What the sender pays: the call alone. Each message is waited for before the next, so that
// a growing queue in the receiver does not enter into it.
void BM_BroadcastCall(benchmark::State& state)
{
    BMessage ping(kPing);
    ping.AddInt32("value", 1);
    std::vector<double> calls;
    for (auto _ : state) {
        const bigtime_t start = system_time();
        if (be_roster->Broadcast(&ping) != B_OK) {
            state.SkipWithError("Broadcast failed");
            break;
        }
        const double seconds = (double)(system_time() - start) / 1e6;
        state.SetIterationTime(seconds);
        calls.push_back(seconds);
        bigtime_t arrived;
        if (!next_report(&arrived)) {
            state.SkipWithError("the receiver did not report");
            break;
        }
    }
    add_percentiles(state, calls);
}
BENCHMARK(BM_BroadcastCall)->UseManualTime()->Unit(benchmark::kMicrosecond)->MinTime(2.0);

} // namespace

int main(int argc, char** argv)
{
    std::string folder = (std::filesystem::temp_directory_path() / "roster-bench-XXXXXX").string();
    if (mkdtemp(folder.data()) == nullptr || setenv("XDG_RUNTIME_DIR", folder.c_str(), 1) != 0) {
        perror("roster_bench: runtime folder");
        return 1;
    }
    int times[2];
    if (pipe(times) != 0) {
        perror("roster_bench: pipe");
        return 1;
    }
    const pid_t receiver = fork();
    if (receiver < 0) {
        perror("roster_bench: fork");
        return 1;
    }
    if (receiver == 0) {
        close(times[0]);
        run_receiver(times[1]);
    }
    close(times[1]);
    sTimes = times[0];

    int status = 0;
    bigtime_t ready;
    if (!next_report(&ready)) {
        fprintf(stderr, "roster_bench: the receiver did not start\n");
        status = 1;
    } else {
        benchmark::Initialize(&argc, argv);
        benchmark::RunSpecifiedBenchmarks();
        benchmark::Shutdown();
    }
    kill(receiver, SIGTERM);
    waitpid(receiver, nullptr, 0);
    std::error_code ignored;
    std::filesystem::remove_all(folder, ignored);
    return status;
}
