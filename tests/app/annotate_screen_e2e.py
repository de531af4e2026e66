#!/usr/bin/env python3
"""Broadcast video on an ordinary screen: the real program on its own 1920 x 1080 X
server with a 1920 x 1080 clip. Every window and control lies on the screen, a drag on
the scaled video saves the key at the video pixels under it, the main window relays
itself out when resized with its player buttons still working, and closing the field
window ends the program as Esc does. Widget places come from the program's layout dump.

    annotate_screen_e2e.py ANNOTATE SEND_WM_DELETE
"""

import os
import shutil
import subprocess
import sys
import tempfile

sys.dont_write_bytecode = True  # no cache files in the source tree

from e2e_support import (summary, Failure, Image, Program, Window, click_rect, drag, find_window,
                         log, make_clip, run, wait_until, write_registration)

SCREEN = (1920, 1080)
VW, VH = 1920, 1080
FRAMES = 8
BACKGROUND = (85, 95, 118)  # every window's clear colour

failures = []


def check(condition, message):
    if not condition:
        failures.append(message)
        log("FAIL: " + message)


def start_server(folder):
    """An X server of the screen size, on a display of its own."""
    fixture = os.path.join(os.environ.get("ANNOTATE_SOURCE_DIR", ""), "tests", "support",
                           "xvfb_fixture.sh")
    state = os.path.join(folder, "display")
    env = dict(os.environ, XVFB_SCREEN="%dx%dx24" % SCREEN)
    env.pop("DISPLAY", None)
    run([fixture, "start", state], env=env)
    with open(state) as f:
        os.environ["DISPLAY"] = f.read().split()[0]
    return lambda: subprocess.run([fixture, "stop", state])


def on_screen(window, rect):
    """Whether a window's rectangle (x, y, w, h, y upward) lies on the screen."""
    x0, y0 = window.screen(rect[0], rect[1] + rect[3] - 1)
    return x0 >= 0 and y0 >= 0 and x0 + rect[2] <= SCREEN[0] and y0 + rect[3] <= SCREEN[1]


def drawn(main, rect):
    """Whether most of a control's pixels differ from the window's background."""
    sx, sy = main.screen(rect[0], rect[1] + rect[3] - 1)
    image = Image(sx, sy, rect[2], rect[3])
    differ = sum(1 for y in range(rect[3]) for x in range(rect[2])
                 if max(abs(a - b) for a, b in zip(image.at(sx + x, sy + y), BACKGROUND)) > 12)
    return differ * 2 > rect[2] * rect[3]


def saved_lines(program, saved, count):
    program.wait_for_output("save %d frames data in %s" % (FRAMES, saved), count)
    text = wait_until("the saved file", lambda: os.path.exists(saved) and open(saved).read())
    return [line.split("\t") for line in text.split("\n") if line.count("\t") == 7]


def check_key(line, player, press, release, panel, what):
    """The saved key of a drag from press to release (panel pixels, y upward) lies within
    one video pixel per screen pixel of the picture spot under it."""
    k = VW / panel[2]  # video pixels per screen pixel
    (px, py), (rx, ry) = [(x * VW / panel[2], y * VH / panel[3]) for x, y in (press, release)]
    want = [(px + rx) / 2, VH - min(py, ry), (px + rx) / 2, VH - (py + ry) / 2,
            abs(px - rx), abs(py - ry)]
    got = [float(v) for v in line[1:7]]
    log("%s: saved %s, expected about %s" % (what, got, [round(v, 1) for v in want]))
    check(int(line[0]) == player and line[7] == "1", "%s: line %r" % (what, line))
    check(all(abs(g - w) <= k + 1 for g, w in zip(got, want)),
          "%s: the key is not where the drag was" % what)


def main():
    program_path, send_wm_delete = sys.argv[1], sys.argv[2]
    folder = tempfile.mkdtemp(prefix="annotate-screen-e2e-")
    stop_server = lambda: None
    program = None
    try:
        stop_server = start_server(folder)
        clip = os.path.join(folder, "hd clip.avi")
        saved = os.path.join(folder, "hd clip.dat")
        make_clip(clip, FRAMES, VW, VH)
        write_registration(os.path.join(folder, "hd clip.reg"), FRAMES, VW, VH)
        program = Program([program_path, clip], folder)
        program.wait_for_output("id: 3")
        line = [l for l in program.stdout().splitlines() if l.startswith("display scale")]
        log(line[0] if line else "no display scale line")
        check(line and line[0].endswith("(screen %dx%d)" % SCREEN), "display scale line: %r" % line)

        main_window = find_window("hd clip.avi$")
        windows = [main_window, find_window("^football field$"),
                   find_window("^3D view of football field$")]
        L = program.layout(lambda l: l.serial >= 3, "the field windows' first layout")
        log("scale %g, field window %s" % (L.scale, L.fieldWindow))
        check(L.scale >= 0.55, "display scale %g" % L.scale)
        check(L.fieldWindow[2] >= 560, "field window %d wide" % L.fieldWindow[2])
        for i, w in enumerate(windows):
            check(w.x >= 0 and w.y >= 0 and w.x + w.w <= SCREEN[0] and w.y + w.h <= SCREEN[1],
                  "window %d at %d,%d %dx%d leaves the screen" % (i, w.x, w.y, w.w, w.h))
            for other in windows[i + 1:]:
                check(w.x + w.w <= other.x or other.x + other.w <= w.x or
                      w.y + w.h <= other.y or other.y + other.h <= w.y,
                      "windows overlap: %s and %s" % (w.id, other.id))
        controls = ["playButton", "previousFrameButton", "nextFrameButton", "previousKeyButton",
                    "nextKeyButton", "loadButton", "saveButton", "deleteKeyButton",
                    "modifyFeetSwitch", "modifyRectSwitch", "subfieldView", "timeline",
                    "videoPanel"]
        rects = [(name, L.rects[name]) for name in controls] + \
            [("player %d" % i, r) for i, r in enumerate(L.players)]
        for name, rect in rects:
            check(on_screen(main_window, rect), "%s %s is off the screen" % (name, rect))
        def undrawn():
            return [name for name, rect in rects[:10] + rects[13:] if not drawn(main_window, rect)]

        try:
            wait_until("every control drawn", lambda: not undrawn())
        except Failure:
            check(False, "controls not drawn: %s" % undrawn())

        # O1 by its button, then a drag on the scaled video and "save".
        panel = L.videoPanel
        click_rect(main_window, L.players[0])
        press, release = (200, 150), (260, 290)
        drag(main_window, panel[0] + press[0], panel[1] + press[1],
             panel[0] + release[0], panel[1] + release[1])
        click_rect(main_window, L.saveButton)
        lines = saved_lines(program, saved, 1)
        check(len(lines) == 1, "one key line expected, saved %d" % len(lines))
        if lines:
            check_key(lines[0], 0, press, release, panel, "O1 at scale %g" % L.scale)

        # A smaller main window: a smaller video, every control inside, D5 still clickable.
        size = (L.mainWindow[2] * 3 // 4, L.mainWindow[3] * 3 // 4)
        run(["xdotool", "windowsize", main_window.id, str(size[0]), str(size[1])])
        small = program.layout(lambda l: l.mainWindow[2:] == size, "the relayout")
        main_window = Window(main_window.id)
        log("after the resize to %dx%d: scale %g" % (size[0], size[1], small.scale))
        check(small.scale < L.scale, "the video did not shrink with the window")
        for name, rect in [(n, small.rects[n]) for n in controls] + \
                [("player %d" % i, r) for i, r in enumerate(small.players)]:
            check(rect[0] >= 0 and rect[1] >= 0 and rect[0] + rect[2] <= size[0] and
                  rect[1] + rect[3] <= size[1], "%s %s outside the resized window" % (name, rect))
        wait_until("the relaid-out window drawn", lambda: drawn(main_window, small.players[15]))
        click_rect(main_window, small.players[15])  # D5
        panel = small.videoPanel
        drag(main_window, panel[0] + press[0], panel[1] + press[1],
             panel[0] + release[0], panel[1] + release[1])
        click_rect(main_window, small.saveButton)
        lines = saved_lines(program, saved, 2)
        check(len(lines) == 2, "two key lines expected, saved %d" % len(lines))
        if len(lines) == 2:
            check_key(lines[1], 15, press, release, panel, "D5 at scale %g" % small.scale)

        # The field window's close button ends the program as Esc does.
        run([send_wm_delete, windows[1].id])
        code = program.wait_exit()
        check(code == 1, "exit code after closing the field window: %d" % code)
        check(program.sanitizer_clean(), "sanitizer reports on stderr")
    except Failure as e:
        failures.append(str(e))
        log("FAIL: " + str(e))
    finally:
        if program is not None:
            program.stop()
            if failures:
                program.report()
        stop_server()
        shutil.rmtree(folder, ignore_errors=True)
    return summary(failures)


if __name__ == "__main__":
    sys.exit(main())
