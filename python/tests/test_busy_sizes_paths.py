"""A Workbench called while it is busy, arrays whose size is a lie, memory that runs out, and
paths in every form open() takes."""
import os
import pathlib
import subprocess
import sys
import textwrap
import time

import numpy as np
import pytest

import detection_workbench as dw

TINY_GRID = {"length": 300, "pulses_from": 2, "pulses_to": 3, "noise_steps": 2, "repeats": 1}


def run_python(code, timeout=120):
    """Runs code in a fresh interpreter with this suite's environment; a hang fails, not blocks."""
    try:
        return subprocess.run([sys.executable, "-c", textwrap.dedent(code)], capture_output=True, text=True,
                              timeout=timeout, env=os.environ.copy())
    except subprocess.TimeoutExpired:
        pytest.fail(f"the interpreter did not end within {timeout} s: a call waited for itself")


def test_a_callback_calling_its_own_workbench_raises_instead_of_waiting():
    done = run_python(f"""
        import numpy as np
        import detection_workbench as dw
        grid = {TINY_GRID!r}
        wb = dw.Workbench()
        calls = {{
            "make_series": lambda: wb.make_series(),
            "process": lambda: wb.process(),
            "solve": lambda: wb.solve("detection", 1, np.zeros(1200)),
            "simulate": lambda: wb.simulate(**grid),
        }}
        for name, call in calls.items():
            def progress(done, total):
                call()
            try:
                wb.simulate(progress=progress, **grid)
                print(name, "no error")
            except RuntimeError as e:
                print(name, "RuntimeError:", e)
        # The workbench goes on working once the callback's error has ended the run.
        print("after", len(wb.make_series()["lpNoisyData"]))
    """)
    assert done.returncode == 0, done.stderr
    lines = done.stdout.splitlines()
    for name, line in zip(["make_series", "process", "solve", "simulate"], lines):
        assert line.startswith(f"{name} RuntimeError: Workbench.{name}: the Workbench is busy: its simulate call "
                               "on this thread has not ended"), line
        assert "progress callback" in line and "another Workbench" in line
    assert lines[-1] == "after 1200"


def test_calls_from_other_threads_wait_their_turn():
    done = run_python(f"""
        import threading
        import detection_workbench as dw
        grid = {TINY_GRID!r}
        wb = dw.Workbench()
        results = []
        started = threading.Event()
        def other():
            started.wait()
            results.append(len(wb.make_series()["lpNoisyData"]))
        t = threading.Thread(target=other)
        t.start()
        def progress(done, total):
            started.set()  # the other thread now finds the workbench busy
        table = wb.simulate(progress=progress, **grid)
        t.join()
        print(results, table["pulses"].tolist())
    """)
    assert done.returncode == 0, done.stderr
    assert done.stdout.strip() == "[1200] [2, 3]"


@pytest.mark.parametrize("noisy, etalons, words", [
    # 2^28 samples over 8 bytes of data: the view would take 2 GB as float64, and a known
    # number of pulses in it a table far beyond what the long path keeps
    (np.lib.stride_tricks.as_strided(np.zeros(1), shape=(2**28,), strides=(0,)), None,
     ["more than the 134,217,728 it keeps"]),
    (np.lib.stride_tricks.as_strided(np.zeros(8, dtype=np.int8), shape=(2**28,), strides=(0,)), None,
     ["more than the 134,217,728 it keeps"]),
    (np.zeros(1200), np.lib.stride_tricks.as_strided(np.zeros(1), shape=(2**24, 20), strides=(0, 0)),
     ["16777216 etalons; 1 to 20"]),
    (np.zeros(1200), np.lib.stride_tricks.as_strided(np.zeros(1, dtype=np.int16), shape=(3, 2**26),
                                                     strides=(0, 0)),
     ["etalons of 67108864 samples; 2 to 32767"]),
])
def test_sizes_are_refused_before_anything_is_copied(noisy, etalons, words):
    started = time.monotonic()
    with pytest.raises(ValueError) as raised:
        dw.solve("detection", 1, noisy, etalons=etalons)
    assert time.monotonic() - started < 2.0
    for word in words:
        assert word in str(raised.value)


@pytest.mark.skipif("asan" in os.environ.get("LD_PRELOAD", ""),
                    reason="the address sanitizer reserves far more address space than the limit here")
def test_memory_running_out_while_widening_is_a_memory_error_with_a_message():
    done = run_python("""
        import resource
        import numpy as np
        import detection_workbench as dw
        series = np.zeros(32767, dtype=np.int16)
        contiguous = np.ones((20, 32767), dtype=np.int32)           # widened by the module's loop
        strided = np.ones((20, 2 * 32767), dtype=np.int32)[:, ::2]  # widened by numpy
        def size():
            for line in open("/proc/self/status"):
                if line.startswith("VmSize:"):
                    return int(line.split()[1]) * 1024
        for name, etalons in [("contiguous", contiguous), ("strided", strided)]:
            limit = size() + (2 << 20)  # 2 MB more: the 5 MB of float64 etalons do not fit
            resource.setrlimit(resource.RLIMIT_AS, (limit, resource.RLIM_INFINITY))
            try:
                dw.solve("detection", 1, series, etalons=etalons)
                print(name, "no error")
            except MemoryError as e:
                print(name, "MemoryError:", e)
            finally:
                resource.setrlimit(resource.RLIMIT_AS, (resource.RLIM_INFINITY, resource.RLIM_INFINITY))
    """)
    assert done.returncode == 0, done.stderr
    assert done.stdout.splitlines() == [
        f"{name} MemoryError: etalons: not enough memory to take its 655340 values as float64"
        for name in ("contiguous", "strided")], done.stdout + done.stderr


class FsPath:
    def __init__(self, path):
        self.path = path

    def __fspath__(self):
        return self.path


def test_paths_take_str_bytes_and_path_like_as_open_does(tmp_path, monkeypatch):
    monkeypatch.chdir(tmp_path)
    expected = dw.simulate(**TINY_GRID)
    for given, name in [(b"bytes.csv", "bytes.csv"), (pathlib.Path("pathlib.csv"), "pathlib.csv"),
                        (FsPath(b"fs-bytes.csv"), "fs-bytes.csv"), (FsPath("fs-str.csv"), "fs-str.csv"),
                        ("таблица.csv", "таблица.csv"), (str(tmp_path / "whole.csv"), "whole.csv")]:
        table = dw.simulate(csv=given, **TINY_GRID)
        assert (tmp_path / name).read_text().splitlines()[0].startswith("noise_level,pulses")
        assert table["restoring_error"].tolist() == expected["restoring_error"].tolist()
    # A name that is no valid text is taken byte for byte, as open() takes it.
    dw.simulate(csv=b"raw-\xff.csv", **TINY_GRID)
    assert os.path.exists(b"raw-\xff.csv")
    assert not any(p.name.startswith("b'") for p in tmp_path.iterdir())
    with pytest.raises(TypeError, match="csv: expected str, bytes or os.PathLike, not int"):
        dw.simulate(csv=3, **TINY_GRID)
    with pytest.raises(ValueError, match="csv: embedded null byte"):
        dw.simulate(csv="a\0b.csv", **TINY_GRID)
