#include "tracking/recovery_writer.h"

#include <sys/resource.h>
#include <sys/syscall.h>
#include <unistd.h>

#include <cstdio>
#include <new>
#include <system_error>

#include "tracking/tracking_file.h"

namespace {

constexpr int WRITER_NICENESS = 10;  // the event loop goes first on a busy processor

void writeJob(RecoveryJob* job) {
    // The copy may take longer on a busy machine; playback and stepping must not wait.
    setpriority(PRIO_PROCESS, static_cast<id_t>(::syscall(SYS_gettid)), WRITER_NICENESS);
    job->result = writeTracking(job->fileName.c_str(), job->keys.tracks, job->nFrames,
                                job->videoHeight, job->registration);
    job->finished.store(true, std::memory_order_release);
}

}  // namespace

bool startRecoveryWrite(RecoveryWriter* writer, const char* fileName, PlayerTrack* tracks,
                        int nFrames, int videoHeight, const Registration* registration,
                        uint64_t revision) {
    if (writer->job != nullptr) return false;
    std::unique_ptr<RecoveryJob> job(new (std::nothrow) RecoveryJob);
    if (job == nullptr) return false;
    for (int player = 0; player < PLAYER_COUNT; player++)
        if (!copyKeys(&job->keys.tracks[player], &tracks[player])) return false;
    job->fileName = fileName;
    job->nFrames = nFrames;
    job->videoHeight = videoHeight;
    job->registration = registration;
    job->revision = revision;
    try {
        writer->worker = std::thread(writeJob, job.get());
    } catch (const std::system_error&) {
        std::fprintf(stderr, "can't start a thread to write %s\n", fileName);
        return false;
    }
    writer->job = std::move(job);
    return true;
}

bool recoveryWriteStarted(const RecoveryWriter* writer) {
    return writer->job != nullptr;
}

bool collectRecoveryWrite(RecoveryWriter* writer, bool wait, int* result, uint64_t* revision) {
    if (writer->job == nullptr) return false;
    if (!wait && !writer->job->finished.load(std::memory_order_acquire)) return false;
    writer->worker.join();
    *result = writer->job->result;
    *revision = writer->job->revision;
    writer->job.reset();
    return true;
}
