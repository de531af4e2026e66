#include "assist/tracking_run.h"

#include <algorithm>
#include <new>

#include "assist/tracked_path.h"

const char* startTrackingRun(TrackingRun* run, PlayerTrack* track, int player, int frame,
                             int direction, int nFrames, const unsigned char* pixels,
                             const FailureCheck& check, VisualTrackerKind kind) {
    clearTrackingRun(run);
    if (track == nullptr || (direction != 1 && direction != -1)) return "no player";
    if (frame < 0 || frame >= nFrames) return "no such frame";
    KeyFrame start;
    const PathFrames frames{check.registration, check.videoHeight};
    if (!shownTrackPosition(frames, track, frame, &start)) return "no position to start from";
    if (!(start.rectWidth > 0.0) || !(start.rectHeight > 0.0)) return "the box is empty";

    // The run stops short of the neighbouring key, the video's end or its length.
    KeyNode* at = seekKey(track, frame);
    const bool keyed = at != nullptr && at->frame == frame;
    KeyNode* neighbour = direction > 0 ? nextKey(track, at ? at : &track->keys.head)
                                       : (keyed ? previousKey(track, at) : at);
    int last = frame + direction * TRACK_RUN_LIMIT;
    TrackingStop reason = TRACK_LIMIT;
    const int videoEnd = direction > 0 ? nFrames - 1 : 0;
    if ((last - videoEnd) * direction >= 0) {
        last = videoEnd;
        reason = TRACK_END_OF_VIDEO;
    }
    if (neighbour != nullptr && (last - (neighbour->frame - direction)) * direction >= 0) {
        last = neighbour->frame - direction;
        reason = TRACK_REACHED_KEY;
    }
    if ((last - frame) * direction <= 0)
        return direction > 0 ? "nothing to track before the next key or the end"
                             : "nothing to track after the previous key or the start";

    if (!startVisualTracker(&run->tracker, kind, pixels, check.videoWidth, check.videoHeight,
                            start))
        return "the tracker cannot hold this box";
    run->player = player;
    run->direction = direction;
    run->startFrame = frame;
    run->lastFrame = last;
    run->endReason = reason;
    run->nextFrame = frame + direction;
    run->stop = TRACK_RUNNING;
    run->stopFrame = frame;
    run->startKeyed = keyed;
    run->path.assign(1, start);
    run->path[0].flags = 0;
    run->feetOffsetX = (start.feetX - start.rectX) / start.rectWidth;
    run->feetOffsetY = (start.feetY - start.rectY) / start.rectHeight;
    run->startScale =
        imageScaleAt(check.registration, check.videoHeight, frame, start.feetX, start.feetY);
    run->check = check;
    return nullptr;
}

namespace {

// The tracker finds the player's centre well, but its size estimate wanders by a tenth,
// and the feet point, a box height from the centre, wanders with it: on a distant
// player that is a metre on the field. The registration knows better: a standing
// player's picture grows and shrinks with the magnification at his feet. So the size
// is the start's, scaled by the magnification's change; the feet then follow the centre.
void scaleWithCamera(const TrackingRun* run, int frame, KeyFrame* box) {
    if (!(run->startScale > 0.0)) return;
    // The feet decide the scale and the scale the feet: two rounds settle both.
    for (int round = 0; round < 2; ++round) {
        const double scale = imageScaleAt(run->check.registration, run->check.videoHeight, frame,
                                          box->feetX, box->feetY);
        if (!(scale > 0.0)) return;
        const double ratio = scale / run->startScale;
        box->rectWidth = run->path[0].rectWidth * ratio;
        box->rectHeight = run->path[0].rectHeight * ratio;
        box->feetX = box->rectX + run->feetOffsetX * box->rectWidth;
        box->feetY = box->rectY + run->feetOffsetY * box->rectHeight;
    }
}

}  // namespace

TrackingStop advanceTrackingRun(TrackingRun* run, const unsigned char* pixels) {
    if (!trackingRunActive(run)) return run->stop;
    const int frame = run->nextFrame;
    if (pixels == nullptr) {
        run->stop = TRACK_UNREADABLE;
        run->stopFrame = frame;
        return run->stop;
    }
    const KeyFrame& previous = run->path.back();
    KeyFrame found = previous;
    const bool ok = updateVisualTracker(&run->tracker, pixels, run->check.videoWidth,
                                        run->check.videoHeight, &found);
    found.feetX = found.rectX + run->feetOffsetX * found.rectWidth;
    found.feetY = found.rectY + run->feetOffsetY * found.rectHeight;
    if (ok) scaleWithCamera(run, frame, &found);
    const TrackingStop verdict =
        checkTrackedStep(run->check, frame - run->direction, previous, frame, found, ok);
    if (verdict != TRACK_RUNNING) {
        run->stop = verdict;
        run->stopFrame = frame;
        return run->stop;
    }
    run->path.push_back(found);
    run->stopFrame = frame;
    if (frame == run->lastFrame) {
        run->stop = run->endReason;
    } else {
        run->nextFrame = frame + run->direction;
    }
    return run->stop;
}

void stopTrackingRun(TrackingRun* run) {
    if (!trackingRunActive(run)) return;
    run->stop = TRACK_BY_USER;
    run->stopFrame = run->startFrame + run->direction * (int(run->path.size()) - 1);
}

std::vector<KeyFrame> trackingRunKeys(const TrackingRun* run, std::vector<int>* frames) {
    frames->clear();
    std::vector<KeyFrame> keys;
    if (run->direction == 0 || run->path.size() < 2) return keys;
    std::vector<KeyFrame> ordered(run->path);
    if (run->direction < 0) std::reverse(ordered.begin(), ordered.end());
    const int count = int(ordered.size());
    const int first = std::min(run->startFrame, run->startFrame + run->direction * (count - 1));
    const PathFrames pathFrames{run->check.registration, run->check.videoHeight};
    const std::vector<KeyFrame> smooth =
        smoothTrackedPath(pathFrames, first, ordered.data(), count);
    for (int i : thinTrackedPath(pathFrames, first, smooth.data(), count)) {
        if (first + i == run->startFrame && run->startKeyed) continue;
        KeyFrame key = smooth[i];
        key.flags = KEY_FLAG_TRACKED;
        keys.push_back(key);
        frames->push_back(first + i);
    }
    return keys;
}

int applyTrackingRun(TrackingRun* run, PlayerTrack* track) {
    std::vector<int> frames;
    const std::vector<KeyFrame> keys = trackingRunKeys(run, &frames);
    int added = 0;
    for (size_t i = 0; i < keys.size(); ++i) {
        KeyFrame* key = new (std::nothrow) KeyFrame(keys[i]);
        if (key == nullptr || addKey(track, key, NODE_OWNS_PAYLOAD, frames[i]) == nullptr) {
            delete key;
            break;
        }
        ++added;
    }
    clearTrackingRun(run);
    return added;
}

void clearTrackingRun(TrackingRun* run) {
    run->player = -1;
    run->direction = 0;
    run->stop = TRACK_RUNNING;
    run->path.clear();
    stopVisualTracker(&run->tracker);
}
