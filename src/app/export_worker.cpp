#include "app/export_worker.h"

#include <new>
#include <string>
#include <vector>

#include "app/app_state.h"
#include "tracking/track_export.h"

struct ExportJob {
    TrackSet tracks;              // copies of the keys at the request
    std::vector<double> seconds;  // per frame, from frame 0
    std::string saveName;
    const Registration* registration = nullptr;  // shared, never changes while running
    int nFrames = 0;
    int videoHeight = 0;
    int result = 0;  // exportTracking's, once finished
    int rows = 0;
};

namespace {

// Copies the keys; false when memory runs out (job's tracks then partly filled).
bool copyAllKeys(PlayerTrack* from, TrackSet* to) {
    for (int player = 0; player < PLAYER_COUNT; player++)
        if (!copyKeys(&to->tracks[player], &from[player])) return false;
    return true;
}

void runJob(ExportWorker* worker) {
    ExportJob* job = worker->job.get();
    ExportSource source;
    source.tracks = job->tracks.tracks;
    source.registration = job->registration;
    source.nFrames = job->nFrames;
    source.videoHeight = job->videoHeight;
    source.frameSeconds = job->seconds.data();
    job->result = exportTracking(job->saveName.c_str(), source, &job->rows);
    std::fflush(stdout);
    worker->finished.store(true, std::memory_order_release);
}

bool startJob(ExportWorker* worker, AppState* state) {
    std::unique_ptr<ExportJob> job(new (std::nothrow) ExportJob);
    const int nFrames = state->video.nFrames > 0 ? state->video.nFrames : 0;
    bool copied = job != nullptr && copyAllKeys(state->tracks, &job->tracks);
    if (copied) {
        job->saveName = state->saveFileName;
        job->registration = &state->registration;
        job->nFrames = nFrames;
        job->videoHeight = state->video.videoHeight;
        job->seconds.resize(nFrames);
        for (int frame = 0; frame < nFrames; frame++)
            job->seconds[frame] = videoFrameTime(&state->video, frame);
    }
    if (!copied) {
        std::printf("memory allocation not done for the exports of %s!\n", state->saveFileName);
        setStatusText(&state->status, "export failed: not enough memory");
        return false;
    }
    worker->job = std::move(job);
    worker->finished.store(false, std::memory_order_relaxed);
    worker->thread = std::thread(runJob, worker);
    return true;
}

}  // namespace

ExportWorker::ExportWorker() = default;

ExportWorker::~ExportWorker() {
    if (thread.joinable()) thread.join();
}

bool requestExport(ExportWorker* worker, AppState* state) {
    if (worker->job != nullptr) {
        worker->pending = true;
        return true;
    }
    return startJob(worker, state);
}

bool collectExport(ExportWorker* worker, AppState* state) {
    if (worker->job == nullptr || !worker->finished.load(std::memory_order_acquire)) return false;
    if (worker->thread.joinable()) worker->thread.join();
    const std::unique_ptr<ExportJob> job = std::move(worker->job);
    const std::string base = exportBaseName(job->saveName.c_str());
    if (job->result == 1)
        setStatusText(&state->status, "export %d rows to %s.csv and %s.mot.txt", job->rows,
                      base.c_str(), base.c_str());
    else
        setStatusText(&state->status, "export to %s.csv failed; the previous exports stay",
                      base.c_str());
    if (worker->pending) {
        worker->pending = false;
        startJob(worker, state);
    }
    return true;
}

void waitForExports(ExportWorker* worker, AppState* state) {
    // A collected export may start the pending one: wait for that too.
    while (worker->job != nullptr) {
        worker->thread.join();  // finished is then set: the thread's last store
        collectExport(worker, state);
    }
}

bool exportBusy(const ExportWorker* worker) {
    return worker->job != nullptr;
}
