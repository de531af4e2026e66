#include "tracking/key_editing.h"

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <new>

namespace {

// Sums of two window coordinates are taken in 64 bits so that no pointer position,
// however far off, overflows before the halving.
int midpoint(int a, int b) {
    return static_cast<int>((static_cast<long long>(a) + b) / 2);
}

int extent(int a, int b) {
    return static_cast<int>(std::llabs(static_cast<long long>(a) - b));
}

}  // namespace

DragRect dragRectBetween(int pointerX, int pointerY, int buttonX, int buttonY, int originX,
                         int originY) {
    return {pointerX - originX, pointerY - originY, buttonX - originX, buttonY - originY};
}

int panelToVideo(int offset, int panelSize, int videoSize) {
    if (panelSize <= 0 || panelSize == videoSize) return offset;
    // Floor division: offsets left of or below the panel stay on their side.
    const int64_t numerator = (2 * static_cast<int64_t>(offset) + 1) * videoSize;
    const int64_t denominator = 2 * static_cast<int64_t>(panelSize);
    int64_t q = numerator / denominator;
    if (numerator % denominator != 0 && numerator < 0) --q;
    return static_cast<int>(q);
}

DragRect dragRectToVideo(const DragRect& drag, int panelWidth, int panelHeight, int videoWidth,
                         int videoHeight) {
    return {panelToVideo(drag.x0, panelWidth, videoWidth),
            panelToVideo(drag.y0, panelHeight, videoHeight),
            panelToVideo(drag.x1, panelWidth, videoWidth),
            panelToVideo(drag.y1, panelHeight, videoHeight)};
}

void dragFeetPoint(const DragRect& drag, int* fx, int* fy) {
    *fx = midpoint(drag.x0, drag.x1);
    *fy = drag.y0 < drag.y1 ? drag.y0 : drag.y1;
}

bool trackPositionAt(PlayerTrack* track, int frame, KeyFrame* out) {
    KeyNode* k0 = seekKey(track, frame);
    if (k0 == nullptr) return false;
    const KeyFrame& a = *keyFrameOf(k0);
    if (k0->frame == frame) {
        *out = a;
        return true;
    }
    KeyNode* k1 = nextKey(track, k0);
    if (k1 == nullptr) return false;
    const KeyFrame& b = *keyFrameOf(k1);
    *out = blendKeyFrames(keyWeight(track, k0, frame), a, b);
    return true;
}

int editKeyFromDrag(PlayerTrack* track, int frame, KeyEditMode mode, const DragRect& drag, int fx,
                    int fy) {
    if (track == nullptr) return 0;
    KeyFrame position;
    const bool hasPosition = trackPositionAt(track, frame, &position);

    KeyFrame* key = new (std::nothrow) KeyFrame;
    if (key == nullptr) {
        std::fprintf(stderr, "no memory for a key frame; the edit is dropped\n");
        return 0;
    }
    key->flags = 0;
    if (mode == EDIT_RECT_ONLY && hasPosition) {
        key->feetX = position.feetX;
        key->feetY = position.feetY;
    } else {
        key->feetX = fx;
        key->feetY = fy;
    }
    if (mode == EDIT_FEET_ONLY && hasPosition) {
        key->rectX = position.rectX;
        key->rectY = position.rectY;
        key->rectWidth = position.rectWidth;
        key->rectHeight = position.rectHeight;
    } else {
        key->rectX = midpoint(drag.x0, drag.x1);
        key->rectY = midpoint(drag.y0, drag.y1);
        key->rectWidth = extent(drag.x0, drag.x1);
        key->rectHeight = extent(drag.y0, drag.y1);
    }
    if (addKey(track, key, NODE_OWNS_PAYLOAD, frame) == nullptr) {
        delete key;
        std::fprintf(stderr, "no memory for a key frame; the edit is dropped\n");
        return 0;
    }
    return 1;
}

int editSelectedPlayerKey(Scene* scene, const DragRect& drag) {
    if (scene == nullptr || scene->tracks == nullptr) return 0;
    const int player = scene->selectedPlayer;
    if (player < 0 || player >= PLAYER_COUNT) return 0;
    int fx = 0, fy = 0;
    dragFeetPoint(drag, &fx, &fy);
    return editKeyFromDrag(&scene->tracks[player], sceneFrame(scene), scene->editMode, drag, fx,
                           fy);
}
