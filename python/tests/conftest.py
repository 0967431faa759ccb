"""Shared fixtures: the module under test and the companion it is compared with.

The build runs this suite through ctest with PYTHONPATH pointing at the built module and
DETECTION_BATCH_EXE at the built detection-batch.
"""
import json
import os
import subprocess

import pytest

import detection_workbench as dw


class Batch:
    """Runs the built detection-batch and gives its JSON (or CSV text)."""

    def __init__(self, exe):
        self.exe = exe

    def run(self, *args):
        return subprocess.run([self.exe, *map(str, args)], capture_output=True, text=True, timeout=120)

    def json(self, *args):
        done = self.run(*args)
        assert done.returncode == 0, done.stderr
        return json.loads(done.stdout)


@pytest.fixture(scope="session")
def batch():
    exe = os.environ.get("DETECTION_BATCH_EXE")
    if not exe or not os.access(exe, os.X_OK):
        pytest.fail("DETECTION_BATCH_EXE must name the built detection-batch (ctest sets it)")
    return Batch(exe)


@pytest.fixture
def module():
    return dw


def same(expected, actual, path="doc"):
    """Asserts that a module result equals a companion JSON value, arrays as lists."""
    if isinstance(expected, dict):
        assert isinstance(actual, dict), path
        assert list(actual.keys()) == list(expected.keys()), path
        for key in expected:
            same(expected[key], actual[key], f"{path}.{key}")
    elif isinstance(expected, list):
        names = getattr(getattr(actual, "dtype", None), "names", None)
        if names:  # a structured array stands for a list of objects with those members
            actual = [dict(zip(names, map(int, record))) for record in actual]
        values = actual.tolist() if hasattr(actual, "tolist") else actual
        assert len(values) == len(expected), path
        for i, (e, a) in enumerate(zip(expected, values)):
            same(e, a, f"{path}[{i}]")
    else:
        assert actual == expected, f"{path}: {actual!r} != {expected!r}"


def chains_equal(a, b):
    """Two answers' chains: the same distances and the same pulses, in rank order."""
    return len(a) == len(b) and all(
        x["distance"] == y["distance"] and x["pulses"].tolist() == y["pulses"].tolist() for x, y in zip(a, b))
