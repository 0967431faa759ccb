"""Recordings beyond the workbench's 32,767 samples: solve() answers them on the long path,
the same as detection-batch, with breaks, margins and clear refusals."""
import os
import tempfile

import numpy as np
import pytest


def planted(seed, n=60000, length=20, tmin=40, tmax=181, amplitude=3000, noise=600, quiet=None):
    rng = np.random.default_rng(seed)
    etalon = np.round(amplitude * np.sin(np.pi * (np.arange(length) + 0.5) / length)).astype(np.int16)
    x = np.zeros(n)
    origins = []
    p = int(rng.integers(0, tmax - length + 1))
    while p + length <= n:
        if quiet is None or not (quiet[0] <= p + length and p <= quiet[1]):
            x[p:p + length] += etalon
            origins.append(p)
        p += int(rng.integers(tmin, tmax + 1))
    x = np.clip(np.round(x + rng.normal(0, noise, n)), -32767, 32767).astype(np.int16)
    return x, etalon, np.array(origins)


def test_long_recording_matches_the_companion_and_finds_the_pulses(module, batch):
    x, etalon, origins = planted(1)
    got = module.solve("detection", 4, x, etalons=etalon[None, :], break_penalty=0.5)
    assert got["solver"] == "detectLongRecording"
    assert got["factor"] == 1.0  # 16-bit samples keep their resolution
    found = np.asarray(got["lpRestoredPositions"])
    nearest = np.abs(found[np.clip(np.searchsorted(found, origins), 0, len(found) - 1)] - origins)
    nearest = np.minimum(nearest, np.abs(found[np.clip(np.searchsorted(found, origins) - 1, 0, len(found) - 1)] - origins))
    assert np.mean(nearest <= 1) >= 0.95  # within one sample
    assert found.max() > 32767
    margins = got["lpMargins"]
    assert margins.dtype == np.float64 and len(margins) == len(found) and np.all(margins >= 0)
    with tempfile.TemporaryDirectory() as folder:
        series, etalons, pulses = (os.path.join(folder, name) for name in ("x.npy", "e.txt", "p.csv"))
        np.save(series, x)
        np.savetxt(etalons, etalon[None, :], fmt="%d")
        doc = batch.json("process", "--input", series, "--etalons", etalons, "--series-type", 4,
                         "--break-penalty", 0.5, "--pulses-csv", pulses)
        assert doc["lpRestoredPositions"] == found.tolist()
        assert doc["criterion"] == got["criterion"]
        assert np.allclose([m for m in doc["lpMargins"]], margins, rtol=0, atol=0)
        table = np.loadtxt(pulses, delimiter=",", skiprows=1, ndmin=2)
        assert table[:, 0].astype(int).tolist() == found.tolist()
        assert np.array_equal(table[:, 2], margins)


def test_known_number_of_a_long_recording_matches_the_companion(module, batch):
    x, etalon, origins = planted(5, noise=300)
    got = module.solve("detection", 1, x, etalons=etalon[None, :], pulses=len(origins))
    assert got["solver"] == "detectLongRecording"
    found = np.asarray(got["lpRestoredPositions"])
    assert len(found) == len(origins)
    assert np.mean(np.abs(found - origins) <= 1) >= 0.95
    with tempfile.TemporaryDirectory() as folder:
        series, etalons = (os.path.join(folder, name) for name in ("x.npy", "e.txt"))
        np.save(series, x)
        np.savetxt(etalons, etalon[None, :], fmt="%d")
        doc = batch.json("process", "--input", series, "--etalons", etalons, "--pulses", len(origins))
        assert doc["lpRestoredPositions"] == found.tolist()
        assert doc["criterion"] == got["criterion"]


def test_silence_gives_no_pulse_with_penalty_zero(module):
    x, etalon, origins = planted(2, quiet=(20000, 30000))
    got = module.solve("detection", 4, x, etalons=etalon[None, :], break_penalty=0)
    found = np.asarray(got["lpRestoredPositions"])
    assert not np.any((found > 20000) & (found < 30000 - 20))
    empty = module.solve("detection", 4, np.zeros(40000, np.int16), etalons=etalon[None, :], break_penalty=0)
    assert empty["wRestoredQuantity"] == 0 and empty["criterion"] == 0


def test_recognition_of_a_long_recording(module):
    x, etalon, _ = planted(3, noise=300)
    other = np.round(3000 * np.sin(2 * np.pi * (np.arange(20) + 0.5) / 20)).astype(np.int16)
    got = module.solve("recognition", 4, x, etalons=np.stack([other, etalon]), required=[1, 2])
    assert got["solver"] == "recognizeLongRecording"
    assert got["recognized"] == 2
    assert set(np.asarray(got["lpRestoredEtalons"]).tolist()) == {2}


def test_refusals_are_value_errors(module):
    x, etalon, _ = planted(4)
    with pytest.raises(ValueError, match="32,767"):
        module.solve("recognition", 1, x, etalons=etalon[None, :])
    with pytest.raises(Exception, match="admissible range"):
        module.solve("detection", 1, x, etalons=etalon[None, :], pulses=len(x))
    with pytest.raises(ValueError, match="break_penalty"):
        module.solve("detection", 4, x, etalons=etalon[None, :], break_penalty=-1.0)
    with pytest.raises(Exception, match="processing-level"):
        module.solve("detection", 4, x, etalons=etalon[None, :], processing_level=80)
