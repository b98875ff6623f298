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
    scratch = e2e.Scratch("kvo-demo-shot-")
    desktop = e2e.shared_desktop()
    subprocess.run([os.path.join(ROOT, "scripts", "demo.sh"), "prepare", scratch.path], check=True)
    fleet = subprocess.run([os.path.join(ROOT, "scripts", "demo.sh"), "fleet-arguments", scratch.path], check=True,
                           capture_output=True, text=True).stdout.split("\n")
    fleet = [argument for argument in fleet if argument]
    players = controller = None
    try:
        players = e2e.Players(os.path.join(scratch.path, "journal"), "127.0.0.1", "127.0.0.2", 12,
                              "127.0.0.1:8890", fleet)
        controller = e2e.Controller(desktop, scratch.path, "127.0.0.1",
                                    repository=os.path.join(scratch.path, "MediaCenter"),
                                    settings=os.path.join(scratch.path, "settings"))
        expected = ["Screen%02d" % n for n in range(1, 13)]
        e2e.wait_for(lambda: all(name in controller.player_names() for name in expected), "the twelve players")
        e2e.click(controller.player("Screen03"))
        e2e.wait_for(lambda: controller.selected_players() == ["Screen03"], "Screen03 selected")
        controller.wait_status(lambda message: "command completed" in message, "the first reply")
        subprocess.run(["ffmpeg", "-nostdin", "-loglevel", "error", "-y", "-f", "x11grab", "-video_size",
                        "1280x960", "-i", os.environ["DISPLAY"], "-frames:v", "1", output], check=True)
        print("wrote", output)
    finally:
        for part in (controller, players):
            if part:
                part.close()
        scratch.close()


if __name__ == "__main__":
    main()
