"""Every bad input gets the documented Python exception with a message that says what is wrong
and, for values, which limit and how to scale; never a crash."""
import numpy as np
import pytest

import detection_workbench as dw

SERIES = dw.make_series()["lpNoisyData"]


def nan_at(index):
    values = SERIES.astype(float)
    values[index] = np.nan
    return values


@pytest.mark.parametrize("noisy, etalons, kwargs, error, words", [
    # values outside the 16-bit samples: the limit and the factor that fits
    (SERIES.astype(np.int32) * 400, None, {}, ValueError, ["32,767", "factor up to"]),
    (SERIES.astype(np.float64) + 1e9, None, {}, ValueError, ["32,767", "factor up to"]),
    # sums beyond the solvers' 32-bit criteria
    (np.full(1200, 30000, dtype=np.int16), None, {}, ValueError, ["2,147,483,647", "factor up to"]),
    (SERIES, np.full((2, 20), 32000), {}, ValueError, ["2,147,483,647", "factor up to"]),
    # empty, too long, not a number
    (np.array([], dtype=np.int16), None, {}, ValueError, ["no samples"]),
    (nan_at(5), None, {}, ValueError, ["noisy[5]", "not a number"]),
    (np.where(np.arange(1200) == 7, np.inf, 0.0), None, {}, ValueError, ["noisy[7]"]),
    (SERIES, np.array([[1.0, np.nan, 2.0]]), {}, ValueError, ["etalons[0, 1]"]),
    # etalon counts and lengths
    (SERIES, np.zeros((0, 20)), {}, ValueError, ["0 etalons", "1 to 20"]),
    (SERIES, np.ones((21, 20)), {}, ValueError, ["21 etalons", "1 to 20"]),
    (SERIES, np.ones((2, 1)), {}, ValueError, ["etalon"]),
    # wrong kinds and shapes
    (SERIES.astype(str), None, {}, TypeError, ["noisy", "integers or floats", "<U"]),
    (SERIES.astype(complex), None, {}, TypeError, ["noisy", "complex"]),
    (SERIES > 0, None, {}, TypeError, ["noisy", "bool"]),
    ([1, 2, "a"], None, {}, TypeError, ["noisy"]),
    (SERIES.reshape(40, 30), None, {}, ValueError, ["noisy", "1-D", "(40, 30)"]),
    (SERIES, np.ones(20), {}, ValueError, ["etalons", "2-D", "(20,)"]),
    (SERIES, np.ones((2, 3, 4)), {}, ValueError, ["etalons", "2-D"]),
    (SERIES, None, {"scale": float("nan")}, ValueError, ["scale factor nan"]),
    (SERIES, None, {"scale": -2.0}, ValueError, ["scale factor"]),
    (SERIES, None, {"scale": "big"}, TypeError, ["scale"]),
])
def test_bad_arrays_raise_with_a_clear_message(noisy, etalons, kwargs, error, words):
    with pytest.raises(error) as raised:
        dw.solve("detection", 1, noisy, etalons=etalons, **kwargs)
    for word in words:
        assert word in str(raised.value)


def test_a_series_too_long_for_the_task_names_the_limit_and_the_slice():
    # Recognition of a known number keeps the workbench's limit.
    with pytest.raises(ValueError) as raised:
        dw.solve("recognition", 1, np.zeros(32768))
    for word in ["32,767", "noisy[start:start + 32767]"]:
        assert word in str(raised.value)


@pytest.mark.parametrize("call, text", [
    (lambda: dw.solve("detection", 1, SERIES, tmin=50, tmax=40), "tmax: 40 is below --tmin 50"),
    (lambda: dw.solve("detection", 1, SERIES, pulses=40), "pulses: 40 lies outside the admissible range 6..30"),
    (lambda: dw.solve("detection", 4, SERIES, pulses=10),
     "pulses: the solver of series type 4 finds the number of pulses itself"),
    (lambda: dw.solve("detection", 1, SERIES, tmin=5, tmax=10), "tmax: 10 is below the etalon length 20"),
    (lambda: dw.solve("detection", 1, SERIES, etalons=np.ones((2, 7)), required=3),
     "required: etalon 3 is not among the 2 etalons of the run"),
    (lambda: dw.solve("recognition", 1, SERIES, required=21), "required: 21 lies outside 1..20"),
    (lambda: dw.solve("recognition", 1, SERIES, required=10**30), "required: \"1000000000000000000000000000000\" is not"),
    (lambda: dw.solve("recognition", 1, SERIES, required=True), "required: \"True\" is not"),
    (lambda: dw.solve("tuples-detection", 1, SERIES), "subset: tuple detection needs the tuple"),
    (lambda: dw.solve("sorting", 1, SERIES), "task: unknown task \"sorting\""),
    (lambda: dw.solve("detection", 3, SERIES), "series_type: 3 is none of 1, 2, 4, 8, 36, 40"),
    (lambda: dw.make_series(pulses=40), "pulses: 40 lies outside the admissible range 6..30"),
    (lambda: dw.make_series(pulses=10, unknown=True), "pulses: cannot be given together with --unknown"),
    (lambda: dw.make_series(length=40000), "length: 40000 samples cannot be held"),
    (lambda: dw.make_series(sequence=[1, 21]), "sequence: 21 lies outside 1..20"),
    (lambda: dw.simulate(pulses_from=9, pulses_to=7), "pulses_to: 7 is below --pulses-from 9"),
    (lambda: dw.simulate(repeats=0), "repeats: 0 lies outside 1..65535"),
    (lambda: dw.alphabet(count=21), "count: 21 lies outside 1..20"),
])
def test_inconsistent_options_raise_the_companions_text(call, text):
    with pytest.raises(dw.OptionError) as raised:
        call()
    assert str(raised.value).startswith(text)
    assert raised.value.option == text.split(":")[0]
    assert isinstance(raised.value, ValueError)


def test_option_texts_are_the_companions(batch):
    done = batch.run("series", "--tmin", "50", "--tmax", "45")
    assert done.returncode == 2
    with pytest.raises(dw.OptionError) as raised:
        dw.make_series(tmin=50, tmax=45)
    assert "detection-batch: --" + str(raised.value) == done.stderr.strip()


def test_wrong_argument_kinds_raise_type_errors():
    with pytest.raises(TypeError):
        dw.solve("detection", 1, SERIES, required=["a"])
    with pytest.raises(TypeError):
        dw.make_series(pulses="many")
    with pytest.raises(TypeError):
        dw.simulate(progress=5)
    with pytest.raises(TypeError, match="tmin: expected an integer, got float"):
        dw.solve("detection", 1, SERIES, tmin=40.5)
    with pytest.raises(TypeError, match="unexpected keyword argument 'pulse'"):
        dw.Workbench().solve("detection", 1, SERIES, pulse=18)
    with pytest.raises(TypeError):
        dw.solve("detection", 1, SERIES, 18)  # the options are keywords only
