#!/usr/bin/env python3
"""Writes the wizard's drop sounds, app/sounds/GoodScan.wav and BadScan.wav.

Both are 16-bit mono PCM at 22050 Hz: a short rising two-tone chime for a
good scan and a lower, longer double buzz for a bad one. Run it from the
repository root; the results are committed, so the build never needs it.
"""
import math
import struct
import wave

RATE = 22050
VOLUME = 0.45


def tone(freqs, seconds, harmonics=(1.0,)):
    """A tone of the given frequencies with soft edges (no clicks)."""
    n = int(RATE * seconds)
    fade = int(RATE * 0.008)
    out = []
    for i in range(n):
        t = i / RATE
        v = 0.0
        for f in freqs:
            for k, a in enumerate(harmonics, start=1):
                v += a * math.sin(2 * math.pi * f * k * t)
        v /= len(freqs) * sum(harmonics)
        edge = min(1.0, i / fade, (n - 1 - i) / fade)
        out.append(v * edge)
    return out


def silence(seconds):
    return [0.0] * int(RATE * seconds)


def write(path, samples):
    with wave.open(path, "wb") as w:
        w.setnchannels(1)
        w.setsampwidth(2)
        w.setframerate(RATE)
        w.writeframes(b"".join(
            struct.pack("<h", int(round(s * VOLUME * 32767))) for s in samples))


write("app/sounds/GoodScan.wav",
      tone([880.0], 0.07) + tone([1318.5], 0.11))
write("app/sounds/BadScan.wav",
      tone([196.0], 0.12, (1.0, 0.5, 0.3)) + silence(0.04)
      + tone([196.0], 0.16, (1.0, 0.5, 0.3)))
