#!/usr/bin/env python3
"""Audio sink of the wine test environment (see wine_env.sh).

ALSA's "file" plug-in pipes the samples of one opened device into this program, which
appends them to the sink file no faster than real time (raw S16_LE stereo 44100 Hz,
176400 bytes a second). The plug-in's slave is the "null" device, which keeps no time;
the blocking pipe is what makes wine's playback run at the speed of a sound card.
"""
import fcntl
import os
import sys
import time

BYTES_PER_SECOND = 44100 * 2 * 2
F_SETPIPE_SZ = 1031  # Linux: shrink the pipe so little audio waits ahead of the clock
LEAD_SECONDS = 0.05


def main():
    fd = sys.stdin.fileno()
    try:
        fcntl.fcntl(fd, F_SETPIPE_SZ, 4096)
    except OSError:
        pass
    with open(sys.argv[1], "ab", buffering=0) as out:
        start = time.monotonic()
        total = 0
        while True:
            data = os.read(fd, 4096)
            if not data:
                break
            out.write(data)
            total += len(data)
            ahead = total / BYTES_PER_SECOND - (time.monotonic() - start)
            if ahead > LEAD_SECONDS:
                time.sleep(ahead - LEAD_SECONDS)


if __name__ == "__main__":
    main()
