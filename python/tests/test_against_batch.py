"""The module's answers equal detection-batch's JSON for the same inputs.

Every task and series type, with random lengths, distances, levels, noise, required lists and
subsets: `process` made by the module equals the companion's document field by field, and
`solve` on the companion's noisy series (given as the caller's own array) gives the same
answer and chains.
"""
import random

import numpy as np
import pytest

from conftest import same

TASKS = ["detection", "recognition", "joint", "series", "tuples-detection", "tuples-recognition"]
SERIES_TYPES = [1, 2, 4, 8, 36, 40]
CASES_PER_PAIR = 7  # 6 x 6 x 7 = 252 cases
ANSWER_KEYS = ["solver", "solverResult", "wRestoredQuantity", "lpRestoredPositions", "lpRestoredEtalons",
               "lpRestoredCutBegin", "lpRestoredCutEnd", "wRestoredTuples", "lpRestoredTupleFirst",
               "lpRestoredTupleLast", "wRecognizedSubset", "chains", "wSeekingPulsesQuantity"]


def random_case(rng, task, series_type):
    length = rng.randrange(80, 420)
    tmin = rng.randrange(20, 45)
    tmax = tmin + rng.randrange(0, 40)
    required = rng.sample(range(1, 21), rng.randrange(1, 4))
    case = {
        "task": task, "series_type": series_type, "length": length, "tmin": tmin, "tmax": tmax,
        "required": required, "noise": rng.choice([0, 10, 40, 90]),
        "making_level": rng.choice([100, 100, 80, 60]), "processing_level": rng.choice([100, 90, 70]),
        "proceeding": rng.choice([1, 2]),
    }
    tuple_task = task.startswith("tuples") or series_type in (36, 40)
    if tuple_task or rng.random() < 0.2:
        case["subset"] = rng.sample(range(1, 21), 2)
        case["subset_mode"] = rng.choice([1, 2, 3, 4, 5])
    if tuple_task:
        case["subsets"] = [rng.sample(range(1, 21), 2) for _ in range(rng.randrange(1, 4))]
        tuple_recognition = task == "tuples-recognition" or (task == "recognition" and series_type in (36, 40))
        if tuple_recognition and rng.random() < 0.5:
            case.pop("subset", None)
            case.pop("subset_mode", None)
    if rng.random() < 0.2:
        case["sequence"] = rng.sample(range(1, 21), 3)
    return case


def batch_args(case):
    args = ["process"]
    for key, value in case.items():
        if isinstance(value, list):
            value = ";".join(",".join(map(str, v)) for v in value) if isinstance(value[0], list) else \
                ",".join(map(str, value))
        args += ["--" + key.replace("_", "-"), value]
    return args


def all_cases():
    rng = random.Random(20240611)
    for task in TASKS:
        for series_type in SERIES_TYPES:
            for _ in range(CASES_PER_PAIR):
                yield random_case(rng, task, series_type)


@pytest.mark.parametrize("case", list(all_cases()), ids=lambda c: f"{c['task']}-{c['series_type']}")
def test_process_and_solve_equal_the_companion(batch, module, case):
    done = batch.run(*batch_args(case))
    if done.returncode != 0:
        # The companion refused the combination; the module refuses it with the same text,
        # naming the keyword instead of the option.
        with pytest.raises(module.OptionError) as refused:
            module.process(**case)
        line = done.stderr.strip().removeprefix("detection-batch: --")
        option, _, problem = line.partition(": ")
        assert str(refused.value) == option.replace("-", "_") + ": " + problem
        return
    import json
    expected = json.loads(done.stdout)
    same(expected, module.process(**case))

    # The same series handed in as the caller's own array gives the same answer.
    solve_args = {k: v for k, v in case.items()
                  if k in ("required", "tmin", "tmax", "processing_level", "subset", "subsets", "proceeding")}
    if "Fixed" in expected["solver"]:  # the solvers that take the number of pulses
        solve_args["pulses"] = expected["wImpulseQuantity"]
    noisy = np.array(expected["lpNoisyData"], dtype=np.int16)
    answer = module.solve(case["task"], case["series_type"], noisy, **solve_args)
    for key in ANSWER_KEYS:
        same(expected[key], answer[key], key)
    assert answer["factor"] == 1.0


def test_default_process_is_the_workbench_first_processing(batch, module):
    same(batch.json("process"), module.process())


@pytest.mark.parametrize("args", [
    {}, {"length": 60, "tmin": 20, "tmax": 30, "pulses": 2, "sequence": [3, 5], "noise": 10},
    {"unknown": True, "length": 500}, {"subset": [4, 7, 9], "subset_mode": 5, "making_level": 70},
])
def test_make_series_equals_the_companion(batch, module, args):
    cli = ["series"]
    for key, value in args.items():
        if value is True:
            cli.append("--" + key)
        else:
            cli += ["--" + key.replace("_", "-"), ",".join(map(str, value)) if isinstance(value, list) else value]
    same(batch.json(*cli), module.make_series(**args))


def test_alphabet_equals_the_companion(batch, module):
    expected = batch.json("alphabet", "--amplitude", 90, "--count", 7, "--length", 33)
    etalons = module.alphabet(amplitude=90, count=7, length=33)
    assert etalons.dtype == np.int16 and etalons.shape == (7, 33)
    assert etalons.tolist() == [e["samples"] for e in expected["etalons"]]


@pytest.mark.parametrize("args", [
    {"length": 300, "pulses_from": 2, "pulses_to": 4, "noise_steps": 3, "noise_step": 30, "repeats": 20},
    {"task": "recognition", "required": [3, 5], "length": 200, "noise_steps": 2, "noise_step": 50,
     "repeats": 5, "series_type": 2, "processing_level": 80},
])
def test_simulate_tables_are_the_csv_of_the_companion(batch, module, args):
    cli = ["simulate"]
    for key, value in args.items():
        cli += ["--" + key.replace("_", "-"), ",".join(map(str, value)) if isinstance(value, list) else value]
    done = batch.run(*cli)
    assert done.returncode == 0, done.stderr
    lines = [list(map(int, line.split(","))) for line in done.stdout.strip().splitlines()[1:]]
    tables = module.simulate(**args)
    rows = [[level, pulses, tables["restoring_error"][k, j], tables["position_error"][k, j],
             tables["recognition_errors"][k, j]]
            for k, level in enumerate(tables["noise_level"]) for j, pulses in enumerate(tables["pulses"])]
    assert rows == lines
