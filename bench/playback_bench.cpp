// Playback benchmark: the whole tool (three windows, every widget) plays a 1280 x 720
// H.264 clip for ten seconds; prints the frames advanced per second and, per frame,
// the processor time of decoding, of uploading the frame to its texture and of
// drawing the three windows.
//
//   playback_bench [clip]     (needs an X display: xvfb-run -s "-screen 0 1920x1200x24")
//
// Without a clip it makes one with the ffmpeg program (12 s, 30 frames per second).
#include <GL/freeglut.h>
#include <GL/gl.h>

#include <cstdio>
#include <cstdlib>
#include <ctime>
#include <string>

#include "app/app_callbacks.h"
#include "app/app_state.h"
#include "app/commands.h"
#include "app/composition.h"
#include "app/startup.h"
#include "toolkit/window.h"

namespace {

constexpr double PLAY_SECONDS = 10.0;

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
    double cpu = 0.0, wall = 0.0;
    long count = 0;
};

struct Figures {
    Phase decode, upload, draw;
    Phase window[3];  // drawing per window: main, field, 3D (the upload included)
    long idleWalks = 0;
    int startFrame = 0;
    double startWall = 0.0, startCpu = 0.0;
    bool measuring = false;
} figures;

struct Timer {
    Phase* phase;
    double cpu0 = cpuSeconds(), wall0 = wallSeconds();
    explicit Timer(Phase* p) : phase(p) {}
    ~Timer() {
        if (!figures.measuring) return;
        phase->cpu += cpuSeconds() - cpu0;
        phase->wall += wallSeconds() - wall0;
        phase->count++;
    }
};

// The timeline's idle work, with the read of the next frame timed.
int timedTimelineIdle(InterfaceObject* object) {
    if (figures.measuring) figures.idleWalks++;
    {
        Timer t(&figures.decode);
        if (!playbackStep(&app, playbackClockSeconds())) return 1;
    }
    (void)object;
    redisplayAll();
    return 1;
}

// The video panel's drawing with its texture upload done (and timed) first, so that
// the panel then draws without uploading again.
int timedVideoDisplay(InterfaceObject* object) {
    Texture* texture = &app.videoPanel.texture;
    {
        Timer t(&figures.upload);
        glBindTexture(GL_TEXTURE_2D, static_cast<GLuint>(texture->textureId));
        glPixelStorei(GL_UNPACK_ALIGNMENT, 1);
        glTexSubImage2D(GL_TEXTURE_2D, 0, 0, 0, texture->width, texture->height,
                        static_cast<GLenum>(texture->format), GL_UNSIGNED_BYTE, texture->pixels);
        glFinish();
    }
    const int flags = texture->updateFlags;
    texture->updateFlags &= ~TEXTURE_STREAMED;
    drawVideoView(object);
    texture->updateFlags = flags;
    return 1;
}

// Every window's display, timed to the end of its drawing (the upload inside it is
// counted apart and taken off afterwards).
void timedDisplay() {
    const int index = glutGetWindow() - 1;
    Timer total(&figures.draw);
    Timer own(&figures.window[index >= 0 && index < 3 ? index : 0]);
    handleDisplay();
    glFinish();
}

void startMeasuring(int) {
    figures.measuring = true;
    figures.startFrame = app.timeline.frames.currentFrame;
    figures.startWall = wallSeconds();
    figures.startCpu = cpuSeconds();
}

void stopMeasuring(int) {
    const double wall = wallSeconds() - figures.startWall;
    const double cpu = cpuSeconds() - figures.startCpu;
    figures.measuring = false;
    const int frames = app.timeline.frames.currentFrame - figures.startFrame;
    const Figures& f = figures;
    const double perFrame = frames > 0 ? 1000.0 / frames : 0.0;
    std::printf("\nplayback of %dx%d for %.2f s: %d frames advanced, %.2f frames per second\n",
                app.video.videoWidth, app.video.videoHeight, wall, frames, frames / wall);
    std::printf("timeline idle walks %ld, window redraws %ld (%.2f per frame)\n", f.idleWalks,
                f.draw.count, frames > 0 ? static_cast<double>(f.draw.count) / frames : 0.0);
    std::printf("per frame, ms        processor   wall\n");
    std::printf("  decode             %8.2f %8.2f\n", f.decode.cpu * perFrame,
                f.decode.wall * perFrame);
    std::printf("  upload             %8.2f %8.2f\n", f.upload.cpu * perFrame,
                f.upload.wall * perFrame);
    std::printf("  drawing (3 windows)%8.2f %8.2f\n", (f.draw.cpu - f.upload.cpu) * perFrame,
                (f.draw.wall - f.upload.wall) * perFrame);
    static const char* const names[3] = {"main window", "field window", "3D window"};
    for (int i = 0; i < 3; ++i)
        std::printf("    %-17s%8.2f %8.2f\n", names[i], f.window[i].cpu * perFrame,
                    f.window[i].wall * perFrame);
    std::printf("  whole process      %8.2f %8.2f\n", cpu * perFrame, wall * perFrame);
    std::printf("target: 30 ticks per second, at least 29 frames per second: %s\n",
                frames / wall >= 29.0 ? "held" : "NOT held");
    std::fflush(stdout);
    glutLeaveMainLoop();
}

std::string makeClip() {
    char pattern[] = "/tmp/annotate-playback-bench-XXXXXX";
    if (!mkdtemp(pattern)) return "";
    const std::string path = std::string(pattern) + "/clip.mp4";
    const std::string command =
        "ffmpeg -nostdin -v error -y -f lavfi -i testsrc2=size=1280x720:rate=30 -t 12 "
        "-c:v libx264 -preset veryfast -pix_fmt yuv420p '" +
        path + "'";
    std::printf("making %s\n", path.c_str());
    return std::system(command.c_str()) == 0 ? path : "";
}

}  // namespace

int main(int argc, char** argv) {
    std::setvbuf(stdout, nullptr, _IOLBF, 0);
    const std::string clip = argc > 1 ? argv[1] : makeClip();
    if (clip.empty() || !openVideo(&app.video, clip.c_str(), FRAME_PIXEL_FORMAT)) {
        std::fprintf(stderr, "no clip to play\n");
        return 1;
    }
    if (app.video.nFrames < 330) {
        std::fprintf(stderr, "the clip has %d frames; 330 or more are needed\n", app.video.nFrames);
        return 1;
    }
    initToolkit(&argc, argv);
    prepareScene(&app);
    composeWindows(&app, ANNOTATE_ARTWORK_DIR);

    setIdleCallback(&app.timeline, timedTimelineIdle);
    setDisplayCallback(&app.videoPanel, timedVideoDisplay);
    for (int i = 0; i < windowCount(); ++i) {
        glutSetWindow(windowAt(i)->windowId);
        glutDisplayFunc(timedDisplay);
    }
    playPause(&app);
    // A second for the windows to settle, then ten seconds measured.
    glutTimerFunc(1000, startMeasuring, 0);
    glutTimerFunc(static_cast<unsigned>(1000 + PLAY_SECONDS * 1000), stopMeasuring, 0);
    runWindows();
    releaseVideo(&app.video);
    return 0;
}
