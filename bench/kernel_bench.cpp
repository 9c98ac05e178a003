// How long a record takes to go through a port: written and read back within one process, sent
// to another thread and back, and sent to another process and back (the echo is this program
// run again with --echo). Records of 0 bytes to 1 MiB.

#include <OS.h>

#include <benchmark/benchmark.h>

#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstring>
#include <string>
#include <vector>

extern char** environ;

namespace {

constexpr int32 kQuit = 'quit';
constexpr bigtime_t kPatience = 10000000;

std::vector<uint8>& buffer()
{
    static std::vector<uint8> bytes(B_MAX_PORT_RECORD_SIZE);
    return bytes;
}

// Reads each record of `from` and writes it to `to`, until a kQuit record.
void echo(port_id from, port_id to)
{
    std::vector<uint8> bytes(B_MAX_PORT_RECORD_SIZE);
    for (;;) {
        int32 code;
        ssize_t size = read_port(from, &code, bytes.data(), bytes.size());
        if (size < 0 || code == kQuit)
            return;
        if (write_port(to, code, bytes.data(), static_cast<size_t>(size)) != B_OK)
            return;
    }
}

int runEcho(const char* name, const char* back)
{
    port_id mine = create_port(1, name);
    port_id answer = find_port(back);
    if (mine < 0 || answer < 0)
        return 1;
    echo(mine, answer);
    return 0;
}

// Sends a record of the benchmark's size through `there` and waits for it on `back`.
void roundTrips(benchmark::State& state, port_id there, port_id back)
{
    std::vector<uint8> record(static_cast<size_t>(state.range(0)), 0x42);
    for (auto _ : state) {
        if (write_port(there, 1, record.data(), record.size()) != B_OK ||
            read_port_etc(back, nullptr, buffer().data(), buffer().size(), B_RELATIVE_TIMEOUT,
                          kPatience) != state.range(0)) {
            state.SkipWithError("the record did not come back");
            break;
        }
    }
    state.SetBytesProcessed(state.iterations() * state.range(0) * 2);
}

void BM_WriteThenRead(benchmark::State& state)
{
    port_id port = create_port(1, nullptr);
    roundTrips(state, port, port);
    delete_port(port);
}

int32 echoThread(void* data)
{
    auto* ports = static_cast<port_id*>(data);
    echo(ports[0], ports[1]);
    return 0;
}

void BM_RoundTripToAnotherThread(benchmark::State& state)
{
    port_id ports[2] = {create_port(1, nullptr), create_port(1, nullptr)};
    thread_id thread = spawn_thread(echoThread, "echo", B_NORMAL_PRIORITY, ports);
    resume_thread(thread);
    roundTrips(state, ports[0], ports[1]);
    write_port(ports[0], kQuit, nullptr, 0);
    wait_for_thread(thread, nullptr);
    delete_port(ports[0]);
    delete_port(ports[1]);
}

void BM_RoundTripToAnotherProcess(benchmark::State& state)
{
    std::string suffix = std::to_string(getpid());
    std::string there = "kernel bench echo " + suffix;
    std::string backName = "kernel bench back " + suffix;
    port_id back = create_port(1, backName.c_str());
    std::vector<std::string> arguments = {"kernel_bench", "--echo", there, backName};
    std::vector<char*> argv;
    for (auto& argument : arguments)
        argv.push_back(argument.data());
    argv.push_back(nullptr);
    pid_t echoer;
    if (posix_spawn(&echoer, "/proc/self/exe", nullptr, nullptr, argv.data(), environ) != 0) {
        state.SkipWithError("cannot start the echo process");
        return;
    }
    port_id port = B_NAME_NOT_FOUND;
    for (bigtime_t waited = 0; port < 0 && waited < kPatience; waited += 1000) {
        snooze(1000);
        port = find_port(there.c_str());
    }
    if (port < 0)
        state.SkipWithError("the echo process did not publish its port");
    else
        roundTrips(state, port, back);
    write_port(port, kQuit, nullptr, 0);
    waitpid(echoer, nullptr, 0);
    delete_port(back);
}

BENCHMARK(BM_WriteThenRead)->Arg(0)->Arg(1024)->Arg(64 << 10)->Arg(1 << 20);
BENCHMARK(BM_RoundTripToAnotherThread)->Arg(0)->Arg(1024)->Arg(64 << 10)->Arg(1 << 20);
BENCHMARK(BM_RoundTripToAnotherProcess)->Arg(0)->Arg(1024)->Arg(64 << 10)->Arg(1 << 20);

} // namespace

int main(int argc, char** argv)
{
    if (argc == 4 && strcmp(argv[1], "--echo") == 0)
        return runEcho(argv[2], argv[3]);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
