// How long each stage of a conversion takes on a song of a million notes (16 tracks, 16
// channels, running status, tempo changes, controllers), and how much memory the whole
// conversion needs at its peak.
//
// The stages are timed on their own, each on fresh input prepared outside the timing. The
// whole conversion runs in a child process, so that its peak resident size is its own.

#include "app/CadenzoView.h"
#include "convert/MergeTracks.h"
#include "smf/SMF.h"

#include "SongGenerator.h"

#include <DataIO.h>
#include <Entry.h>

#include <benchmark/benchmark.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

namespace {

const std::vector<uint8_t>& song()
{
    static const std::vector<uint8_t> bytes = generate_song(SongShape{});
    return bytes;
}

// A conversion's state up to the passes, built outside the timed region.
struct Prepared {
    TSMF file;
    TEventMap source;
    TEventMap destination;
};

void load(Prepared& state)
{
    BMemoryIO stream(song().data(), song().size());
    if (state.file.Load(&stream) != 0)
        abort();
}

void BM_Load(benchmark::State& benchmarkState)
{
    for (auto _ : benchmarkState) {
        auto* state = new Prepared;
        load(*state);
        benchmarkState.PauseTiming();
        delete state;
        benchmarkState.ResumeTiming();
    }
    benchmarkState.SetBytesProcessed((int64_t)benchmarkState.iterations() * song().size());
}

void BM_Merge(benchmark::State& benchmarkState)
{
    for (auto _ : benchmarkState) {
        benchmarkState.PauseTiming();
        auto* state = new Prepared;
        load(*state);
        benchmarkState.ResumeTiming();
        merge_tracks(state->file, &state->source);
        benchmarkState.PauseTiming();
        benchmarkState.counters["events"] = (double)state->source.size();
        delete state;
        benchmarkState.ResumeTiming();
    }
}

// Loading and merging as the conversion does them: each track chunk decoded straight into the
// merged map.
void load_merged(Prepared& state)
{
    BMemoryIO stream(song().data(), song().size());
    if (load_merged(&stream, &state.file, &state.source) != 0)
        abort();
}

void BM_LoadMerged(benchmark::State& benchmarkState)
{
    for (auto _ : benchmarkState) {
        auto* state = new Prepared;
        load_merged(*state);
        benchmarkState.PauseTiming();
        benchmarkState.counters["events"] = (double)state->source.size();
        delete state;
        benchmarkState.ResumeTiming();
    }
}

void BM_Passes(benchmark::State& benchmarkState)
{
    TCadenzoView view(BRect(), "bench");
    for (auto _ : benchmarkState) {
        benchmarkState.PauseTiming();
        auto* state = new Prepared;
        load_merged(*state);
        benchmarkState.ResumeTiming();
        view.ConvertChannelIndependentEvents(state->source, &state->destination);
        view.ConvertChannelEvents(state->source, &state->destination);
        view.ConvertNoteOnEvents(state->source, &state->destination);
        state->source.clear();
        view.RemoveRedundantNoteOnEvents(&state->destination);
        view.RemoveHastyNoteOffEvents(&state->destination);
        view.RemoveHeadSilence(&state->destination);
        view.AddConverterVersion(&state->destination);
        view.AddEndOfTrack(&state->destination, state->file.TimeBase());
        benchmarkState.PauseTiming();
        benchmarkState.counters["output_events"] = (double)state->destination.size();
        delete state;
        benchmarkState.ResumeTiming();
    }
}

void BM_Save(benchmark::State& benchmarkState)
{
    TCadenzoView view(BRect(), "bench");
    auto* state = new Prepared;
    load_merged(*state);
    view.ConvertChannelIndependentEvents(state->source, &state->destination);
    view.ConvertChannelEvents(state->source, &state->destination);
    view.ConvertNoteOnEvents(state->source, &state->destination);
    view.AddEndOfTrack(&state->destination, state->file.TimeBase());
    TSMF output;
    output.SetFormat(0);
    output.SetTimeBase(state->file.TimeBase());
    auto* track = new TSMFTrack;
    track->fEventMap = std::move(state->destination);
    output.AddTrack(track);
    size_t bytes = 0;
    for (auto _ : benchmarkState) {
        BMallocIO stream;
        if (output.Save(&stream) != 0)
            abort();
        bytes = stream.BufferLength();
    }
    benchmarkState.counters["output_bytes"] = (double)bytes;
    output.Clear();
    delete state;
}

BENCHMARK(BM_Load)->Unit(benchmark::kMillisecond)->Iterations(5);
BENCHMARK(BM_Merge)->Unit(benchmark::kMillisecond)->Iterations(5);
BENCHMARK(BM_LoadMerged)->Unit(benchmark::kMillisecond)->Iterations(5);
BENCHMARK(BM_Passes)->Unit(benchmark::kMillisecond)->Iterations(5);
BENCHMARK(BM_Save)->Unit(benchmark::kMillisecond)->Iterations(5);

// Converts the song from a file into a ".fem" file beside it, in a child process, and reports
// the wall time and the child's peak resident size.
void measure_whole_conversion(int runs)
{
    char folder[] = "/tmp/convert_bench.XXXXXX";
    if (mkdtemp(folder) == nullptr) {
        perror("mkdtemp");
        return;
    }
    const std::string source = std::string(folder) + "/song.mid";
    FILE* file = fopen(source.c_str(), "wb");
    fwrite(song().data(), 1, song().size(), file);
    fclose(file);
    printf("\nWhole conversion of %s (%zu bytes):\n", source.c_str(), song().size());

    for (int run = 0; run < runs; run++) {
        auto start = std::chrono::steady_clock::now();
        pid_t child = fork();
        if (child == 0) {
            TCadenzoView view(BRect(), "bench");
            _exit(view.Convert(entry_ref(folder, "song.mid")) == 0 ? 0 : 1);
        }
        int status;
        struct rusage usage;
        wait4(child, &status, 0, &usage);
        double seconds =
            std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
        printf("  run %d: %s, %.3f s, peak resident %.1f MB\n", run + 1,
               WIFEXITED(status) && WEXITSTATUS(status) == 0 ? "converted" : "FAILED", seconds,
               usage.ru_maxrss / 1024.0);
    }
    FILE* output = fopen((std::string(folder) + "/song.fem").c_str(), "rb");
    if (output != nullptr) {
        fseek(output, 0, SEEK_END);
        printf("  output: %ld bytes\n", ftell(output));
        fclose(output);
    }
    std::string cleanup = std::string("rm -rf ") + folder;
    if (system(cleanup.c_str()) != 0)
        perror("rm");
}

} // namespace

int main(int argc, char** argv)
{
    benchmark::Initialize(&argc, argv);
    measure_whole_conversion(3);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
