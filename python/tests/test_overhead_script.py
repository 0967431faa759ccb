"""The overhead timing compares the module with the same run called from C++: both sides must
keep doing the same work, and the script must keep running."""
import os
import subprocess
import sys

import pytest

import detection_workbench as dw

DIRECT = os.environ.get("DETECTION_DIRECT_TIMING")
SCRIPT = os.path.join(os.path.dirname(__file__), os.pardir, "overhead.py")

pytestmark = pytest.mark.skipif(not DIRECT, reason="DETECTION_DIRECT_TIMING is not set")


@pytest.mark.parametrize("mode", [["checks"], ["checks", "fresh"]])
def test_the_direct_program_finds_what_the_module_finds(mode):
    made = dw.make_series()
    answer = dw.solve("detection", 1, made["lpNoisyData"], pulses=made["wImpulseQuantity"])
    out = subprocess.run([DIRECT, "3", *mode], capture_output=True, text=True, check=True).stdout.split()
    assert float(out[0]) > 0
    assert int(out[1]) == 3 * answer["wRestoredQuantity"]


def test_the_script_reports_both_calls():
    done = subprocess.run([sys.executable, SCRIPT, DIRECT, "2", "1"], capture_output=True, text=True,
                          check=True, env=os.environ)
    lines = done.stdout.splitlines()
    assert len(lines) == 4
    for line in lines[1::2]:
        assert "us per call, overhead" in line and line.rstrip().endswith("% over the loop in this process")


@pytest.mark.parametrize("fresh", [False, True])
def test_the_loop_inside_this_process_finds_what_the_module_finds(fresh):
    import detection_direct_timing
    made = dw.make_series()
    answer = dw.solve("detection", 1, made["lpNoisyData"], pulses=made["wImpulseQuantity"])
    seconds, restored = detection_direct_timing.time_direct_runs(3, True, fresh)
    assert seconds > 0
    assert restored == 3 * answer["wRestoredQuantity"]
