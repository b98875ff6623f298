#!/usr/bin/python3
"""Player emulator for the KVO controller; run with --help for usage."""

import os
import sys

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))

from kvoplayer.cli import main  # noqa: E402

if __name__ == "__main__":
    sys.exit(main())
