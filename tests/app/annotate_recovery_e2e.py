#!/usr/bin/env python3
"""Work kept across every end of the real program under X: two keys dragged, undone and
redone with the keys, kept in the recovery copy a while after the change and at Esc;
loaded at the next start; a third key kept at SIGTERM; "save" writes them all and removes
the copy. The status line shows in the strip right of the button bar.

    annotate_recovery_e2e.py ANNOTATE
"""

import os
import shutil
import signal
import sys
import tempfile

sys.dont_write_bytecode = True  # no cache files in the source tree

from e2e_support import (summary, Failure, Image, Program, blocks, click_rect, drag, find_window,
                         key, log, make_clip, wait_until, write_registration)

VW, VH = 640, 360
FRAMES = 8
DELAY = 10  # seconds after a change within which the copy is written (the tool's delay)

failures = []


def check(condition, message):
    if not condition:
        failures.append(message)
        log("FAIL: " + message)


def key_frames(text):
    """Frames and players of the key lines (flag 1) of a tracking file."""
    return sorted((f, int(line.split("\t")[0])) for f, lines in enumerate(blocks(text))
                  for line in lines if line.split("\t")[-1] == "1")


def read(path):
    with open(path) as f:
        return f.read()


def status_shown(main, layout):
    """Whether the status strip right of the button bar holds any text."""
    x, y, w, h = layout.statusLine
    sx, sy = main.screen(x, y + h - 1)
    image = Image(sx, sy, w, h)
    return any(image.pixels[i] > 200 and image.pixels[i + 2] > 180
               for i in range(0, len(image.pixels), 3))


class Run:
    """One start of the program on the session's files."""

    def __init__(self, program_path, folder, clip, registration, saved):
        self.program = Program([program_path, clip, registration, saved], folder)
        self.program.wait_for_output("id: 3")
        self.main = find_window("clip.avi$")
        self.layout = self.program.layout()

    def status_shown(self):
        return status_shown(self.main, self.layout)

    def drag_key(self, box):
        vx, vy = self.layout.videoPanel[0], self.layout.videoPanel[1]
        drag(self.main, vx + box[0], vy + box[1], vx + box[2], vy + box[3])

    def press(self, name, output, count=1):
        key(self.main, name)
        self.program.wait_for_output(output, count)


def main():
    program_path = os.path.abspath(sys.argv[1])
    folder = tempfile.mkdtemp(prefix="annotate-recovery-e2e-")
    clip = os.path.join(folder, "clip.avi")
    registration = os.path.join(folder, "clip.reg")
    saved = os.path.join(folder, "clip.dat")
    copy = saved + ".autosave"
    make_clip(clip, FRAMES, VW, VH)
    write_registration(registration, FRAMES, VW, VH)
    run = None
    try:
        log("-- two keys, undo and redo, Esc")
        run = Run(program_path, folder, clip, registration, saved)
        check(not run.status_shown(), "status text before anything happened")
        key(run.main, "p")  # O1
        run.drag_key((100, 50, 140, 130))
        for _ in range(3):
            key(run.main, "period")
        run.drag_key((300, 100, 360, 220))
        # The copy comes a while after the change, without any action of the user.
        wait_until("the recovery copy", lambda: os.path.exists(copy), timeout=DELAY + 20)
        check(key_frames(read(copy)) == [(0, 0), (3, 0)],
              "the recovery copy holds %s" % key_frames(read(copy)))
        run.press("ctrl+z", "undo: key O1 at frame 3\n")
        run.press("ctrl+y", "redo: key O1 at frame 3\n")
        run.press("ctrl+z", "undo: key O1 at frame 3\n", 2)
        run.press("ctrl+shift+z", "redo: key O1 at frame 3\n", 2)
        wait_until("the status line", lambda: run.status_shown())
        key(run.main, "Escape")
        code = run.program.wait_exit()
        check(code == 1, "exit code after Esc: %d" % code)
        check("unsaved changes kept in %s" % copy in run.program.stdout(), "no word of the copy")
        check(not os.path.exists(saved), "Esc saved the file")
        check(key_frames(read(copy)) == [(0, 0), (3, 0)], "the copy after Esc holds %s"
              % key_frames(read(copy)))

        log("-- recovered at the next start; a third key; SIGTERM")
        run = Run(program_path, folder, clip, registration, saved)
        check("recovered 2 keys from %s" % copy in run.program.stdout(), "no recovery at start")
        wait_until("the status line", lambda: run.status_shown())
        key(run.main, "p")
        for _ in range(6):
            key(run.main, "period")
        run.drag_key((200, 60, 230, 140))
        run.program.proc.send_signal(signal.SIGTERM)
        code = run.program.wait_exit()
        check(code == -signal.SIGTERM, "exit code after SIGTERM: %d" % code)
        check(key_frames(read(copy)) == [(0, 0), (3, 0), (6, 0)],
              "the copy after SIGTERM holds %s" % key_frames(read(copy)))

        log("-- recovered again; \"save\" writes the keys and removes the copy")
        run = Run(program_path, folder, clip, registration, saved)
        run.program.wait_for_output("recovered 3 keys from %s" % copy)
        click_rect(run.main, run.layout.saveButton)
        run.program.wait_for_output("save %d frames data in %s\n" % (FRAMES, saved))
        text = wait_until("the saved file", lambda: os.path.exists(saved) and read(saved))
        check(key_frames(text) == [(0, 0), (3, 0), (6, 0)], "saved keys %s" % key_frames(text))
        wait_until("the copy to go", lambda: not os.path.exists(copy))
        key(run.main, "Escape")
        check(run.program.wait_exit() == 1, "exit code after the save and Esc")
        check(not os.path.exists(copy), "a copy written without unsaved changes")
        check(run.program.sanitizer_clean(), "sanitizer reports on stderr")
    except Failure as e:
        failures.append(str(e))
        log("FAIL: " + str(e))
    finally:
        if run is not None:
            run.program.stop()
            if failures:
                run.program.report()
        shutil.rmtree(folder, ignore_errors=True)
    return summary(failures)


if __name__ == "__main__":
    sys.exit(main())
