#include "app/Batch.h"

#include "app/CadenzoView.h"
#include "app/DroppedFiles.h"
#include "convert/MergeTracks.h"
#include "settings/Prefs.h"
#include "settings/PrefsView.h"
#include "smf/SMF.h"
#include "util/Alerts.h"
#include "util/PathUtils.h"
#include "util/SafeFile.h"

#include <DataIO.h>
#include <Entry.h>
#include <File.h>
#include <Path.h>

#include <OS.h>

#include <condition_variable>
#include <cstdio>
#include <map>
#include <mutex>
#include <new>
#include <optional>
#include <string>

namespace {

// One file of the run: the entry converted, the path the user knows it by, and where its
// output goes.
struct TJob {
    entry_ref ref;
    std::string shown;       // as named on the command line, or found in a folder named there
    std::string source;      // the full path
    std::string destination; // empty for a folder or a ".fem" file
    std::string shownDestination;
    const TJob* clash = nullptr; // an earlier file of the run with the same destination
};

void say(const std::string& line)
{
    fprintf(stderr, "cadenzo: %s\n", line.c_str());
    fflush(stderr);
}

// The alert the window would show, in the terminal's form.
void alert(const std::string& text)
{
    show_alert3(alert_caption(), text, locale_text("Understand"), "", "", -1, B_WARNING_ALERT);
}

// What the system says of status, as a terminal user reads it.
std::string cause_of(status_t status)
{
    switch (status) {
    case B_ENTRY_NOT_FOUND:
    case B_FILE_NOT_FOUND:
        return "no such file or folder";
    case B_PERMISSION_DENIED:
        return "permission denied";
    case B_IS_A_DIRECTORY:
        return "is a folder";
    case B_NOT_A_DIRECTORY:
        return "a part of the path is not a folder";
    case B_NOT_ALLOWED:
        return "not a regular file";
    case B_DEVICE_FULL:
        return "disk full (or the file size limit reached)";
    case B_READ_ONLY_DEVICE:
        return "read-only file system";
    case B_NAME_TOO_LONG:
        return "name too long";
    case B_LINK_LIMIT:
        return "too many levels of symbolic links";
    case B_NO_MEMORY:
        return "out of memory";
    case B_IO_ERROR:
        return "input/output error";
    case B_NO_MORE_FDS:
        return "too many open files";
    case B_BUSY:
        return "the file was replaced by another while this one was written";
    default:
        return "error " + std::to_string(status);
    }
}

// Why a file that opened cannot be loaded: its first bytes tell.
std::string load_failure_of(BFile& file)
{
    unsigned char header[10] = {};
    const ssize_t got = file.ReadAt(0, header, sizeof header);
    if (got < 0)
        return cause_of((status_t)got);
    if (got < 4 || std::string((const char*)header, 4) != "MThd")
        return got == 0 ? "an empty file, not a Standard MIDI File" : "not a Standard MIDI File";
    const int format = got >= 10 ? header[8] << 8 | header[9] : 0;
    if (format > 1) {
        return "a Standard MIDI File of format " + std::to_string(format) +
               ", which cannot be converted (only formats 0 and 1 can)";
    }
    return "a damaged Standard MIDI File (it ends early, or a chunk is broken)";
}

bool holds_note(const TEventMap& map)
{
    for (const TTimedEvent& timed : map) {
        if (is_note_on(timed.fEvent) && !is_note_off(timed.fEvent))
            return true;
    }
    return false;
}

std::string channel_list(const bool (&channels)[16])
{
    std::string list;
    for (int first = 0; first < 16; first++) {
        if (!channels[first])
            continue;
        int last = first;
        while (last + 1 < 16 && channels[last + 1])
            last++;
        list += (list.empty() ? "" : ",") + std::to_string(first + 1);
        if (last > first)
            list += "-" + std::to_string(last + 1);
        first = last;
    }
    return list.empty() ? "none" : list;
}

void apply_run_settings(const TBatchOptions& options, TPrefs* prefs)
{
    if (options.channels) {
        for (int channel = 0; channel < 16; channel++)
            prefs->ChMs[channel] = (*options.channels)[channel];
    }
    if (options.maxVelocity)
        prefs->MaxV = (int8)*options.maxVelocity;
    if (options.trimHead)
        prefs->TrHd = *options.trimHead;
    if (options.addTail)
        prefs->AdTl = *options.addTail;
    if (options.tailSeconds) {
        prefs->TlMg = *options.tailSeconds;
        adjust_value(&prefs->TlMg, kMinTailMargin, kMaxTailMargin);
    }
}

// The files of the run in order, each folder named replaced by the MIDI files in it.
std::vector<TJob> jobs_of(const TBatchOptions& options)
{
    std::vector<TJob> jobs;
    for (const std::string& named : options.files) {
        entry_ref ref;
        if (get_ref_for_path(named.c_str(), &ref) != B_OK) {
            // Still a job, so that its turn says why it cannot be read.
            ref = entry_ref(extract_file_folder_path_kernel(named, 0).c_str(),
                            extract_file_name(named).c_str());
        }
        const std::string folder = ref.Path();
        std::string prefix = named;
        while (prefix.size() > 1 && prefix.back() == '/')
            prefix.pop_back();
        for (const entry_ref& found : expand_folders({ref})) {
            TJob job;
            job.ref = found;
            const std::string path = found.Path();
            // A file found in a folder named is shown as found from the name given.
            const bool inside = path.size() > folder.size() && path.starts_with(folder) &&
                                path[folder.size()] == '/';
            job.shown = found == ref ? named : inside ? prefix + path.substr(folder.size()) : path;
            BPath full(&found);
            job.source = full.InitCheck() == B_OK ? full.Path() : path;
            jobs.push_back(job);
        }
    }

    std::map<std::string, const TJob*> owners;
    for (TJob& job : jobs) {
        const std::string output = reext(job.source, "fem");
        if (output == job.source || BEntry(&job.ref, false).IsDirectory())
            continue;
        if (options.outputFolder.empty()) {
            job.destination = output;
            job.shownDestination = reext(job.shown, "fem");
        } else {
            job.destination = options.outputFolder + "/" + extract_file_name(output);
            job.shownDestination = job.destination;
        }
        auto [owner, first] = owners.emplace(job.destination, &job);
        if (!first && owner->second->source != job.source)
            job.clash = owner->second;
    }
    return jobs;
}

// What converting one file came to; reported by the main thread, in the order of the files.
struct TOutcome {
    bool converted = false;
    std::string cause;                   // why not, as the system knows it
    const char* alertKey = nullptr;      // the alert that applies, if one does
    std::vector<std::string> warnings;   // before the failure, if any
    std::vector<std::string> afterwards; // after it
};

class TBatch {
public:
    explicit TBatch(const TBatchOptions& options) : fOptions(options) {}

    // Converts one file. Prints nothing and touches no shared state but the file system, so
    // that several files can be converted at once.
    TOutcome Convert(const TJob& job) const;
    // Prints what the conversion of job came to.
    static void Report(const TJob& job, const TOutcome& outcome);

private:
    static TOutcome Failed(std::string cause, const char* alertKey = nullptr)
    {
        TOutcome outcome;
        outcome.cause = std::move(cause);
        outcome.alertKey = alertKey;
        return outcome;
    }
    TOutcome Save(const TJob& job, const TSMF& output) const;

    const TBatchOptions& fOptions;
    TCadenzoView fView{BRect(0, 0, 0, 0), "CadenzoView"};
};

void TBatch::Report(const TJob& job, const TOutcome& outcome)
{
    for (const std::string& warning : outcome.warnings)
        say("warning: " + job.shown + ": " + warning);
    if (!outcome.converted) {
        say(job.shown + ": " + outcome.cause);
        if (outcome.alertKey != nullptr) {
            alert(replace_all(locale_text(outcome.alertKey), "%FolderPath%", job.ref.Path()));
        }
    }
    for (const std::string& warning : outcome.afterwards)
        say("warning: " + job.shown + ": " + warning);
}

TOutcome TBatch::Convert(const TJob& job) const
{
    if (BEntry(&job.ref, false).IsDirectory())
        return Failed("a folder without MIDI files", "@Err_No_MIDI_Files_In_Folder %FolderPath%@");
    // The alert's text tells a user of the window to drop another file: no help here.
    if (job.destination.empty())
        return Failed("already a .fem file; name the MIDI file it was made from");
    if (job.clash != nullptr && !fOptions.outputFolder.empty()) {
        return Failed(job.shownDestination + " is the output of " + job.clash->shown +
                      " in this run already; not replaced");
    }

    // The same steps, in the same order, as the window's conversion.
    TSMF source;
    TSMF output;
    bool notes = false;
    try {
        BFile file(&job.ref, B_READ_ONLY);
        if (file.InitCheck() != B_OK)
            return Failed(cause_of(file.InitCheck()), "@Err_Cannot_Load_Src_File@");
        TEventMap sourceMap;
        if (load_merged(&file, &source, &sourceMap) != 0)
            return Failed(load_failure_of(file), "@Err_Cannot_Load_Src_File@");

        TEventMap destinationMap;
        fView.ConvertChannelIndependentEvents(sourceMap, &destinationMap);
        fView.ConvertChannelEvents(sourceMap, &destinationMap);
        fView.ConvertNoteOnEvents(sourceMap, &destinationMap);
        sourceMap.clear();
        fView.RemoveRedundantNoteOnEvents(&destinationMap);
        fView.RemoveHastyNoteOffEvents(&destinationMap);
        fView.RemoveHeadSilence(&destinationMap);
        fView.AddConverterVersion(&destinationMap);
        fView.AddEndOfTrack(&destinationMap, source.TimeBase());
        notes = holds_note(destinationMap);

        output.SetFormat(0);
        output.SetTimeBase(source.TimeBase());
        auto* track = new TSMFTrack;
        track->fEventMap = std::move(destinationMap);
        output.AddTrack(track);
    } catch (const std::bad_alloc&) {
        return Failed("too large to convert in the memory there is", "@Err_Cannot_Load_Src_File@");
    }
    TOutcome outcome = Save(job, output);
    if (job.clash != nullptr) {
        outcome.warnings.push_back("replaces " + job.shownDestination + ", written from " +
                                   job.clash->shown + " in this run");
    }
    if (outcome.converted && !notes) {
        outcome.afterwards.push_back(job.shownDestination + " holds no note (channels converted: " +
                                     channel_list(gPrefs->ChMs) + ")");
    }
    return outcome;
}

TOutcome TBatch::Save(const TJob& job, const TSMF& output) const
{
    // The alerts speak of the folder beside the MIDI file: not where an output folder is.
    const bool beside = fOptions.outputFolder.empty();
    TSafeFile destination(job.destination);
    if (destination.InitCheck() != B_OK) {
        return Failed("cannot create " + job.shownDestination + ": " +
                          cause_of(destination.InitCheck()),
                      beside ? "@Err_Cannot_Open_Dest_File@" : nullptr);
    }
    // Written whole into memory first, so that the system's reason for a failed write (a
    // full disk) reaches the line that reports it.
    BMallocIO bytes;
    status_t status = output.Save(&bytes) == 0 ? B_OK : B_NO_MEMORY;
    if (status == B_OK)
        status = destination.WriteAll(bytes.Buffer(), bytes.BufferLength());
    if (status == B_OK)
        status = destination.Commit();
    if (status != B_OK) {
        return Failed("cannot write " + job.shownDestination + ": " + cause_of(status),
                      "@Err_Cannot_Save_Dest_File@");
    }
    TOutcome outcome;
    outcome.converted = true;
    return outcome;
}

// Converts the files on several threads at once. Each takes the next file not started; none
// starts one after a failure unless the run keeps going. The main thread reports the files in
// their order as their conversions end.
class TParallelRun {
public:
    TParallelRun(const TBatch& batch, const std::vector<TJob>& jobs, bool keepGoing)
        : fBatch(batch), fJobs(jobs), fKeepGoing(keepGoing), fOutcomes(jobs.size())
    {
    }

    void Start(int32 threads)
    {
        for (int32 i = 0; i < threads; i++) {
            const thread_id thread = spawn_thread(Work, "converter", B_NORMAL_PRIORITY, this);
            if (thread >= 0 && resume_thread(thread) == B_OK)
                fThreads.push_back(thread);
        }
        // Without any thread of its own the run still ends: the caller converts.
        if (fThreads.empty())
            Work(this);
    }

    // Waits for file n to start (false: it never will) and then to end.
    bool WaitForStart(size_t n)
    {
        std::unique_lock<std::mutex> lock(fLock);
        fChanged.wait(lock, [&] { return fStarted > n || fStopped; });
        return fStarted > n;
    }
    const TOutcome& WaitForEnd(size_t n)
    {
        std::unique_lock<std::mutex> lock(fLock);
        fChanged.wait(lock, [&] { return fOutcomes[n].has_value(); });
        return *fOutcomes[n];
    }

    void Join()
    {
        for (thread_id thread : fThreads) {
            status_t ignored;
            wait_for_thread(thread, &ignored);
        }
    }

private:
    static int32 Work(void* data)
    {
        auto* run = static_cast<TParallelRun*>(data);
        for (;;) {
            size_t n;
            {
                std::lock_guard<std::mutex> lock(run->fLock);
                if (run->fStopped || run->fStarted == run->fJobs.size()) {
                    run->fStopped = true;
                    run->fChanged.notify_all();
                    return 0;
                }
                n = run->fStarted++;
                run->fChanged.notify_all();
            }
            TOutcome outcome = run->fBatch.Convert(run->fJobs[n]);
            std::lock_guard<std::mutex> lock(run->fLock);
            if (!outcome.converted && !run->fKeepGoing)
                run->fStopped = true;
            run->fOutcomes[n] = std::move(outcome);
            run->fChanged.notify_all();
        }
    }

    const TBatch& fBatch;
    const std::vector<TJob>& fJobs;
    const bool fKeepGoing;
    std::mutex fLock;
    std::condition_variable fChanged;
    size_t fStarted = 0;   // files taken by a thread
    bool fStopped = false; // no file is started any more
    std::vector<std::optional<TOutcome>> fOutcomes;
    std::vector<thread_id> fThreads;
};

void show_progress(const TBatchOptions& options, size_t n, const std::vector<TJob>& jobs)
{
    if (options.quiet)
        return;
    printf("%s [%zu/%zu] %s\n", locale_text("Converting...").c_str(), n + 1, jobs.size(),
           jobs[n].ref.name.c_str());
    fflush(stdout);
}

} // namespace

int convert_files(const TBatchOptions& options)
{
    if (!options.outputFolder.empty() &&
        !BEntry(options.outputFolder.c_str(), true).IsDirectory()) {
        say(options.outputFolder + ": the output folder is not there");
        return 2;
    }
    apply_run_settings(options, gPrefs);

    const std::vector<TJob> jobs = jobs_of(options);
    TBatch batch(options);
    size_t converted = 0;
    std::vector<const TJob*> failed;
    size_t next = 0;
    if (options.jobs <= 1) {
        for (; next < jobs.size() && (failed.empty() || options.keepGoing); next++) {
            show_progress(options, next, jobs);
            const TOutcome outcome = batch.Convert(jobs[next]);
            TBatch::Report(jobs[next], outcome);
            if (outcome.converted)
                converted++;
            else
                failed.push_back(&jobs[next]);
        }
    } else {
        TParallelRun run(batch, jobs, options.keepGoing);
        run.Start(options.jobs);
        for (; next < jobs.size() && run.WaitForStart(next); next++) {
            show_progress(options, next, jobs);
            const TOutcome& outcome = run.WaitForEnd(next);
            TBatch::Report(jobs[next], outcome);
            if (outcome.converted)
                converted++;
            else
                failed.push_back(&jobs[next]);
        }
        run.Join();
    }

    const size_t skipped = jobs.size() - next;
    std::string summary = std::to_string(converted) + " converted, " +
                          std::to_string(failed.size()) + " failed, " + std::to_string(skipped) +
                          " skipped";
    if (failed.empty()) {
        if (options.keepGoing && !options.quiet)
            printf("%s\n", summary.c_str());
        return 0;
    }
    std::string notConverted;
    for (const TJob* job : failed)
        notConverted += (notConverted.empty() ? "" : ", ") + job->shown;
    for (size_t n = next; n < jobs.size(); n++)
        notConverted += ", " + jobs[n].shown;
    say(summary + "; not converted: " + notConverted);
    return 1;
}
