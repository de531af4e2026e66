// Playback benchmark: the whole tool (three windows, every widget) plays clips of 25
// and 50 frames per second at 1280 x 720 and 1920 x 1080. Each clip plays twice in
// the same run: first as the tool used to, one frame per tick of the 30-tick timer
// (the baseline), then by the video's clock. Printed per clip and way: video seconds
// played per second of wall time (real time is 1.00, target within 5 %), frames shown
// per second of video time against the clip's rate, and per frame shown the processor
// time of decoding, uploading the frame to its texture and drawing the three windows;
// then, per frame shown, the wall time each window took to draw and to show its buffer
// (the X server's share of a buffer swap is only in the wall time) and how many times
// each window was drawn.
//
//   playback_bench [clip ...]  (needs an X display: xvfb-run -s "-screen 0 1920x1200x24")
//
// Without clips it makes the four with the ffmpeg program (H.264, 10 s each). Each clip
// plays in a process of its own, since GLUT's windows cannot be made twice. The 22
// players move all the time (a key each second, at random places, and a record of the
// registration for every frame), so that the field windows have a new picture for
// every frame, as in a match being annotated.
#include <GL/freeglut.h>
#include <GL/gl.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <string>
#include <vector>

#include "app/app_callbacks.h"
#include "app/app_state.h"
#include "app/commands.h"
#include "app/composition.h"
#include "app/startup.h"
#include "toolkit/window.h"

namespace {

constexpr unsigned SETTLE_MS = 1000;  // before each measurement, for the windows to settle
constexpr unsigned PLAY_MS = 4000;    // each measurement
constexpr double CLIP_SECONDS = 10.0;
constexpr double REAL_TIME_TOLERANCE = 0.05;
constexpr int KEY_EVERY = 25;  // frames between the players' keys
// Starts the lines of figures among a child's console lines; the parent shows only those.
constexpr const char* FIGURES_MARK = "@figures ";

double cpuSeconds() {
    timespec t{};
    clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &t);
    return t.tv_sec + t.tv_nsec * 1e-9;
}

double wallSeconds() {
    timespec t{};
    clock_gettime(CLOCK_MONOTONIC, &t);
    return t.tv_sec + t.tv_nsec * 1e-9;
}

struct Phase {
    double cpu = 0.0;
    double wall = 0.0;
    long count = 0;
};

constexpr int WINDOWS = 3;  // main, field, 3D

// What one way of playing did while measured.
struct Figures {
    Phase decode, upload, draw;
    Phase windowDraw[WINDOWS], windowSwap[WINDOWS];
    Phase videoDraw;  // the video panel's drawing, its upload left out
    long shown = 0;   // frames playback put on the panel
    int startFrame = 0;
    double startWall = 0.0;
    bool measuring = false;
    bool byClock = false;  // the way being measured: by the video's clock, else per tick
} figures;

struct Timer {
    Phase* phase;
    double cpu0 = cpuSeconds();
    double wall0 = wallSeconds();
    explicit Timer(Phase* p) : phase(p) {}
    ~Timer() {
        if (!figures.measuring) return;
        phase->cpu += cpuSeconds() - cpu0;
        phase->wall += wallSeconds() - wall0;
        phase->count++;
    }
};

// The tool's playback before it followed the video's clock: the next frame at every tick.
bool perTickStep(AppState* s) {
    Timeline* timeline = &s->timeline;
    if (!isPlaying(timeline)) return false;
    readNextFrame(&s->video);
    if (s->video.frameImage == nullptr) {
        clearFlags(timeline, OBJ_PLAYING);
        return true;
    }
    setPanelPixels(&s->videoPanel, s->video.frameImage);
    playStep(&timeline->frames, timelineLoops(timeline), timelinePlaysBackward(timeline));
    return true;
}

// The timeline's idle work, with the read of the frame timed.
int timedTimelineIdle(InterfaceObject*) {
    bool stepped;
    {
        Timer t(&figures.decode);
        const int before = app.timeline.frames.currentFrame;
        stepped = figures.byClock ? playbackStep(&app, playbackClockSeconds()) : perTickStep(&app);
        if (figures.measuring && app.timeline.frames.currentFrame != before) figures.shown++;
    }
    if (stepped) redisplayAfterStep();
    return 1;
}

// The video panel's drawing with its texture upload done (and timed) first when the
// frame is new, as the panel does it, so that the panel then draws without uploading.
int timedVideoDisplay(InterfaceObject* object) {
    Texture* texture = &app.videoPanel.texture;
    static unsigned uploadedSerial = 0;
    if (uploadedSerial != app.video.frameSerial) {
        uploadedSerial = app.video.frameSerial;
        glFinish();  // what the window drew before is not the upload's
        Timer t(&figures.upload);
        glBindTexture(GL_TEXTURE_2D, static_cast<GLuint>(texture->textureId));
        glPixelStorei(GL_UNPACK_ALIGNMENT, 1);
        glTexSubImage2D(GL_TEXTURE_2D, 0, 0, 0, texture->width, texture->height,
                        static_cast<GLenum>(texture->format), GL_UNSIGNED_BYTE, texture->pixels);
        glFinish();
    }
    const int flags = texture->updateFlags;
    texture->updateFlags &= ~TEXTURE_STREAMED;
    {
        Timer t(&figures.videoDraw);
        drawVideoView(object);
        glFinish();
    }
    texture->updateFlags = flags;
    return 1;
}

// Every window's display, as the toolkit's, timed to the end of its drawing (the
// upload inside it is counted apart and taken off afterwards) and its buffer swap.
void timedDisplay() {
    Window* window = currentWindowObject();
    if (!window) return;
    int index = 0;
    while (index < WINDOWS - 1 && windowAt(index) != window) ++index;
    {
        Timer total(&figures.draw);
        Timer drawing(&figures.windowDraw[index]);
        drawWindowFrame(window);
        glFinish();
    }
    Timer swapping(&figures.windowSwap[index]);
    glutSwapBuffers();
    glFinish();
}

// Every player keyed every KEY_EVERY frames at random feet points, and an identity
// record for every frame: each frame puts every dot somewhere new.
void movePlayers() {
    app.registration.homographies = new Homography[app.video.nFrames];
    app.registration.count = app.video.nFrames;
    for (int i = 0; i < app.video.nFrames; ++i)
        app.registration.homographies[i] = Homography{{1, 0, 0, 0, 1, 0, 0, 0, 1}};
    unsigned seed = 1;
    auto next = [&seed](int range) {
        seed = seed * 1103515245u + 12345u;
        return static_cast<int>((seed >> 8) % static_cast<unsigned>(range));
    };
    for (int player = 0; player < PLAYER_COUNT; ++player)
        for (int frame = 0; frame < app.video.nFrames; frame += KEY_EVERY) {
            KeyFrame* key = new KeyFrame;
            key->flags = KEY_FLAG_KEY;
            key->feetX = 20 + next(560);
            key->feetY = 20 + next(360);
            key->rectX = key->feetX;
            key->rectY = key->feetY + 30;
            key->rectWidth = 20;
            key->rectHeight = 60;
            addKey(&app.tracks[player], key, NODE_OWNS_PAYLOAD, frame);
        }
}

// From frame 0, playing, the way given.
void restart(int byClock) {
    if (isPlaying(&app.timeline)) playPause(&app);
    seekVideo(&app.video, 0);
    rewindFrames(&app.timeline.frames);
    setPanelPixels(&app.videoPanel, app.video.frameImage);
    figures = Figures();
    figures.byClock = byClock != 0;
    playPause(&app);
}

void startMeasuring(int) {
    figures.measuring = true;
    figures.startFrame = app.timeline.frames.currentFrame;
    figures.startWall = playbackClockSeconds();
}

void stopMeasuring(int last) {
    const double wall = playbackClockSeconds() - figures.startWall;
    figures.measuring = false;
    const Figures& f = figures;
    const double video = videoFrameTime(&app.video, app.timeline.frames.currentFrame) -
                         videoFrameTime(&app.video, f.startFrame);
    const double rate =
        videoFrameAt(&app.video, 1.0) > 0 ? 1.0 / videoFrameTime(&app.video, 1) : 0.0;
    const double perFrame = f.shown > 0 ? 1000.0 / f.shown : 0.0;
    char clip[32];
    std::snprintf(clip, sizeof clip, "%dx%d %.0f fps", app.video.videoWidth, app.video.videoHeight,
                  rate);
    const double ratio = wall > 0 ? video / wall : 0.0;
    std::printf("%s%-20s %-9s %6.2f %8.2f %8.3f %5ld %7.1f of %-3.0f %8.2f %8.2f %8.2f  %s\n",
                FIGURES_MARK, clip, f.byClock ? "clock" : "per tick", wall, video, ratio, f.shown,
                video > 0 ? f.shown / video : 0.0, rate, f.decode.cpu * perFrame,
                f.upload.cpu * perFrame, (f.draw.cpu - f.upload.cpu) * perFrame,
                !f.byClock                                     ? "baseline"
                : std::abs(ratio - 1.0) <= REAL_TIME_TOLERANCE ? "real time held"
                                                               : "real time NOT held");
    std::printf("%s%-20s %-9s", FIGURES_MARK, "", "");
    for (int i = 0; i < WINDOWS; ++i)
        std::printf("  %s %5.2f+%5.2f ms x%4.2f",
                    i == 0   ? "main"
                    : i == 1 ? "field"
                             : "3D",
                    f.windowDraw[i].wall * perFrame, f.windowSwap[i].wall * perFrame,
                    f.windowDraw[i].count / static_cast<double>(f.shown > 0 ? f.shown : 1));
    std::printf("  (video panel %5.2f ms)\n", f.videoDraw.wall * perFrame);
    std::fflush(stdout);
    if (last) {
        // Leaving the loop closes the windows: not the tool's "close ends the program".
        setWindowClosedHook(nullptr);
        glutLeaveMainLoop();
        return;
    }
    restart(1);
    glutTimerFunc(SETTLE_MS, startMeasuring, 0);
    glutTimerFunc(SETTLE_MS + PLAY_MS, stopMeasuring, 1);
}

// Plays one clip both ways in this process; returns the exit code.
int playClip(const std::string& clip, int argc, char** argv) {
    if (!openVideo(&app.video, clip.c_str(), VIDEO_FRAME_BGR)) {
        std::fprintf(stderr, "cannot open %s\n", clip.c_str());
        return 1;
    }
    if (videoFrameTime(&app.video, app.video.nFrames - 1) < (SETTLE_MS + PLAY_MS) / 1000.0 * 1.3) {
        std::fprintf(stderr, "%s is too short\n", clip.c_str());
        return 1;
    }
    initToolkit(&argc, argv);
    prepareScene(&app);
    movePlayers();
    composeWindows(&app, ANNOTATE_ARTWORK_DIR);
    setIdleCallback(&app.timeline, timedTimelineIdle);
    setDisplayCallback(&app.videoPanel, timedVideoDisplay);
    for (int i = 0; i < windowCount(); ++i) {
        glutSetWindow(windowAt(i)->windowId);
        glutDisplayFunc(timedDisplay);
    }
    std::printf("%s%dx%d: display scale %.3f, panel %dx%d; %s, OpenGL %s\n", FIGURES_MARK,
                app.video.videoWidth, app.video.videoHeight, app.layout.displayScale,
                app.videoPanel.w, app.videoPanel.h, glGetString(GL_RENDERER),
                glGetString(GL_VERSION));
    restart(0);
    glutTimerFunc(SETTLE_MS, startMeasuring, 0);
    glutTimerFunc(SETTLE_MS + PLAY_MS, stopMeasuring, 0);
    runWindows();
    releaseVideo(&app.video);
    return 0;
}

std::string clipFolder;  // made by makeClips, removed at the end

std::vector<std::string> makeClips() {
    char pattern[] = "/tmp/annotate-playback-bench-XXXXXX";
    if (!mkdtemp(pattern)) return {};
    clipFolder = pattern;
    std::vector<std::string> clips;
    for (const char* size : {"1280x720", "1920x1080"}) {
        for (int rate : {25, 50}) {
            const std::string path =
                std::string(pattern) + "/" + size + "-" + std::to_string(rate) + ".mp4";
            const std::string command =
                "ffmpeg -nostdin -v error -y -f lavfi -i testsrc2=size=" + std::string(size) +
                ":rate=" + std::to_string(rate) + " -t " + std::to_string(CLIP_SECONDS) +
                " -c:v libx264 -preset veryfast -pix_fmt yuv420p '" + path + "'";
            std::printf("making %s\n", path.c_str());
            std::fflush(stdout);
            if (std::system(command.c_str()) != 0) return {};
            clips.push_back(path);
        }
    }
    return clips;
}

}  // namespace

int main(int argc, char** argv) {
    std::setvbuf(stdout, nullptr, _IOLBF, 0);
    std::vector<std::string> clips(argv + 1, argv + argc);
    if (clips.empty()) clips = makeClips();
    if (clips.empty()) {
        std::fprintf(stderr, "no clip to play\n");
        return 1;
    }
    std::printf("\n%-20s %-9s %6s %8s %8s %5s %14s %8s %8s %8s\n", "clip", "playback", "wall s",
                "video s", "video/s", "shown", "per video s", "decode", "upload", "draw");
    std::printf("%-20s %-9s %6s %8s %8s %5s %14s %8s %8s %8s\n", "", "", "", "", "", "",
                "(of the rate)", "ms/frame", "ms/frame", "ms/frame");
    int failures = 0;
    for (const std::string& clip : clips) {
        int pipeEnds[2];
        if (pipe(pipeEnds) != 0) return 1;
        const pid_t child = fork();
        if (child == 0) {
            close(pipeEnds[0]);
            dup2(pipeEnds[1], STDOUT_FILENO);
            if (!std::freopen("/dev/null", "w", stderr)) return 1;
            char name[] = "playback_bench";
            char* childArgv[] = {name, nullptr};
            return playClip(clip, 1, childArgv);
        }
        close(pipeEnds[1]);
        FILE* lines = fdopen(pipeEnds[0], "r");
        char line[512];
        const size_t mark = std::strlen(FIGURES_MARK);
        while (lines != nullptr && std::fgets(line, sizeof line, lines) != nullptr)
            if (std::strncmp(line, FIGURES_MARK, mark) == 0) std::fputs(line + mark, stdout);
        if (lines != nullptr) std::fclose(lines);
        int status = 0;
        if (child < 0 || waitpid(child, &status, 0) < 0 || !WIFEXITED(status) ||
            WEXITSTATUS(status) != 0) {
            std::printf("%s: the player failed\n", clip.c_str());
            ++failures;
        }
    }
    if (!clipFolder.empty()) {
        for (const std::string& clip : clips) std::remove(clip.c_str());
        rmdir(clipFolder.c_str());
    }
    return failures == 0 ? 0 : 1;
}
