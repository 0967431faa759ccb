"""Threads, the kept random sources, and simulations that are stopped."""
import os
import threading
import warnings

import numpy as np
import pytest

from conftest import chains_equal

import detection_workbench as dw

SMALL_GRID = {"length": 300, "pulses_from": 2, "pulses_to": 5, "noise_steps": 4, "noise_step": 25, "repeats": 12}


def test_two_threads_solving_different_series_give_the_results_of_one():
    series = [dw.make_series(length=2000, noise=level, sequence=[e])["lpNoisyData"]
              for level, e in [(30, 1), (60, 3), (45, 5), (80, 7)]]
    jobs = [("detection", 4, s, {"required": 1 + 2 * i}) for i, s in enumerate(series)] + \
           [("recognition", 8, s, {"required": [1, 3, 5, 7], "processing_level": 80}) for s in series]
    alone = [dw.solve(task, kind, s, **kw) for task, kind, s, kw in jobs]
    together = [None] * len(jobs)
    workbench = dw.Workbench()  # shared by both threads: calls take turns on it

    def worker(indexes, use_workbench):
        for i in indexes:
            task, kind, s, kw = jobs[i]
            solve = workbench.solve if use_workbench else dw.solve
            together[i] = solve(task, kind, s, **kw)

    threads = [threading.Thread(target=worker, args=(range(0, len(jobs), 2), False)),
               threading.Thread(target=worker, args=(range(1, len(jobs), 2), True))]
    for t in threads:
        t.start()
    for t in threads:
        t.join()
    for a, b in zip(alone, together):
        assert chains_equal(a["chains"], b["chains"])
        assert a["lpRestoredPositions"].tolist() == b["lpRestoredPositions"].tolist()


def test_simulation_tables_do_not_depend_on_threads():
    one = dw.simulate(threads=1, **SMALL_GRID)
    two = dw.simulate(threads=2, **SMALL_GRID)
    for key in one:
        assert np.array_equal(one[key], two[key]), key
    assert one["restoring_error"].shape == (4, 4)


def test_workbench_keeps_its_random_sources_between_calls():
    workbench = dw.Workbench()
    first = workbench.make_series()
    second = workbench.make_series()
    assert np.array_equal(first["lpNoisyData"], dw.make_series()["lpNoisyData"])
    assert not np.array_equal(first["lpNoisyData"], second["lpNoisyData"])
    # A fresh workbench repeats the same two series.
    again = dw.Workbench()
    assert np.array_equal(again.make_series()["lpNoisyData"], first["lpNoisyData"])
    assert np.array_equal(again.make_series()["lpNoisyData"], second["lpNoisyData"])


def test_progress_reports_every_cell():
    seen = []
    dw.simulate(progress=lambda done, total: seen.append((done, total)), **SMALL_GRID)
    assert seen == [(i, 16) for i in range(1, 17)]


class Stop(Exception):
    pass


def test_a_stopped_simulation_raises_and_writes_nothing(tmp_path):
    target = tmp_path / "table.csv"
    kept = tmp_path / "kept.csv"
    kept.write_text("earlier table\n")

    def stop_after(cells):
        def progress(done, total):
            if done == cells:
                raise Stop(f"stopped at {done} of {total}")
        return progress

    for path in (target, kept):
        with pytest.raises(Stop, match="stopped at 3 of 16"):
            dw.simulate(progress=stop_after(3), csv=path, **SMALL_GRID)
    assert not target.exists()
    assert kept.read_text() == "earlier table\n"
    assert os.listdir(tmp_path) == ["kept.csv"]  # no temporary file left behind

    # A workbench whose simulation was stopped goes on working, and a complete run writes the file.
    workbench = dw.Workbench()
    with pytest.raises(Stop):
        workbench.simulate(progress=stop_after(1), **SMALL_GRID)
    full = workbench.simulate(csv=target, **SMALL_GRID)
    lines = target.read_text().splitlines()
    assert lines[0] == "noise_level,pulses,restoring_error,position_error,recognition_errors"
    assert len(lines) == 17 and full["pulses"].tolist() == [2, 3, 4, 5]


def test_a_csv_that_cannot_be_written_raises_os_error(tmp_path):
    with pytest.raises(OSError, match="csv: "):
        dw.simulate(csv=tmp_path / "missing" / "t.csv", **SMALL_GRID)


def test_library_messages_become_warnings_or_errors():
    assert issubclass(dw.WorkbenchError, RuntimeError)
    assert issubclass(dw.WorkbenchWarning, UserWarning)
    with warnings.catch_warnings():
        warnings.simplefilter("error")
        dw.solve("detection", 1, dw.make_series()["lpNoisyData"])  # a clean run shows no message


def test_a_library_message_of_a_failed_run_becomes_the_error():
    # 1,500 pulses over 32,767 samples need more working memory than a solver may take.
    with pytest.raises(dw.WorkbenchError) as raised:
        dw.solve("detection", 1, np.zeros(32767), tmin=20, tmax=40, pulses=1500)
    assert raised.value.text.startswith("Нет памяти для ppDw")
    assert raised.value.caption == ""
    assert str(raised.value).endswith("; detectFixedPulses failed")
