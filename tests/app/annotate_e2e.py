#!/usr/bin/env python3
"""The whole tool, driven as a person drives it: real pointer moves, clicks, drags
and keys (xdotool) on the real program, then the tracking file it writes and the
pixels it draws.

    annotate_e2e.py ANNOTATE
"""

import os
import shutil
import sys
import tempfile

sys.dont_write_bytecode = True  # no cache files in the source tree
import time

from e2e_support import (summary, Failure, Image, Program, Window, blocks, click, click_rect,
                         decode_frames, drag, find_window, key, log, make_clip, mean_difference,
                         run, wait_until, write_registration)

VW, VH = 640, 480
FRAMES = 40
LAST = FRAMES - 1
SAME_FRAME = 1.5  # mean channel difference below which the panel shows a frame
YELLOW = (255, 255, 76)  # the selected O-side player's colour on the field plan

failures = []


def check(condition, message):
    if not condition:
        failures.append(message)
        log("FAIL: " + message)


class Session:
    def __init__(self, program_path, folder):
        self.folder = folder
        self.clip = os.path.join(folder, "e2e clip.avi")
        self.registration = os.path.join(folder, "e2e clip.reg")
        self.saved = os.path.join(folder, "e2e clip.dat")
        make_clip(self.clip, FRAMES, VW, VH)
        self.frames = decode_frames(self.clip, VW, VH)
        if len(self.frames) != FRAMES:
            raise Failure("ffmpeg decoded %d frames" % len(self.frames))
        self.scale = write_registration(self.registration, FRAMES, VW, VH)
        self.program = Program([program_path, self.clip, self.registration, self.saved], folder)
        self.saves = 0

    # -- What the video panel shows

    def panel_image(self):
        x, y, w, h = self.layout.videoPanel
        sx, sy = self.main.screen(x, y + h - 1)  # the panel's top-left pixel
        return Image(sx, sy, w, h)

    def shows(self, index):
        """Whether the panel shows the decoded frame index (sampled)."""
        image = self.panel_image()
        return mean_difference(image, self.frames[index], VW, VH, border=4, step=9)[0] < SAME_FRAME

    def shown_frame(self):
        """Index of the decoded frame the panel shows (coarsely sampled), or None."""
        image = self.panel_image()
        best, best_diff = None, None
        for i, frame in enumerate(self.frames):
            diff, _ = mean_difference(image, frame, VW, VH, border=4, step=23)
            if best_diff is None or diff < best_diff:
                best, best_diff = i, diff
        return best if best_diff < SAME_FRAME else None

    def wait_frame(self, index, what):
        try:
            wait_until("frame %d (%s)" % (index, what), lambda: self.shows(index))
        except Failure:
            check(False, "%s: the panel shows frame %s, expected %d"
                  % (what, self.shown_frame(), index))

    def expect_exact_frame(self, index, what, marks=()):
        """The panel against the decoded frame, but for boxes of 21 x 21 pixels around
        the marks (x, y) that the tool draws over the frame (panel pixels, y upward)."""
        image = self.panel_image()
        boxes = [(x - 10, VH - 1 - y - 10, x + 11, VH - 1 - y + 11) for x, y in marks]
        mean, largest = mean_difference(image, self.frames[index], VW, VH, exclude=boxes)
        log("%s: frame %d against ffmpeg's decode: mean %.3f, largest %d"
            % (what, index, mean, largest))
        check(mean < 0.5 and largest <= 8,
              "%s: the panel differs from frame %d (mean %.2f, largest %d)"
              % (what, index, mean, largest))
        # Upright: the top rows of the panel are the frame's top rows.
        top = sum(abs(image.pixels[i] - self.frames[index][i]) for i in range(VW * 3 * 8))
        flipped = self.frames[index][(VH - 8) * VW * 3:]
        check(top < sum(abs(image.pixels[i] - flipped[i]) for i in range(VW * 3 * 8)) or
              top == 0, "%s: the frame is upside down" % what)

    # -- Saving

    def save(self):
        if os.path.exists(self.saved):
            os.remove(self.saved)
        click_rect(self.main, self.layout.saveButton)
        self.saves += 1
        self.program.wait_for_output("save %d frames data in %s" % (FRAMES, self.saved),
                                     self.saves)
        wait_until("the saved file", lambda: os.path.exists(self.saved))
        with open(self.saved) as f:
            return f.read()


def key_line(player, x0, y0, x1, y1, flags=1):
    """The saved line of a key dragged from (x1, y1) to (x0, y0), panel pixels y upward."""
    return line_of(player, key_values(x0, y0, x1, y1), flags)


def key_values(x0, y0, x1, y1):
    fx, fy = int((x0 + x1) / 2), min(y0, y1)
    return (fx, fy, int((x0 + x1) / 2), int((y0 + y1) / 2), abs(x0 - x1), abs(y0 - y1))


def line_of(player, v, flags):
    fx, fy, rx, ry, w, h = v
    return "%d\t%g\t%g\t%g\t%g\t%g\t%g\t%d" % (player, fx, VH - fy, rx, VH - ry, w, h, flags)


def interpolated_line(player, a, b, f0, f1, j):
    r = 1.0 / (f1 - f0)
    t = (j - f0) * r
    w = 1 - t
    fx, fy, rx, ry, rw, rh = (w * p + (1 - w) * q for p, q in zip(a, b))
    return "%d\t%g\t%g\t%g\t%g\t%g\t%g\t%d" % (player, fx, VH - fy, rx, VH - ry, rw, rh, 2)


def dot_seen(field, view, plan_x, plan_y, what):
    """A ring in the selected player's colour around a black centre near the plan point."""
    vx, vy, vw, vh = view
    sx, sy = field.screen(int(vx + plan_x * vw / 800.0), int(vy + plan_y * vh / 400.0))
    image = Image(sx - 8, sy - 8, 17, 17)
    yellow = black = 0
    for y in range(sy - 8, sy + 9):
        for x in range(sx - 8, sx + 9):
            r, g, b = image.at(x, y)
            if abs(r - YELLOW[0]) < 40 and abs(g - YELLOW[1]) < 40 and abs(b - YELLOW[2]) < 60:
                yellow += 1
            if r < 30 and g < 30 and b < 30 and abs(x - sx) <= 3 and abs(y - sy) <= 3:
                black += 1
    log("%s: dot near screen (%d, %d): %d ring pixels, %d black" % (what, sx, sy, yellow, black))
    return yellow >= 8 and black >= 9


def dot_check(field, view, plan_x, plan_y, what):
    try:
        wait_until(what, lambda: dot_seen(field, view, plan_x, plan_y, what), interval=0.5)
    except Failure:
        check(False, "%s: no player dot at plan (%.1f, %.1f)" % (what, plan_x, plan_y))


def main():
    program_path = sys.argv[1]
    folder = tempfile.mkdtemp(prefix="annotate-e2e-")
    s = None
    try:
        s = Session(program_path, folder)
        s.program.wait_for_output("id: 3")
        s.main = find_window("e2e clip.avi$")
        field = find_window("^football field$")
        find_window("^3D view of football field$")
        log("main window at %d,%d %dx%d" % (s.main.x, s.main.y, s.main.w, s.main.h))
        # The classic layout: the video at 1:1, every window as created.
        s.layout = L = s.program.layout(lambda l: l.fieldWindow[2:] == (field.w, field.h))
        check(L.scale == 1.0 and L.videoPanel[2:] == (VW, VH), "video shown at %g" % L.scale)
        check((s.main.w, s.main.h) == L.mainWindow[2:], "main window size %dx%d, expected %s"
              % (s.main.w, s.main.h, L.mainWindow[2:]))

        # The first frame, upright, pixel for pixel.
        s.wait_frame(0, "start")
        s.expect_exact_frame(0, "start")

        # O1 by its button; a drag on the video becomes its key at frame 0.
        click_rect(s.main, L.players[0])
        vx, vy = L.videoPanel[0], L.videoPanel[1]
        first = (100, 50, 140, 130)  # press (x1, y1), release (x0, y0), panel pixels
        drag(s.main, vx + first[0], vy + first[1], vx + first[2], vy + first[3])
        text = s.save()
        b = blocks(text)
        check(text.startswith("nFrames\t%d\nfieldPosition\tn\ntotalNPlayers\t22\n" % FRAMES),
              "header of the saved file")
        check(len(b) == FRAMES, "the saved file has %d blocks" % len(b))
        expected0 = key_line(0, first[2], first[3], first[0], first[1])
        check(b[0] == [expected0], "frame 0 holds %r, expected %r" % (b[0], expected0))
        check(all(not lines for lines in b[1:]), "lines on frames without keys")

        # Frames by the buttons and by the four keys, to frame 10.
        for _ in range(3):
            click_rect(s.main, L.nextFrameButton)
        s.wait_frame(3, "next-frame button")
        click_rect(s.main, L.previousFrameButton)
        s.wait_frame(2, "previous-frame button")
        for _ in range(4):
            key(s.main, "period")
        s.wait_frame(6, "'.'")
        for _ in range(6):
            key(s.main, "greater")
        s.wait_frame(12, "'>'")
        key(s.main, "comma")
        s.wait_frame(11, "','")
        key(s.main, "less")
        s.wait_frame(10, "'<'")
        # O1's key at frame 0 shows as its feet point on the frames after it.
        s.expect_exact_frame(10, "after stepping", marks=[(120, 50)])

        # A second key at frame 10: the frames between hold the interpolation.
        second = (400, 150, 450, 260)
        drag(s.main, vx + second[0], vy + second[1], vx + second[2], vy + second[3])
        text = s.save()
        b = blocks(text)
        a = key_values(first[2], first[3], first[0], first[1])
        c = key_values(second[2], second[3], second[0], second[1])
        check(b[0] == [expected0], "frame 0 after the second key: %r" % b[0])
        check(b[10] == [line_of(0, c, 1)], "frame 10 holds %r" % b[10])
        for j in range(1, 10):
            want = interpolated_line(0, a, c, 0, 10, j)
            check(b[j] == [want], "frame %d holds %r, expected %r" % (j, b[j], want))
        check(all(not lines for lines in b[11:]), "lines after the last key")
        saved_two_keys = text

        # The save brought the exports along, one row per line of the file; 'e' writes
        # them again.
        base = os.path.splitext(s.saved)[0]
        exported = "export 11 rows to %s.csv and %s.mot.txt" % (base, base)
        s.program.wait_for_output(exported, 1)
        os.remove(base + ".mot.txt")
        key(s.main, "e")
        s.program.wait_for_output(exported, 2)
        with open(base + ".mot.txt") as f:
            mot = f.read().splitlines()
        check(len(mot) == 11 and mot[0].startswith("1,1,") and mot[10].startswith("11,1,"),
              "the MOT export holds %r" % mot)

        # The dot of O1 on the field window at the feet point's projection.
        view = L.fieldView
        sx, sy = s.scale
        feet_x, feet_y = c[0], c[1]
        plan = (feet_x * sx, 400 - (VH - feet_y) * sy)
        dot_check(field, view, plan[0], plan[1], "O1 at frame 10")

        # The field window made twice as wide: the plan keeps its height and aspect,
        # centred, and the dot follows.
        run(["xdotool", "windowsize", field.id, str(2 * field.w), str(field.h)])
        wide = wait_until("the wider field window",
                          lambda: (lambda w: w if w.w == 2 * field.w else None)(Window(field.id)))
        view2 = s.program.layout(lambda l: l.fieldWindow[2] == wide.w).fieldView
        log("field view after the resize: %s" % (view2,))
        dot_check(wide, view2, plan[0], plan[1], "O1 in the wider field window")

        # 'p' selects O2, whose key 'r' deletes again.
        key(s.main, "p")
        third = (200, 300, 260, 400)
        drag(s.main, vx + third[0], vy + third[1], vx + third[2], vy + third[3])
        b = blocks(s.save())
        check(b[10] == [line_of(0, c, 1), key_line(1, third[2], third[3], third[0], third[1])],
              "frame 10 with O2's key: %r" % b[10])
        key(s.main, "r")
        text = s.save()
        check(text == saved_two_keys, "'r' did not delete O2's key at frame 10")

        # Edit without saving, then load: the saved keys come back.
        key(s.main, "o")  # O1 again
        key(s.main, "r")  # its key at frame 10
        click_rect(s.main, L.loadButton)
        s.program.wait_for_output("load " + s.saved)
        text = s.save()
        check(text == saved_two_keys, "load did not restore the saved keys")

        # Help: 'h' opens the frame over the video; a drag moves it.
        hx, hy = L.helpPanel[0], L.helpPanel[1]
        probe = (hx + 10, hy + 10, 30, 12)  # inside the frame, above its lower-left corner

        def region_is_video(rx, ry, frame_index):
            sx0, sy0 = s.main.screen(rx, ry + probe[3] - 1)
            image = Image(sx0, sy0, probe[2], probe[3])
            frame = s.frames[frame_index]
            diff = 0
            for yy in range(probe[3]):
                for xx in range(probe[2]):
                    top_row = VH - 1 - (ry + yy - vy)
                    i = (top_row * VW + (rx + xx - vx)) * 3
                    got = image.at(sx0 + xx, sy0 + probe[3] - 1 - yy)
                    diff += sum(abs(got[k] - frame[i + k]) for k in range(3))
            return diff / (probe[2] * probe[3] * 3) < 4

        check(region_is_video(probe[0], probe[1], 10), "the help frame shows before 'h'")
        key(s.main, "h")
        wait_until("the help frame", lambda: not region_is_video(probe[0], probe[1], 10))
        drag(s.main, probe[0] + 5, probe[1] + 5, probe[0] + 105, probe[1] - 45)
        moved = (probe[0] + 100, probe[1] - 50)

        # The frame leaves the probe at the drag's first steps, long before the last
        # pointer move has been drawn: wait for the frame's final place, its lower-left
        # corner region covered and the video showing left of its edge (15 pixels left
        # of the probe), where the drag's earlier steps still covered.
        def frame_where_dragged():
            return (region_is_video(probe[0], probe[1], 10)
                    and not region_is_video(moved[0], moved[1], 10)
                    and region_is_video(moved[0] - probe[2] - 25, moved[1], 10))

        wait_until("the help frame where dragged", frame_where_dragged)
        key(s.main, "h")
        wait_until("the help frame to close", lambda: region_is_video(moved[0], moved[1], 10))

        # A press on the timeline's last pixel column is the last frame, not the first.
        tx, ty, tw, th = L.timeline
        click(s.main, tx + tw - 1, ty + th // 2)
        s.wait_frame(LAST, "press on the timeline's right end")
        click(s.main, tx + tw // 2, ty + th // 2)
        s.wait_frame(FRAMES * (tw // 2 + 1) // tw, "press in the timeline's middle")

        # Space plays to the end and stops there.
        start = s.shown_frame()
        seen = set()
        key(s.main, "space")

        def reached_end():
            f = s.shown_frame()
            seen.add(f)
            return f == LAST

        wait_until("playback to reach the last frame", reached_end)
        log("playback from %s showed frames %s" % (start, sorted(x for x in seen if x is not None)))
        time.sleep(0.5)
        check(s.shown_frame() == LAST, "playback went on past the last frame")
        check(s.program.proc.poll() is None, "the program ended during playback")

        # At the end space rewinds to frame 0 and stays paused; again it plays.
        key(s.main, "space")
        s.wait_frame(0, "space after the end")
        time.sleep(0.5)
        check(s.shown_frame() == 0, "space after the end played instead of rewinding")
        key(s.main, "space")
        wait_until("playback after the rewind", lambda: (s.shown_frame() or 0) > 2)
        key(s.main, "space")

        # 't' on O1's key at frame 10: the run ends on its own, the frame shown is where
        # it stopped, and its keys (flag 5) lie after frame 10 and up to there.
        click(s.main, tx + tw - 1, ty + th // 2)
        s.wait_frame(LAST, "press on the timeline's right end")
        key(s.main, "n")
        s.wait_frame(10, "'n' back to O1's key")
        key(s.main, "t")
        s.program.wait_for_output("tracking of O1 stopped at frame ")
        stop_line = s.program.stdout().split("tracking of O1 stopped at frame ")[1]
        stopped_at = int(stop_line.split(":")[0])
        s.wait_frame(stopped_at, "the frame where tracking stopped")
        b = blocks(s.save())
        tracked = [f for f, lines in enumerate(b) for line in lines if line.endswith("\t5")]
        check(all(10 < f <= stopped_at for f in tracked),
              "tracked keys %r outside frames 11..%d" % (tracked, stopped_at))
        log("tracking stopped at frame %d (%s), tracked keys at %r"
            % (stopped_at, stop_line.split("\n")[0], tracked))

        # Esc ends the program with code 1.
        key(s.main, "Escape")
        code = s.program.wait_exit()
        check(code == 1, "exit code after Esc: %d" % code)
        check(s.program.sanitizer_clean(), "sanitizer reports on stderr")
    except Failure as e:
        failures.append(str(e))
        log("FAIL: " + str(e))
    finally:
        if s is not None:
            s.program.stop()
            if failures:
                s.program.report()
        shutil.rmtree(folder, ignore_errors=True)
    return summary(failures)


if __name__ == "__main__":
    sys.exit(main())
