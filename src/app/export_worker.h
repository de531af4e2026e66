// ExportWorker: writes the exports on a thread of its own, so that a save returns as
// soon as the tracking file is complete and the event loop never waits for the CSV and
// MOT files of a whole match.
//
// Who owns what: requestExport copies everything the export reads that the event loop
// may change (the keys, as a TrackSet of copies; the frame times; the save name) into a
// job, which the thread alone uses until it finishes; the registration is shared and
// read-only for the whole run. The thread publishes its result by setting `finished`
// last (release); the event loop takes the result in collectExport (acquire), joins
// the thread, frees the job and writes the status line. A request made while an export
// runs is remembered and started when that one is collected, so the last exports always
// follow the last save.
#pragma once

#include <atomic>
#include <memory>
#include <thread>

struct AppState;
struct ExportJob;

struct ExportWorker {
    std::thread thread;                 // running while job is set
    std::unique_ptr<ExportJob> job;     // the thread's until finished is true
    std::atomic<bool> finished{false};  // set by the thread when its result is in job
    bool pending = false;               // asked for again while running
    ExportWorker();
    ~ExportWorker();  // waits for a running export
};

// Starts an export of the state's tracks beside its save name, or remembers to start
// one once the running one is collected. False when the copy of the keys cannot be made
// (the status line says so).
bool requestExport(ExportWorker* worker, AppState* state);
// Event loop: takes the result of a finished export into the status line and starts a
// pending one. True when the status line changed.
bool collectExport(ExportWorker* worker, AppState* state);
// Waits until no export runs or is pending (exit, tests), then collects.
void waitForExports(ExportWorker* worker, AppState* state);
// Whether an export runs or is pending.
bool exportBusy(const ExportWorker* worker);
