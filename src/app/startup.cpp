#include "app/startup.h"

#include <cstdlib>
#include <cstring>

#include "app/app_state.h"
#include "app/composition.h"
#include "tracking/player_track.h"
#include "tracking/registration.h"
#include "video/video_source.h"

AppState app;

void exitAfterPrompt(FILE* stream) {
    std::fputs("PRESS ENTER TO EXIT", stream);
    std::fflush(stream);
    std::getchar();
    std::exit(STARTUP_FAILURE_EXIT);
}

int runSetup(const CommandLine& names) {
    if (!openVideo(&app.video, names.videoFileName, FRAME_PIXEL_FORMAT)) exitAfterPrompt(stdout);

    // The command line has checked that both names fit the state's buffers.
    std::strcpy(app.saveFileName, names.saveFileName);
    std::strcpy(app.loadFileName, names.loadFileName);

    // Without a registration the tool still works; the views leave players out.
    readRegistration(names.registrationFileName, &app.registration);
    if (app.registration.count < app.video.nFrames)
        std::printf(
            "Warning: %d of %d frames have a registration: the views leave players out on "
            "the others\n",
            app.registration.count, app.video.nFrames);

    for (PlayerTrack& track : app.tracks) initTrack(&track);

    app.scene.tracks = app.tracks;
    app.scene.registration = &app.registration;
    app.scene.videoWidth = app.video.videoWidth;
    app.scene.videoHeight = app.video.videoHeight;

    composeWindows(&app, names.programDirectory);
    runWindows();

    // The event loop returns once every window has been closed.
    releaseVideo(&app.video);
    clearRegistration(&app.registration);
    return 1;
}
