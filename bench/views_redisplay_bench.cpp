// One redisplay of the field, subfield and 3D views with a full game annotated:
// 22 players keyed every 25 frames over 135,000 frames, shown at the last frame with
// trails on, against the same redisplay with no keys, in the same run.
//
// Needs an X display. Run it on the suite's Xvfb, for example:
//   xvfb-run -a -s "-screen 0 1920x1200x24" build/views_redisplay_bench
// or start one with tests/support/xvfb_fixture.sh start /tmp/display and use the
// display it wrote to that file (DISPLAY=:N build/views_redisplay_bench).
#include <GL/freeglut.h>
#include <GL/gl.h>

#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <ctime>
#include <vector>

#include "toolkit/window.h"
#include "views/field_plan.h"
#include "views/field_view.h"
#include "views/field_view_3d.h"
#include "views/frame_range.h"
#include "views/subfield_view.h"
#include "views/trail_layer.h"
#include "widgets/bitmap_font.h"

namespace {

constexpr int FRAMES = 135000;
constexpr int KEY_SPACING = 25;
constexpr int REPEATS = 15;
constexpr int PLAYBACK_TICKS = 60;
constexpr int VIDEO_WIDTH = 640, VIDEO_HEIGHT = 480;

struct Game {
    TrackSet players;
    std::vector<Homography> homographies;
    Registration registration;
    FrameRange frames{0, FRAMES - 1, FRAMES - 1};
    Scene scene;
    long keys = 0;

    explicit Game(bool annotated) {
        // A camera that pans slowly: every frame has its own homography.
        homographies.resize(FRAMES);
        for (int f = 0; f < FRAMES; ++f) {
            const double pan = 100.0 * std::sin(f * 0.0005);
            homographies[f] = {{1.1, 0.02, 80 + pan, 0.01, 0.75, 20, 0, 0.00002, 1}};
        }
        registration.homographies = homographies.data();
        registration.count = FRAMES;
        scene.tracks = players.tracks;
        scene.registration = &registration;
        scene.currentFrame = &frames.currentFrame;
        scene.videoWidth = VIDEO_WIDTH;
        scene.videoHeight = VIDEO_HEIGHT;
        scene.showTrails = 1;
        if (!annotated) return;
        // Keys on frames 24, 49, ..., 134999, so the last frame shows every player.
        unsigned seed = 12345;
        auto random = [&seed] {
            seed = seed * 1103515245u + 12345u;
            return static_cast<double>((seed >> 8) & 0xffff) / 0xffff;
        };
        for (int p = 0; p < PLAYER_COUNT; ++p) {
            double x = 100 + 440 * random(), y = 100 + 280 * random();
            for (int f = KEY_SPACING - 1; f < FRAMES; f += KEY_SPACING) {
                x = std::clamp(x + 20 * (random() - 0.5), 0.0, double(VIDEO_WIDTH));
                y = std::clamp(y + 20 * (random() - 0.5), 0.0, double(VIDEO_HEIGHT));
                KeyFrame* k = new KeyFrame;
                k->feetX = x;
                k->feetY = y;
                addKey(&players.tracks[p], k, NODE_OWNS_PAYLOAD, f);
                ++keys;
            }
        }
    }
};

struct Target {
    const char* name;
    Window* window;
    View* view;
};

View fieldView, subfieldView, view3d;
Texture fieldTexture, smallFieldTexture, fieldTexture3D;

void makeArtwork(Texture* texture, std::vector<unsigned char>* pixels, int w, int h) {
    pixels->resize(static_cast<size_t>(w) * h * 3);
    for (int y = 0; y < h; ++y) {
        for (int x = 0; x < w; ++x) {
            unsigned char* p = &(*pixels)[(static_cast<size_t>(y) * w + x) * 3];
            const bool stripe = (x / 40) % 2 == 0;
            p[0] = 30;
            p[1] = stripe ? 140 : 120;
            p[2] = 30;
        }
    }
    createTexture(texture, pixels->data(), w, h, 3, TEXTURE_BGR, TEXTURE_STATIC);
}

double cpuMilliseconds() {
    timespec t;
    clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &t);
    return t.tv_sec * 1e3 + t.tv_nsec / 1e6;
}

struct Timing {
    double wall, wallMin, wallMax;  // milliseconds of elapsed time: median, least, most
    double cpu;                     // median milliseconds of processor time, all threads
};

double median(std::vector<double> samples) {
    std::sort(samples.begin(), samples.end());
    return samples[samples.size() / 2];
}

// One redisplay of the target's window: clear, frame set-up, the display walk,
// glFinish; REPEATS runs after one that warms caches and the driver (and, with keys,
// fills the view's trail layer).
Timing timeRedisplay(const Target& target, Scene* scene) {
    glutSetWindow(target.window->windowId);
    target.view->scene = scene;
    std::vector<double> wall, cpu;
    for (int i = 0; i < REPEATS + 1; ++i) {
        const double cpuStart = cpuMilliseconds();
        const auto start = std::chrono::steady_clock::now();
        drawWindowFrame(target.window);
        glFinish();
        const auto end = std::chrono::steady_clock::now();
        const double cpuEnd = cpuMilliseconds();
        glutSwapBuffers();
        if (i == 0) continue;
        wall.push_back(std::chrono::duration<double, std::milli>(end - start).count());
        cpu.push_back(cpuEnd - cpuStart);
    }
    const auto range = std::minmax_element(wall.begin(), wall.end());
    return {median(wall), *range.first, *range.second, median(cpu)};
}

void printTiming(const char* what, const Timing& t) {
    std::printf("  %-9s %7.2f ms (%.2f..%.2f), processor %7.2f ms\n", what, t.wall, t.wallMin,
                t.wallMax, t.cpu);
}

void redisplay(const Target& target) {
    glutSetWindow(target.window->windowId);
    drawWindowFrame(target.window);
    glFinish();
}

}  // namespace

int main(int argc, char** argv) {
    initToolkit(&argc, argv);
    std::vector<unsigned char> fieldPixels, smallPixels, pixels3D;

    Window* mainWindow = createWindow(1, 1, 810, 554, "main", 30);
    rebuildFontLists();
    makeArtwork(&smallFieldTexture, &smallPixels, 164, 82);
    createView(&subfieldView, 644, 41, 164, 82, "subfield", 0);
    setViewBackground(&subfieldView, 0, 0, 0, 0);
    setDisplayCallback(&subfieldView, drawSubfieldView);
    subfieldView.artwork = &smallFieldTexture;
    addToCurrentWindow(&subfieldView);
    initWalk(mainWindow);

    Window* fieldWindow = createWindow(1, 604, 810, 406, "football field", 30);
    rebuildFontLists();
    makeArtwork(&fieldTexture, &fieldPixels, 1000, 500);
    createView(&fieldView, 2, 0, 808, 403, "field", 0);
    setViewBackground(&fieldView, 0, 0, 0, 0);
    setDisplayCallback(&fieldView, drawFieldView);
    fieldView.artwork = &fieldTexture;
    addToCurrentWindow(&fieldView);
    initWalk(fieldWindow);

    Window* window3D = createWindow(820, 1, 300, 300, "3D view of football field", 30);
    makeArtwork(&fieldTexture3D, &pixels3D, 1000, 500);
    createView(&view3d, 4, 4, 292, 292, "3D view of the field", 0);
    setViewBackground(&view3d, 0, 0, 0, 0);
    setDisplayCallback(&view3d, draw3DView);
    view3d.artwork = &fieldTexture3D;
    addToCurrentWindow(&view3d);
    initWalk(window3D);

    Game empty(false);
    Game game(true);
    std::printf("renderer: %s\n", reinterpret_cast<const char*>(glGetString(GL_RENDERER)));
    std::printf("keys: %ld over %d frames, shown at frame %d, trails on; median of %d runs\n",
                game.keys, FRAMES, game.frames.currentFrame, REPEATS);

    const Target targets[] = {{"field (808 x 403)", fieldWindow, &fieldView},
                              {"subfield (164 x 82)", mainWindow, &subfieldView},
                              {"3D (292 x 292)", window3D, &view3d}};
    Timing totalEmpty{}, totalFull{};
    for (const Target& target : targets) {
        const Timing e = timeRedisplay(target, &empty.scene);
        const Timing f = timeRedisplay(target, &game.scene);
        totalEmpty.wall += e.wall;
        totalEmpty.cpu += e.cpu;
        totalFull.wall += f.wall;
        totalFull.cpu += f.cpu;
        std::printf("%s\n", target.name);
        printTiming("no keys", e);
        printTiming("all keys", f);
        if (target.view != &view3d) {
            // For comparison: every trail drawn afresh, without the view's layer.
            setTrailLayersEnabled(false);
            printTiming("no layer", timeRedisplay(target, &game.scene));
            setTrailLayersEnabled(true);
        }
    }
    std::printf(
        "three views: no keys %.2f ms (processor %.2f ms), all keys %.2f ms "
        "(processor %.2f ms)\n",
        totalEmpty.wall, totalEmpty.cpu, totalFull.wall, totalFull.cpu);

    // Playback: the frame advances at every tick, so the trail layers take in each key
    // as it is reached (one per player every 25 frames) and redraw the moving parts.
    game.frames.currentFrame = FRAMES - 1 - PLAYBACK_TICKS;
    for (const Target& target : targets) redisplay(target);
    std::vector<double> wall, cpu;
    for (int i = 0; i < PLAYBACK_TICKS; ++i) {
        game.frames.currentFrame++;
        const double cpuStart = cpuMilliseconds();
        const auto start = std::chrono::steady_clock::now();
        for (const Target& target : targets) redisplay(target);
        const auto end = std::chrono::steady_clock::now();
        cpu.push_back(cpuMilliseconds() - cpuStart);
        wall.push_back(std::chrono::duration<double, std::milli>(end - start).count());
    }
    const auto range = std::minmax_element(wall.begin(), wall.end());
    std::printf("playback of the last %d frames, the three views at every tick\n", PLAYBACK_TICKS);
    printTiming("per tick", {median(wall), *range.first, *range.second, median(cpu)});

    // The trail walk alone, without GL: what the CPU spends before the driver draws.
    std::vector<double> trail;
    const auto start = std::chrono::steady_clock::now();
    long points = 0;
    for (int i = 0; i < REPEATS; ++i) {
        for (int p = 0; p < PLAYER_COUNT; ++p) {
            trail.clear();
            points += appendTrail(&game.scene, p, game.frames.currentFrame, 0.9, &trail);
        }
    }
    const auto end = std::chrono::steady_clock::now();
    std::printf("trail points of one pass: %ld, computed in %.2f ms\n", points / REPEATS,
                std::chrono::duration<double, std::milli>(end - start).count() / REPEATS);
    return 0;
}
