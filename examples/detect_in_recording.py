#!/usr/bin/env python3
"""Find the pulses of a recording with an etalon cut from the recording itself.

    detect_in_recording.py RECORDING --etalon-at P --etalon-length L --pulses Q --tmin T --tmax T
                           [--column K] [--png FILE]
    detect_in_recording.py --make-demo RECORDING.wav

RECORDING is a WAV file (read with the standard wave module, first channel) or a CSV/text
file (read with numpy, column K counted from 1). The samples become floats in [-1, 1] (WAV)
or stay as written (CSV); the module scales the series and the etalon with one factor that
maps the series' peak to the amplitude 128. The etalon is the L samples from sample P on.
Prints one JSON line: the origins found, the factor and the PNG written.

--make-demo writes a demo recording to RECORDING.wav instead: a damped-sine pulse of 40 samples
planted six times at gaps of 280..360 samples in light noise (16-bit, 8000 Hz), and prints the
planted origins. The pulses lie at 100, 418, 739, 1080, 1436 and 1718.
"""
import argparse
import json
import wave

import numpy as np


DEMO_LENGTH = 40


def demo_recording(seed=1):
    """The demo's samples as floats in [-1, 1] and the planted origins."""
    rng = np.random.default_rng(seed)
    t = np.arange(DEMO_LENGTH)
    pulse = 0.6 * np.exp(-t / 12.0) * np.sin(2 * np.pi * t / 9.0)
    planted = [100]
    for _ in range(5):
        planted.append(planted[-1] + int(rng.integers(280, 361)))
    series = rng.normal(0.0, 0.04, planted[-1] + 250)
    for origin in planted:
        series[origin:origin + DEMO_LENGTH] += pulse
    return np.clip(series, -1, 1), planted


def write_demo(path):
    series, planted = demo_recording()
    with wave.open(path, "wb") as out:
        out.setnchannels(1)
        out.setsampwidth(2)
        out.setframerate(8000)
        out.writeframes(np.round(series * 32767).astype("<i2").tobytes())
    print(json.dumps({"demo": path, "planted": planted, "etalon_length": DEMO_LENGTH}))


def load_wav(path):
    with wave.open(path, "rb") as recording:
        width = recording.getsampwidth()
        channels = recording.getnchannels()
        frames = recording.readframes(recording.getnframes())
    if width != 2:
        raise SystemExit(f"{path}: only 16-bit WAV files are read by this example")
    samples = np.frombuffer(frames, dtype="<i2").reshape(-1, channels)[:, 0]
    return samples / 32768.0


def load_csv(path, column):
    return np.loadtxt(path, delimiter=",", ndmin=2, comments="#")[:, column - 1]


def main():
    parser = argparse.ArgumentParser(description=__doc__, formatter_class=argparse.RawDescriptionHelpFormatter)
    parser.add_argument("recording")
    parser.add_argument("--make-demo", action="store_true",
                        help="write a demo recording with planted pulses to RECORDING and exit")
    parser.add_argument("--etalon-at", type=int)
    parser.add_argument("--etalon-length", type=int)
    parser.add_argument("--pulses", type=int)
    parser.add_argument("--tmin", type=int)
    parser.add_argument("--tmax", type=int)
    parser.add_argument("--column", type=int, default=1)
    parser.add_argument("--png", default="pulses.png")
    args = parser.parse_args()
    if args.make_demo:
        write_demo(args.recording)
        return
    missing = [name for name in ("etalon_at", "etalon_length", "pulses", "tmin", "tmax")
               if getattr(args, name) is None]
    if missing:
        parser.error("the following arguments are required: " +
                     ", ".join("--" + name.replace("_", "-") for name in missing))

    import detection_workbench as dw  # after --make-demo, which needs only numpy

    series = load_wav(args.recording) if args.recording.lower().endswith(".wav") else \
        load_csv(args.recording, args.column)
    etalon = series[args.etalon_at:args.etalon_at + args.etalon_length]

    # One etalon of our own (a 2-D array, one row per etalon); scale=None maps the series'
    # peak to the amplitude 128 and scales the etalon with the same factor.
    answer = dw.solve("detection", 1, series, etalons=etalon[np.newaxis, :], required=1,
                      tmin=args.tmin, tmax=args.tmax, pulses=args.pulses, scale=None)
    found = answer["lpRestoredPositions"].tolist()

    import matplotlib.pyplot as plt  # after the work: the backend comes from MPLBACKEND

    figure, axes = plt.subplots(figsize=(12, 3.5))
    axes.plot(series, color="0.3", linewidth=0.7, label="recording")
    for k, origin in enumerate(found):
        axes.axvspan(origin, origin + args.etalon_length, color="tab:orange", alpha=0.35,
                     label="pulses found" if k == 0 else None)
    axes.set_xlabel("sample")
    axes.set_title(f"{len(found)} pulses found (criterion {answer['chains'][0]['distance']})")
    axes.legend(loc="upper right")
    figure.tight_layout()
    figure.savefig(args.png, dpi=100)
    print(json.dumps({"found": found, "factor": answer["factor"], "png": args.png}))


if __name__ == "__main__":
    main()
