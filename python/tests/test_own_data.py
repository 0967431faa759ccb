"""The caller's own series and etalons: answers checked against a brute-force search on tiny
inputs, and every dtype and memory layout giving the answer of the contiguous int16 array."""
import itertools

import numpy as np
import pytest

from conftest import chains_equal


def pulse_ranges(n, length, tmin, tmax, q):
    """Admissible origin range of every pulse of q in a series of n samples."""
    return [(max(k * tmin, n - tmax * (q - k), 0), min((k + 1) * tmax - length, n - length - tmin * (q - k - 1)))
            for k in range(q)]


def score(etalon, x, p):
    s = etalon.astype(np.int64)
    return int(np.sum(s * (s - 2 * x[p:p + len(s)].astype(np.int64))))


def brute_force(x, etalons, required, tmin, tmax, q):
    """Lowest criterion over all admissible placements of q whole pulses, each pulse taking the
    best of the required etalons, and the placements that reach it."""
    n, length = len(x), etalons.shape[1]
    ranges = pulse_ranges(n, length, tmin, tmax, q)
    best, where = None, []
    for origins in itertools.product(*[range(lo, hi + 1) for lo, hi in ranges]):
        if any(not tmin <= b - a <= tmax for a, b in zip(origins, origins[1:])):
            continue
        value = sum(min(score(etalons[e - 1], x, p) for e in required) for p in origins)
        if best is None or value < best:
            best, where = value, [origins]
        elif value == best:
            where.append(origins)
    return best, where


def tiny_case(rng):
    length = int(rng.integers(2, 5))
    count = int(rng.integers(1, 4))
    etalons = rng.integers(-40, 41, size=(count, length))
    # A pulse shape needs two non-zero values; an etalon with fewer is refused.
    while (np.count_nonzero(etalons, axis=1) < 2).any():
        etalons = rng.integers(-40, 41, size=(count, length))
    tmin = int(rng.integers(length, length + 3))
    tmax = tmin + int(rng.integers(0, 4))
    q = int(rng.integers(2, 4))
    n = int(rng.integers(length + tmin * (q - 1), min(length + tmax * q, 32)))
    x = rng.integers(-60, 61, size=n)
    # Plant the pulses so that the optimum is usually a clear one.
    origin = 0
    for k in range(q):
        lo, hi = pulse_ranges(n, length, tmin, tmax, q)[k]
        origin = int(np.clip(origin, lo, hi))
        x[origin:origin + length] += 2 * etalons[rng.integers(0, count)]
        origin += tmin
    return x, etalons, tmin, tmax, q


@pytest.mark.parametrize("seed", range(40))
def test_own_etalons_and_series_detection_is_the_brute_force_optimum(module, seed):
    rng = np.random.default_rng(seed)
    x, etalons, tmin, tmax, q = tiny_case(rng)
    required = list(range(1, len(etalons) + 1))
    task = "detection" if len(required) == 1 else "joint"
    try:
        answer = module.solve(task, 1, x, etalons=etalons, required=required, tmin=tmin, tmax=tmax, pulses=q)
    except module.OptionError:
        pytest.skip("the drawn sizes admit no placement")  # checked like the companion's options
    best, where = brute_force(x, etalons, required, tmin, tmax, q)
    assert best is not None
    assert answer["chains"][0]["distance"] == best
    found = tuple(answer["lpRestoredPositions"].tolist())
    assert answer["wRestoredQuantity"] == q and found in where
    for p, e in zip(found, answer["lpRestoredEtalons"]):
        assert score(etalons[e - 1], x, p) == min(score(etalons[r - 1], x, p) for r in required)


@pytest.mark.parametrize("seed", range(15))
def test_own_etalons_recognition_picks_the_etalon_of_the_best_chain(module, seed):
    rng = np.random.default_rng(100 + seed)
    x, etalons, tmin, tmax, q = tiny_case(rng)
    if len(etalons) < 2:
        etalons = np.vstack([etalons, -etalons])
    required = list(range(1, len(etalons) + 1))
    try:
        answer = module.solve("recognition", 1, x, etalons=etalons, required=required, tmin=tmin, tmax=tmax,
                              pulses=q)
    except module.OptionError:
        pytest.skip("the drawn sizes admit no placement")
    per_etalon = [brute_force(x, etalons, [e], tmin, tmax, q)[0] for e in required]
    best = min(per_etalon)
    assert answer["chains"][0]["distance"] == best
    if per_etalon.count(best) == 1:
        assert answer["solverResult"] == per_etalon.index(best) + 1


def test_etalons_of_alphabet_length_replace_the_first_etalons(module):
    """Given etalons of length 20 stand for etalons 1..K; the rest of the alphabet stays."""
    made = module.make_series(sequence=[7], noise=10)
    alphabet = module.alphabet()
    built_in = module.solve("joint", 1, made["lpNoisyData"], required=[1, 7], pulses=made["wImpulseQuantity"])
    own = module.solve("joint", 1, made["lpNoisyData"], etalons=alphabet[:2], required=[1, 7],
                       pulses=made["wImpulseQuantity"])
    assert chains_equal(own["chains"], built_in["chains"])
    assert set(own["lpRestoredEtalons"].tolist()) == {7}
    assert own["lpRestoredPositions"].tolist() == made["lpPositions"].tolist()


@pytest.fixture(scope="module")
def reference(request):
    import detection_workbench as dw
    made = dw.make_series(length=400, noise=15, sequence=[3])
    noisy = made["lpNoisyData"]
    etalons = dw.alphabet()[[2, 5]]
    answer = dw.solve("joint", 1, noisy, etalons=etalons, required=[1, 2], pulses=made["wImpulseQuantity"])
    return noisy, etalons, made["wImpulseQuantity"], answer


@pytest.mark.parametrize("dtype", [np.int8, np.int16, np.int32, np.int64, np.uint8, np.uint16, np.uint32,
                                   np.uint64, np.float16, np.float32, np.float64, ">i2", ">u4", ">f8"])
def test_other_dtypes_give_the_answer_of_int16(module, reference, dtype):
    noisy, etalons, q, _ = reference
    series = np.clip(noisy, -100, 100) + (100 if np.issubdtype(dtype, np.unsignedinteger) else 0)
    rows = etalons.astype(dtype) if np.issubdtype(dtype, np.floating) else etalons
    expected = module.solve("joint", 1, series.astype(np.int16), etalons=etalons, required=[1, 2], pulses=q)
    answer = module.solve("joint", 1, series.astype(dtype), etalons=rows, required=[1, 2], pulses=q)
    assert chains_equal(answer["chains"], expected["chains"])
    assert answer["lpRestoredPositions"].tolist() == expected["lpRestoredPositions"].tolist()


def test_views_and_lists_give_the_answer_of_a_contiguous_array(module, reference):
    noisy, etalons, q, expected = reference
    doubled = np.repeat(noisy, 2)[::2]                     # a strided view
    reversed_twice = noisy[::-1].copy()[::-1]              # negative strides
    fortran = np.asfortranarray(etalons)                    # column-major etalons
    unaligned = np.frombuffer(b"\0" + noisy.astype("<i2").tobytes(), dtype="<i2", offset=1)
    for series, rows in [(doubled, etalons), (reversed_twice, fortran), (noisy.tolist(), etalons.tolist()),
                         (unaligned, etalons)]:
        answer = module.solve("joint", 1, series, etalons=rows, required=[1, 2], pulses=q)
        assert chains_equal(answer["chains"], expected["chains"])


def test_scale_maps_the_peak_to_the_amplitude(module, reference):
    noisy, etalons, q, expected = reference
    peak = float(np.abs(noisy).max())
    answer = module.solve("joint", 1, noisy / peak, etalons=etalons / peak, required=[1, 2], pulses=q, scale=None)
    assert answer["factor"] == pytest.approx(128 / 1.0)
    assert answer["lpRestoredPositions"].tolist() == expected["lpRestoredPositions"].tolist()
