"""The README's worked example, run headless on recordings with planted pulses."""
import csv
import importlib.util
import json
import os
import pathlib
import subprocess
import sys
import wave

import numpy as np
import pytest

EXAMPLE = pathlib.Path(__file__).resolve().parents[2] / "examples" / "detect_in_recording.py"
_spec = importlib.util.spec_from_file_location("detect_in_recording", EXAMPLE)
example = importlib.util.module_from_spec(_spec)
_spec.loader.exec_module(example)  # the module itself imports numpy only

TMIN, TMAX, LENGTH = 250, 450, example.DEMO_LENGTH


def recording(seed):
    """The example's demo recording from another seed: floats and the planted origins."""
    return example.demo_recording(seed)


def run_example(path, planted, tmp_path, extra=()):
    png = tmp_path / "pulses.png"
    env = dict(os.environ, MPLBACKEND="Agg")
    done = subprocess.run([sys.executable, str(EXAMPLE), str(path), "--etalon-at", str(planted[0]),
                           "--etalon-length", str(LENGTH), "--pulses", str(len(planted)), "--tmin", str(TMIN),
                           "--tmax", str(TMAX), "--png", str(png), *extra],
                          capture_output=True, text=True, timeout=120, env=env)
    assert done.returncode == 0, done.stderr
    result = json.loads(done.stdout)
    assert png.exists() and png.read_bytes()[:8] == b"\x89PNG\r\n\x1a\n"
    return result


@pytest.mark.parametrize("seed", [1, 2])
def test_example_finds_the_pulses_planted_in_a_wav_file(tmp_path, seed):
    series, planted = recording(seed)
    path = tmp_path / "recording.wav"
    with wave.open(str(path), "wb") as out:
        out.setnchannels(2)
        out.setsampwidth(2)
        out.setframerate(8000)
        left = np.round(series * 32767).astype("<i2")
        out.writeframes(np.column_stack([left, -left]).tobytes())
    result = run_example(path, planted, tmp_path)
    assert result["found"] == planted
    assert result["factor"] > 1


def test_example_finds_the_pulses_planted_in_a_csv_column(tmp_path):
    series, planted = recording(3)
    path = tmp_path / "recording.csv"
    with open(path, "w", newline="") as out:
        writer = csv.writer(out)
        for i, value in enumerate(series):
            writer.writerow([i, f"{value:.6f}"])
    assert run_example(path, planted, tmp_path, ["--column", "2"])["found"] == planted


def test_the_demo_recording_holds_the_pulses_the_readme_names(tmp_path):
    path = tmp_path / "recording.wav"
    made = subprocess.run([sys.executable, str(EXAMPLE), "--make-demo", str(path)],
                          capture_output=True, text=True, timeout=60)
    assert made.returncode == 0, made.stderr
    demo = json.loads(made.stdout)
    assert demo["planted"] == [100, 418, 739, 1080, 1436, 1718]
    with wave.open(str(path), "rb") as written:
        assert (written.getnchannels(), written.getsampwidth()) == (1, 2)
        assert written.getnframes() == demo["planted"][-1] + 250
    assert run_example(path, demo["planted"], tmp_path)["found"] == demo["planted"]


def test_the_example_names_the_missing_options():
    done = subprocess.run([sys.executable, str(EXAMPLE), "recording.wav", "--pulses", "6"],
                          capture_output=True, text=True, timeout=60)
    assert done.returncode == 2
    assert "--etalon-at, --etalon-length, --tmin, --tmax" in done.stderr
