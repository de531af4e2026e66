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

void prepareScene(AppState* state) {
    for (PlayerTrack& track : state->tracks) initTrack(&track);
    state->scene.tracks = state->tracks;
    state->scene.registration = &state->registration;
    state->scene.videoWidth = state->video.videoWidth;
    state->scene.videoHeight = state->video.videoHeight;
}

int runSetup(const CommandLine& names) {
    if (!openVideo(&app.video, names.videoFileName, VIDEO_FRAME_BGR)) exitAfterPrompt(stdout);

    // The command line has checked that both names fit the state's buffers.
    std::strcpy(app.saveFileName, names.saveFileName);
    std::strcpy(app.loadFileName, names.loadFileName);

    // Without a registration the tool still works: the video view shows the keys in
    // image space and the field views leave players out.
    readRegistration(names.registrationFileName, &app.registration);
    if (app.registration.count < app.video.nFrames)
        std::printf(
            "Warning: %d of %d frames have a registration: the views leave players out on "
            "the others\n",
            app.registration.count, app.video.nFrames);
    if (app.registration.count == 0)
        setStatusText(&app.status, "no registration: field views are empty");

    prepareScene(&app);
    recoverAtStart(&app);
    composeWindows(&app, names.programDirectory);
    runWindows();

    // Closing a window ends the program as Esc does; should the loop return anyway
    // (every window gone), the video and the registration are released here.
    waitForExports(&app.exporter, &app);
    finishRecovery(&app);
    releaseVideo(&app.video);
    clearRegistration(&app.registration);
    return 1;
}
