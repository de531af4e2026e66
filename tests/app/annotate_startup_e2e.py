#!/usr/bin/env python3
"""Start-up with something missing, on the real program under X: without its
registration the tool starts, annotates and saves, and the field views leave the
players out; without its artwork folder it starts and names every picture it could
not load.

    annotate_startup_e2e.py ANNOTATE
"""

import os
import shutil
import sys
import tempfile

sys.dont_write_bytecode = True  # no cache files in the source tree

from e2e_support import (summary, Failure, Image, Program, click_rect, decode_frames, drag,
                         find_window, key, log, make_clip, mean_difference, wait_until,
                         write_registration)

VW, VH = 320, 240
FRAMES = 12

failures = []


def check(condition, message):
    if not condition:
        failures.append(message)
        log("FAIL: " + message)


def panel(main, layout):
    x, y, w, h = layout.videoPanel
    sx, sy = main.screen(x, y + h - 1)
    return Image(sx, sy, w, h)


def field_view_image(field):
    return Image(field.x, field.y, field.w, field.h)


def esc_ends_with_one(program, main, what):
    key(main, "Escape")
    code = program.wait_exit()
    check(code == 1, "%s: exit code after Esc: %d" % (what, code))
    check(program.sanitizer_clean(), "%s: sanitizer reports on stderr" % what)


def without_registration(program_path, folder, clip, frames):
    log("-- without a registration file")
    missing = os.path.join(folder, "missing.reg")
    saved = os.path.join(folder, "saved.dat")
    program = Program([program_path, clip, missing, saved], folder)
    try:
        program.wait_for_output("id: 3")
        layout = program.layout()
        out = program.stdout()
        check("can't read the file %s!\n" % missing in out, "no message about the registration")
        main = find_window("clip.avi$")
        field = find_window("^football field$")
        wait_until("the first frame", lambda: mean_difference(
            panel(main, layout), frames[0], VW, VH, step=7)[0] < 1.5)
        before = field_view_image(field).pixels

        # O1's key at frame 0, drawn on the video and saved.
        click_rect(main, layout.players[0])
        vx, vy = layout.videoPanel[0], layout.videoPanel[1]
        drag(main, vx + 100, vy + 50, vx + 140, vy + 130)
        click_rect(main, layout.saveButton)
        program.wait_for_output("save %d frames data in %s" % (FRAMES, saved))
        text = wait_until("the saved file", lambda: os.path.exists(saved) and open(saved).read())
        check("\nnPlayers\t1\n0\t120\t190\t120\t150\t40\t80\t1\n" in text,
              "the key was not saved: %r" % text[:300])

        def rectangle_drawn(left):
            image = panel(main, layout)
            edge = [image.at(image.x0 + x, image.y0 + VH - 1 - y)
                    for y in range(60, 120) for x in (left - 1, left, left + 1)]
            return sum(1 for r, g, b in edge if g > 200 and r < 120 and b < 120) > 30

        def at_frame(index):
            wait_until("frame %d" % index, lambda: mean_difference(
                panel(main, layout), frames[index], VW, VH, step=7)[0] < 1.5)

        try:
            wait_until("the player's rectangle on the video", lambda: rectangle_drawn(100))
            # A second key at frame 10, 100 pixels to the right: at frame 5 the
            # rectangle lies halfway, blended in the image without a registration.
            for _ in range(10):
                key(main, "period")
            at_frame(10)
            drag(main, vx + 200, vy + 50, vx + 240, vy + 130)
            for _ in range(5):
                key(main, "comma")
            at_frame(5)
            wait_until("the in-between rectangle on the video", lambda: rectangle_drawn(150))
        except Failure as e:
            check(False, str(e))
        # Redrawn after the key, the field plan still shows no player.
        after = field_view_image(field).pixels
        check(after == before, "the field view shows a player without a registration")
        esc_ends_with_one(program, main, "without registration")
    finally:
        program.stop()
        if failures:
            program.report()


def without_artwork(program_path, folder, clip, registration, frames):
    log("-- without the artwork folder")
    bare = os.path.join(folder, "bare")
    os.mkdir(bare)
    copy = os.path.join(bare, "annotate")
    shutil.copy2(program_path, copy)
    program = Program([copy, clip, registration, os.path.join(folder, "bare.dat")], bare)
    try:
        program.wait_for_output("id: 3")
        layout = program.layout()
        out = program.stdout()
        names = ["button bar", "small football field", "football field", "football field 3D"]
        for kind in ["Play", "Pause", "Prev", "Next", "PrevKey", "NextKey", "Load", "Save",
                     "DeleteKey", "ModifyFeet", "ModifyRect", "SwitchModifyFeet",
                     "SwitchModifyRect"]:
            names += [look + kind for look in ("default", "press", "rollOver")]
        for n in range(1, 23):
            for look in ("default", "press", "rollOver"):
                names += ["%sButton%d" % (look, n), "%sSwitchButton%d" % (look, n)]
        unnamed = [n for n in names if "name: /textures/%s.png not loaded!\n" % n not in out]
        check(not unnamed, "pictures not named as missing: %s" % unnamed[:5])
        check(out.count(" not loaded!\n") == len(names),
              "%d pictures reported missing, expected %d"
              % (out.count(" not loaded!\n"), len(names)))
        check("%d pictures not loaded" % len(names) in out, "no summary of the missing pictures")
        main = find_window("clip.avi$")
        find_window("^football field$")
        find_window("^3D view of football field$")
        check((main.w, main.h) == (VW + 170, VH + 34),
              "main window %dx%d without the bar, expected %dx%d"
              % (main.w, main.h, VW + 170, VH + 34))
        # The video needs no artwork.
        try:
            wait_until("the first frame", lambda: mean_difference(
                panel(main, layout), frames[0], VW, VH, step=7)[0] < 1.5)
        except Failure as e:
            check(False, str(e))
        esc_ends_with_one(program, main, "without artwork")
    finally:
        program.stop()
        if failures:
            program.report()


def main():
    program_path = os.path.abspath(sys.argv[1])
    folder = tempfile.mkdtemp(prefix="annotate-startup-e2e-")
    try:
        clip = os.path.join(folder, "clip.avi")
        make_clip(clip, FRAMES, VW, VH)
        frames = decode_frames(clip, VW, VH)
        registration = os.path.join(folder, "clip.reg")
        write_registration(registration, FRAMES, VW, VH)
        for case in (lambda: without_registration(program_path, folder, clip, frames),
                     lambda: without_artwork(program_path, folder, clip, registration, frames)):
            try:
                case()
            except Failure as e:
                failures.append(str(e))
                log("FAIL: " + str(e))
    finally:
        shutil.rmtree(folder, ignore_errors=True)
    return summary(failures)


if __name__ == "__main__":
    sys.exit(main())
