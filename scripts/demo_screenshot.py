#!/usr/bin/python3
"""Takes docs/demo.png: the demonstration (scripts/demo.sh) on a private X
server, once its players, repository and virtual player are on screen and a
player is selected. Run after scripts/build.sh:

    /usr/bin/python3 scripts/demo_screenshot.py [OUTPUT.png]
"""

import os
import subprocess
import sys

ROOT = os.path.dirname(os.path.dirname(os.path.abspath(__file__)))
sys.path.insert(0, os.path.join(ROOT, "tests", "e2e"))
import kvo_e2e as e2e  # noqa: E402


def main():
    output = os.path.abspath(sys.argv[1] if len(sys.argv) > 1 else os.path.join(ROOT, "docs", "demo.png"))
    # The demonstration's fleet has fixed addresses after the controller's.
    session = e2e.Session("127.0.0.1")
    try:
        subprocess.run([os.path.join(ROOT, "scripts", "demo.sh"), "prepare", session.path], check=True)
        fleet = subprocess.run([os.path.join(ROOT, "scripts", "demo.sh"), "fleet-arguments", session.path],
                               check=True, capture_output=True, text=True).stdout.split("\n")
        session.start_players(12, *[argument for argument in fleet if argument])
        session.start_controller()
        expected = ["Screen%02d" % n for n in range(1, 13)]
        e2e.wait_for(lambda: all(name in session.player_names() for name in expected), "the twelve players")
        session.select("Screen03")
        e2e.wait_for(lambda: e2e.cells(session.view("Player Storage Content")), "the files of Screen03")
        subprocess.run(["ffmpeg", "-nostdin", "-loglevel", "error", "-y", "-f", "x11grab", "-video_size",
                        "1280x960", "-i", os.environ["DISPLAY"], "-frames:v", "1", output], check=True)
        print("wrote", output)
    finally:
        session.close()


if __name__ == "__main__":
    main()
