"""A series too short for one pulse is a ValueError (an OptionError, as every refusal of solve's
arguments) that names the array `noisy`, with the message the window and the companion give for a
file; it does not blame a `length` that solve() has not got."""
import numpy as np
import pytest

import detection_workbench as dw


@pytest.mark.parametrize("samples, options, text", [
    (np.arange(3, dtype=np.int16), {},
     '"noisy": the series of 3 samples holds no admissible pulses of 20 samples with Tmin 40 and Tmax 181'),
    (np.arange(40, dtype=np.int16), {"tmin": 25, "tmax": 25},
     '"noisy": the series of 40 samples holds no admissible pulses of 20 samples with Tmin 25 and Tmax 25'),
])
def test_too_short_is_a_value_error_naming_noisy(samples, options, text):
    with pytest.raises(ValueError) as caught:
        dw.solve("detection", 1, samples, **options)
    assert isinstance(caught.value, dw.OptionError)
    assert caught.value.option == "noisy"
    assert str(caught.value) == text


def test_other_option_faults_stay_option_errors():
    with pytest.raises(dw.OptionError) as caught:
        dw.solve("detection", 1, np.arange(40, dtype=np.int16), tmin=25, tmax=5)
    assert caught.value.option == "tmax"
