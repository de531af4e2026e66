#!/usr/bin/env python3
"""Takes the README's screenshot: the tool on the demo match, under a private Xvfb.

    tools/screenshot_demo.py BUILD_DIR OUTPUT.png

BUILD_DIR holds annotate, its textures and the demo files that ./run.sh generates.
The script loads the ground truth, selects a player, turns the numbers on, jumps
into the match and photographs the three windows.
"""

import os
import subprocess
import sys
import tempfile

HERE = os.path.dirname(os.path.abspath(__file__))
sys.path.insert(0, os.path.join(HERE, "..", "tests", "app"))
sys.dont_write_bytecode = True

from e2e_support import (Layout, Program, click, click_rect, find_window, key,  # noqa: E402
                         wait_until)

DEMO_W, DEMO_H = 1024, 576


def main():
    build, output = os.path.abspath(sys.argv[1]), os.path.abspath(sys.argv[2])
    fixture = os.path.join(HERE, "..", "tests", "support", "xvfb_fixture.sh")
    folder = tempfile.mkdtemp(prefix="annotate-screenshot-")
    display_file = os.path.join(folder, "display")
    env_display = os.environ.pop("DISPLAY", None)
    # Tall enough for the field window below the main window of a 576-line video.
    subprocess.run([fixture, "start", display_file], check=True, stdout=subprocess.DEVNULL,
                   env=dict(os.environ, XVFB_SCREEN="1600x1400x24"))
    try:
        with open(display_file) as f:
            os.environ["DISPLAY"] = f.read().split()[0]
        program = Program(["./annotate", "demo.avi", "demo.reg",
                           os.path.join(folder, "annotations.dat"), "demo-groundtruth.dat"],
                          folder, cwd=build)
        main_window = find_window("^demo.avi$")
        field = find_window("^football field$")
        view3d = find_window("^3D view of football field$")
        layout = Layout(os.path.join(build, "textures"), DEMO_W, DEMO_H)

        click_rect(main_window, layout.load)
        program.wait_for_output("load demo-groundtruth.dat")
        click_rect(main_window, layout.players[13])  # D3
        key(main_window, "s")
        tx, ty, tw, th = layout.timeline
        click(main_window, tx + tw * 37 // 100, ty + th // 2)
        wait_until("the frame to settle", lambda: program.count("\n") > 0)
        subprocess.run(["sleep", "1"])

        right = max(w.x + w.w for w in (main_window, field, view3d))
        bottom = max(w.y + w.h for w in (main_window, field, view3d))
        subprocess.run(["import", "-window", "root", "-crop",
                        "%dx%d+0+0" % (right + 1, bottom + 1), "+repage",
                        "-resize", "1200x", output], check=True)
        key(main_window, "Escape")
        program.wait_exit()
        print("wrote", output)
    finally:
        subprocess.run([fixture, "stop", display_file])
        if env_display is not None:
            os.environ["DISPLAY"] = env_display


if __name__ == "__main__":
    main()
