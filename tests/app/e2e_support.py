"""Helpers for driving the real annotate program under X: a generated clip and
registration, window geometry, screenshots, pointer and keys (xdotool), and the
layout the tool reports.

Positions named "window pixels" have their origin at the window's lower-left
corner with y upward, as the tool's widgets do; the screen's y runs downward.
"""

import os
import re
import subprocess
import sys
import time

TIMEOUT = float(os.environ.get("E2E_TIMEOUT", "60"))  # seconds to wait for any one thing
PLAYERS = 22


class Failure(Exception):
    pass


def log(text):
    print(text, flush=True)


def wait_until(what, predicate, timeout=TIMEOUT, interval=0.05):
    """Polls predicate until it returns something true; returns that value."""
    end = time.monotonic() + timeout
    while True:
        value = predicate()
        if value:
            return value
        if time.monotonic() > end:
            raise Failure("timed out waiting for " + what)
        time.sleep(interval)


def run(args, **kw):
    return subprocess.run(args, check=True, stdout=subprocess.PIPE, **kw).stdout


# ---- Clip and registration

def make_clip(path, frames, width, height):
    """An MJPEG clip whose frames show their index in large digits."""
    font = "/usr/share/fonts/truetype/dejavu/DejaVuSans-Bold.ttf"
    source = "testsrc2=size=%dx%d:rate=25" % (width, height)
    text = ("drawtext=fontfile=%s:text='%%{frame_num}':fontsize=%d:fontcolor=white:box=1:"
            "boxcolor=black:x=(w-tw)/2:y=(h-th)/2" % (font, height * 2 // 5))
    base = ["ffmpeg", "-nostdin", "-v", "error", "-y", "-f", "lavfi"]
    tail = ["-frames:v", str(frames), "-c:v", "mjpeg", "-q:v", "3", path]
    if subprocess.run(base + ["-i", source + "," + text] + tail).returncode != 0:
        # Without the text filter the moving test pattern still tells the frames apart.
        run(base + ["-i", source] + tail)


def decode_frames(path, width, height):
    """Every frame as ffmpeg decodes it: RGB rows, top row first."""
    raw = run(["ffmpeg", "-nostdin", "-v", "error", "-i", path, "-f", "rawvideo",
               "-pix_fmt", "rgb24", "-"])
    size = width * height * 3
    return [raw[i:i + size] for i in range(0, len(raw) - size + 1, size)]


# A homography that scales image pixels (y downward) onto the 800 x 400 field plan.
def write_registration(path, frames, width, height):
    sx, sy = 800.0 / width, 400.0 / height
    with open(path, "w") as f:
        f.write("%d\n" % frames)
        for i in range(frames):
            f.write("%d %d\n%r 0 0\n0 %r 0\n0 0 1\n" % (i, i, sx, sy))
    return sx, sy


def blocks(text):
    """A tracking file's blocks: a list of lists of player lines."""
    parts = text.split("\nnPlayers\t")
    result = []
    for part in parts[1:]:
        lines = part.strip("\n").split("\n")
        count = int(lines[0])
        result.append(lines[1:1 + count])
    return result


# ---- The layout, as the program reports it

LAYOUT_DUMP = "ANNOTATE_LAYOUT_DUMP"  # the variable naming the file the program dumps to


class Layout:
    """The windows and widgets as the program dumped them: rectangles (x, y, w, h) by
    name, in window pixels with y upward (windows: screen position and client size);
    players lists O1..O11, D1..D11."""

    def __init__(self, text):
        self.rects = {}
        self.serial, self.scale, self.screen = 0, 1.0, (0, 0)
        for line in text.splitlines():
            f = line.split()
            if f[0] == "dump":
                self.serial = int(f[1])
            elif f[0] == "scale":
                self.scale = float(f[1])
            elif f[0] == "screen":
                self.screen = (int(f[1]), int(f[2]))
            else:
                self.rects[f[0]] = tuple(int(v) for v in f[1:5])
        self.players = [self.rects["%s%d" % (side, n)] for side in "OD" for n in range(1, 12)]

    def __getattr__(self, name):
        rects = self.__dict__.get("rects", {})
        if name in rects:
            return rects[name]
        raise AttributeError(name)


# ---- Windows, screenshots, pointer and keys

class Window:
    def __init__(self, wid):
        self.id = wid
        out = run(["xdotool", "getwindowgeometry", wid]).decode()
        pos = re.search(r"Position: (-?\d+),(-?\d+)", out)
        geo = re.search(r"Geometry: (\d+)x(\d+)", out)
        self.x, self.y = int(pos.group(1)), int(pos.group(2))
        self.w, self.h = int(geo.group(1)), int(geo.group(2))

    def screen(self, x, y):
        """Screen position of the window pixel (x, y), y upward."""
        return self.x + x, self.y + self.h - 1 - y

    def pointer(self, x, y):
        """Screen position at which the tool sees the pointer at (x, y)."""
        return self.x + x, self.y + self.h - y


def find_window(name_regex, timeout=TIMEOUT):
    def search():
        out = subprocess.run(["xdotool", "search", "--onlyvisible", "--name", name_regex],
                             stdout=subprocess.PIPE, stderr=subprocess.DEVNULL).stdout.split()
        return out[0].decode() if out else None

    return Window(wait_until("window " + name_regex, search, timeout))


class Image:
    """An RGB screenshot of a screen rectangle."""

    def __init__(self, x, y, w, h):
        data = run(["import", "-silent", "-window", "root", "-crop", "%dx%d+%d+%d" % (w, h, x, y),
                    "+repage", "-depth", "8", "ppm:-"])
        fields = data.split(maxsplit=4)
        if fields[0] != b"P6":
            raise Failure("screenshot is not a PPM")
        self.w, self.h = int(fields[1]), int(fields[2])
        self.pixels = fields[4]
        if len(self.pixels) < self.w * self.h * 3:
            raise Failure("screenshot cut short")
        self.x0, self.y0 = x, y

    def at(self, sx, sy):
        i = ((sy - self.y0) * self.w + (sx - self.x0)) * 3
        return tuple(self.pixels[i:i + 3])


def mean_difference(image, frame, width, height, border=2, step=1, exclude=()):
    """Mean and largest channel difference between a screenshot of the video panel and a
    decoded frame, leaving out the panel's frame lines at the border and the boxes
    (x0, y0, x1, y1) of exclude (top-down rows, ends excluded)."""
    total = count = largest = 0
    for y in range(border, height - border, step):
        row = y * width * 3
        for x in range(border, width - border, step):
            if any(x0 <= x < x1 and y0 <= y < y1 for x0, y0, x1, y1 in exclude):
                continue
            i = row + x * 3
            for c in range(3):
                d = abs(image.pixels[i + c] - frame[i + c])
                total += d
                largest = max(largest, d)
            count += 3
    return total / count, largest


def pointer_location():
    out = run(["xdotool", "getmouselocation", "--shell"]).decode()
    values = dict(line.split("=", 1) for line in out.split() if "=" in line)
    return int(values["X"]), int(values["Y"])


def move(window, x, y):
    sx, sy = window.pointer(x, y)
    # --sync waits for the pointer to arrive, which never happens when it is there already.
    if pointer_location() != (sx, sy):
        run(["xdotool", "mousemove", "--sync", str(sx), str(sy)])


def click(window, x, y):
    move(window, x, y)
    run(["xdotool", "click", "1"])


def click_rect(window, rect):
    click(window, rect[0] + rect[2] // 2, rect[1] + rect[3] // 2)


def drag(window, x0, y0, x1, y1, steps=6):
    move(window, x0, y0)
    run(["xdotool", "mousedown", "1"])
    for i in range(1, steps + 1):
        move(window, x0 + (x1 - x0) * i // steps, y0 + (y1 - y0) * i // steps)
    run(["xdotool", "mouseup", "1"])


def key(window, name):
    subprocess.run(["timeout", "5", "xdotool", "windowfocus", "--sync", window.id],
                   stderr=subprocess.DEVNULL)
    run(["xdotool", "key", name])


# ---- The program

def program_environment():
    """The environment for the program under test. In the sanitizer build its leak check
    is off: Mesa unloads its driver when the display closes at exit, before the check
    runs, so the driver's own allocations show up as leaks of an unknown module that no
    suppression can name. Memory errors are still caught; our own leaks are checked by
    the unit tests, which run the same commands without a display."""
    env = dict(os.environ)
    options = [o for o in env.get("ASAN_OPTIONS", "").split(":")
               if o and not o.startswith("detect_leaks=")]
    env["ASAN_OPTIONS"] = ":".join(options + ["detect_leaks=0"])
    return env


class Program:
    def __init__(self, args, folder, cwd=None, env=None):
        self.out_path = os.path.join(folder, "stdout")
        self.err_path = os.path.join(folder, "stderr")
        self.layout_path = os.path.join(folder, "layout")
        self.out = open(self.out_path, "w")
        self.err = open(self.err_path, "w")
        environment = program_environment()
        environment.update(env or {})
        environment[LAYOUT_DUMP] = self.layout_path
        self.proc = subprocess.Popen(args, stdin=subprocess.DEVNULL, stdout=self.out,
                                     stderr=self.err, cwd=cwd, env=environment)

    def layout(self, until=lambda layout: True, what="the layout dump"):
        """The program's latest layout dump, once one exists for which until() holds."""
        def read():
            if self.proc.poll() is not None:
                raise Failure("the program ended (code %d) while waiting for %s"
                              % (self.proc.returncode, what))
            try:
                with open(self.layout_path) as f:
                    layout = Layout(f.read())
            except (OSError, KeyError, ValueError, IndexError):
                return None
            return layout if until(layout) else None

        return wait_until(what, read)

    def stdout(self):
        with open(self.out_path, errors="replace") as f:
            return f.read()

    def stderr(self):
        with open(self.err_path, errors="replace") as f:
            return f.read()

    def count(self, text):
        return self.stdout().count(text)

    def sanitizer_clean(self):
        """No sanitizer report on the program's standard error."""
        err = self.stderr()
        return "ERROR: AddressSanitizer" not in err and "runtime error" not in err

    def wait_for_output(self, text, count=1):
        def seen():
            if self.proc.poll() is not None:
                raise Failure("the program ended (code %d) while waiting for %r"
                              % (self.proc.returncode, text))
            return self.count(text) >= count

        wait_until("output %r" % text, seen)

    def wait_exit(self, timeout=TIMEOUT):
        try:
            return self.proc.wait(timeout)
        except subprocess.TimeoutExpired:
            raise Failure("the program did not end")

    def stop(self):
        if self.proc.poll() is None:
            self.proc.kill()
            self.proc.wait()

    def report(self):
        sys.stderr.write("--- program stdout (last 40 lines)\n")
        sys.stderr.write("\n".join(self.stdout().splitlines()[-40:]) + "\n")
        sys.stderr.write("--- program stderr\n" + self.stderr()[-4000:] + "\n")


def summary(failures):
    """The script's exit code after its checks: 1 when any failed."""
    if failures:
        log("%d check(s) failed" % len(failures))
        return 1
    log("all checks passed")
    return 0
