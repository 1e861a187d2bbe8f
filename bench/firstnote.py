#!/usr/bin/env python3
"""Milliseconds from an action to the first sound it makes, as a listener
hears it from a PulseAudio sink.

    firstnote.py SOURCE COMMAND...

Records SOURCE (the sink's monitor) with parec, runs COMMAND once the
recording flows, and prints the milliseconds from COMMAND's start to the
first sample that is not silence. A COMMAND that prints a time of the
monotonic clock (as `pointer move` does) is timed from that moment instead.
Prints nothing and ends with 1 when no sound comes within 5 s.
"""
import os
import subprocess
import sys
import time

RATE = 44100
FRAME = 4  # 16-bit stereo


def main():
    source, command = sys.argv[1], sys.argv[2:]
    recorder = subprocess.Popen(
        ["parec", "-d", source, "--raw", "--format=s16le", "--channels=2",
         "--rate=%d" % RATE, "--latency-msec=1"], stdout=subprocess.PIPE)
    stream = recorder.stdout.fileno()
    try:
        os.read(stream, 4096)  # the recording flows
        start = time.monotonic()
        action = subprocess.Popen(command, stdout=subprocess.PIPE)
        heard = None
        while heard is None and time.monotonic() - start < 5:
            chunk = os.read(stream, 4096)
            now = time.monotonic()
            chunk = chunk[:len(chunk) // FRAME * FRAME]
            for at in range(0, len(chunk), 2):
                if chunk[at:at + 2] != b"\0\0":
                    # The sample was heard as many frames before the read
                    # as follow it in the chunk.
                    heard = now - (len(chunk) - at) // FRAME / RATE
                    break
        said = action.communicate()[0].decode().split()
        if said:
            start = float(said[0])
        if heard is None:
            return 1
        print("%.1f" % ((heard - start) * 1000))
        return 0
    finally:
        recorder.kill()
        recorder.wait()


if __name__ == "__main__":
    sys.exit(main())
