#include "views/timeline.h"

#include <GL/gl.h>

#include <cstdint>
#include <cstdio>

#include "tracking/player_track.h"
#include "widgets/bevel.h"
#include "widgets/bitmap_font.h"

namespace {

constexpr Colour PLAYED_COLOUR = {0.9f, 0.7f, 0.7f};
constexpr Colour CURRENT_COLOUR = {1.0f, 0.1f, 0.1f};
constexpr Colour SCALE_COLOUR = {0.1f, 0.1f, 0.1f};
constexpr Colour KEY_COLOUR = {0.1f, 0.1f, 1.0f};
constexpr Colour CURRENT_KEY_COLOUR = {1.0f, 1.0f, 1.0f};

constexpr int TICK_SPACING = 40;     // pixels between ticks, at least about
constexpr int TICK_MULTIPLE = 5;     // ticks fall on multiples of this many frames
constexpr int TEXT_GAP = 2;          // pixels between a column and its number
constexpr int TICK_TEXT_MARGIN = 4;  // the tick height over the digits' height
constexpr int CURRENT_TEXT_Y = 1;    // current frame's number, pixels above the bottom

// At least one frame, even for a range changed after creation: the drawing divides by it.
int frameCount(const Timeline* timeline) {
    const int count = frameRangeLength(&timeline->frames);
    return count > 0 ? count : 1;
}

// The bottom pixel row in unit-square units; a strip without height has none.
double bottomRow(const Timeline* timeline) {
    return timeline->h > 0 ? 1.0 / timeline->h : 0.0;
}

void verticalLine(double x, double y0, double y1) {
    glBegin(GL_LINES);
    glVertex2d(x, y0);
    glVertex2d(x, y1);
    glEnd();
}

}  // namespace

int timelineTickStep(int count, int width) {
    if (count <= 0 || width <= 0) return TICK_MULTIPLE;
    int64_t step = static_cast<int64_t>(count) * TICK_SPACING / width;
    if (step % TICK_MULTIPLE != 0) step += TICK_MULTIPLE - step % TICK_MULTIPLE;
    // A step of 0 would never end the tick loops.
    if (step == 0) step = TICK_MULTIPLE;
    return static_cast<int>(step);
}

int timelineColumn(int offset, int count, int width) {
    if (count <= 0) return 0;
    return static_cast<int>(static_cast<int64_t>(offset) * width / count);
}

int currentFrameTextX(int offset, int count, int width, int textWidth) {
    int x = timelineColumn(offset, count, width) + TEXT_GAP;
    if (x + textWidth >= width) x = width - textWidth - TEXT_GAP;
    return x;
}

int createTimeline(Timeline* timeline, int x, int y, int w, int h, const char* name, int level,
                   int first, int last) {
    initObjectBasic(timeline, x, y, w, h, name, level, displayTimeline);
    timeline->init = initTimeline;
    timeline->backgroundList = timeline->scaleList = timeline->frameList = 0;
    listInit(&timeline->selection, 0);
    // The drawing divides by the frame count: an empty range becomes one frame.
    const bool valid = last >= first;
    timeline->frames.firstFrame = timeline->frames.currentFrame = first;
    timeline->frames.lastFrame = valid ? last : first;
    setFlags(timeline, OBJ_LOOP);
    return valid ? 1 : 0;
}

int initTimeline(InterfaceObject* object) {
    Timeline* timeline = static_cast<Timeline*>(object);
    if (flagsSet(timeline, OBJ_INITIALIZED)) return 0;
    const int base = static_cast<int>(glGenLists(3));
    timeline->backgroundList = base;
    timeline->scaleList = base + 1;
    timeline->frameList = base + 2;

    glNewList(static_cast<GLuint>(timeline->backgroundList), GL_COMPILE);
    fillUnitSquare(BEVEL_FACE);
    glEndList();

    glNewList(static_cast<GLuint>(timeline->scaleList), GL_COMPILE);
    drawTimelineScale(timeline);
    glEndList();

    glNewList(static_cast<GLuint>(timeline->frameList), GL_COMPILE);
    drawBevelFrame(BEVEL_SHADOW, BEVEL_LIGHT);
    glEndList();

    setFlags(timeline, OBJ_INITIALIZED);
    return 1;
}

int displayTimeline(InterfaceObject* object) {
    Timeline* timeline = static_cast<Timeline*>(object);
    invokeInit(timeline);
    glViewport(timeline->x, timeline->y, timeline->w, timeline->h);
    if (timeline->backgroundList > 0) glCallList(static_cast<GLuint>(timeline->backgroundList));
    drawTimelineCursor(timeline);
    drawKeyMarks(timeline);
    if (timeline->frameList > 0) glCallList(static_cast<GLuint>(timeline->frameList));
    return 1;
}

void drawTimelineScale(const Timeline* timeline) {
    const int count = frameCount(timeline);
    const int w = timeline->w, h = timeline->h > 0 ? timeline->h : 1;
    const float th = textHeight("0", defaultFont) + TICK_TEXT_MARGIN;
    const int step = timelineTickStep(count, w);
    std::printf("y: %g\n", static_cast<double>(th));
    std::fflush(stdout);

    setColour(SCALE_COLOUR);
    for (int64_t i = 0; i < count; i += step) {
        verticalLine(static_cast<double>(i) / count, (th - 1) / h, 0.0);
    }
    char text[16];
    for (int64_t i = 0; i < count; i += step) {
        // i < count, so the frame number lies within the range and fits an int.
        std::snprintf(text, sizeof text, "%d", timeline->frames.firstFrame + static_cast<int>(i));
        const float tw = textWidth(text, defaultFont);
        const int x = timelineColumn(static_cast<int>(i), count, w) + TEXT_GAP;
        if (x + tw < w)
            drawText(text, static_cast<float>(x), th, static_cast<float>(w), static_cast<float>(h),
                     defaultFont);
    }
}

void drawTimelineCursor(const Timeline* timeline) {
    const int count = frameCount(timeline);
    const int c = timeline->frames.currentFrame;
    const int offset = c - timeline->frames.firstFrame;
    const double f = static_cast<double>(offset) / count;
    const double bottom = bottomRow(timeline);

    setColour(PLAYED_COLOUR);
    glBegin(GL_QUADS);
    glVertex2d(0, bottom);
    glVertex2d(0, 1);
    glVertex2d(f, 1);
    glVertex2d(f, bottom);
    glEnd();

    if (timeline->scaleList > 0) glCallList(static_cast<GLuint>(timeline->scaleList));

    setColour(CURRENT_COLOUR);
    verticalLine(f, bottom, 1);

    char text[16];
    std::snprintf(text, sizeof text, "%d", c);
    const int tw = static_cast<int>(textWidth(text, defaultFont));
    const int x = currentFrameTextX(offset, count, timeline->w, tw);
    drawText(text, static_cast<float>(x), CURRENT_TEXT_Y, static_cast<float>(timeline->w),
             static_cast<float>(timeline->h > 0 ? timeline->h : 1), defaultFont);
}

void drawKeyMarks(Timeline* timeline) {
    const int count = frameCount(timeline);
    const int first = timeline->frames.firstFrame;
    const int current = timeline->frames.currentFrame;
    ListIterator it;
    for (iterBegin(&it, &timeline->selection); iterValid(&it); iterNext(&it)) {
        const PlayerTrack* track = static_cast<const PlayerTrack*>(iterPayload(&it));
        if (track == nullptr) continue;
        glBegin(GL_LINES);
        for (KeyNode* key = firstKey(track); key != nullptr; key = nextKey(track, key)) {
            setColour(key->frame == current ? CURRENT_KEY_COLOUR : KEY_COLOUR);
            const double x = (static_cast<double>(key->frame) - first) / count;
            glVertex2d(x, 0);
            glVertex2d(x, 1);
        }
        glEnd();
    }
}
