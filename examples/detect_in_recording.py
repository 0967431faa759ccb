#!/usr/bin/env python3
"""Find the pulses of a recording with an etalon cut from the recording itself.

    detect_in_recording.py RECORDING --etalon-at P --etalon-length L --pulses Q --tmin T --tmax T
                           [--column K] [--png FILE]

RECORDING is a WAV file (read with the standard wave module, first channel) or a CSV/text
file (read with numpy, column K counted from 1). The samples become floats in [-1, 1] (WAV)
or stay as written (CSV); the module scales the series and the etalon with one factor that
maps the series' peak to the amplitude 128. The etalon is the L samples from sample P on.
Prints one JSON line: the origins found, the factor and the PNG written.
"""
import argparse
import json
import wave

import numpy as np

import detection_workbench as dw


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
    parser.add_argument("--etalon-at", type=int, required=True)
    parser.add_argument("--etalon-length", type=int, required=True)
    parser.add_argument("--pulses", type=int, required=True)
    parser.add_argument("--tmin", type=int, required=True)
    parser.add_argument("--tmax", type=int, required=True)
    parser.add_argument("--column", type=int, default=1)
    parser.add_argument("--png", default="pulses.png")
    args = parser.parse_args()

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
