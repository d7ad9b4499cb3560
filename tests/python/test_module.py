"""The Python module against the program: the same impedance as the window
draws, the same design and far field as the script prints, S11 as
scikit-rf converts it, Touchstone files that read back, and refusals with
the library's own messages."""
import json
import os
import re
import subprocess

import numpy as np
import pytest
import skrf

import tessivar

WORKED = tessivar.Patch(30, 40, 1.6, 4.4, 10)  # the window's worked example
# The worked example typed into the window over 1-3 GHz, then designs and far
# fields on both models; the last line is refused.
SCRIPT = """type edit1 30
type edit2 40
type edit3 1.6
type edit4 4.4
type edit7 10
type edit5 1
type edit6 3
line axes1
line axes2
farfield 2
design 2.4 4.4 1.6
model refined
design 2.4 4.4 1.6
farfield 2.4
design 0 4.4 1.6
"""


@pytest.fixture(scope="module")
def script():
    program = os.path.join(os.environ["TESSIVAR_BUILD_DIR"], "tessivar-script")
    run = subprocess.run([program], input=SCRIPT, capture_output=True, text=True, timeout=120,
                         env=dict(os.environ, QT_QPA_PLATFORM="offscreen"))
    lines = [json.loads(line) for line in run.stdout.splitlines()]
    assert len(lines) == 6, run.stderr
    keys = ["r", "x", "farfield_classic", "design_classic", "design_refined", "farfield_refined"]
    return dict(zip(keys, lines), error=run.stderr.strip().splitlines()[-1])


def test_impedance_is_what_the_window_draws(script):
    f = np.array(script["r"]["x"])
    z = tessivar.impedance(WORKED, f)
    assert z.dtype == complex and z.shape == f.shape
    # The window evaluates its functions with vector instructions: a few
    # units in the last place apart, as the program's own tests allow.
    drawn = np.array(script["r"]["y"]) + 1j * np.array(script["x"]["y"])
    assert np.all(np.abs(z - drawn) <= 1e-12 * np.abs(drawn))
    # Any array-like keeps its shape.
    assert tessivar.impedance(WORKED, [[1, 2], [3, 2.5]]).shape == (2, 2)
    assert tessivar.impedance(WORKED, 2.0).shape == ()


@pytest.mark.parametrize("model", ["classic", "refined"])
def test_design_is_the_scripts(script, model):
    expected = script["design_" + model]
    d = tessivar.design(2.4, 4.4, 1.6, model=model)
    assert set(expected) <= set(d)
    for key, value in expected.items():
        if key == "peak_ohm":  # read off the window's own curve
            assert d[key] == pytest.approx(value, rel=1e-12)
        else:
            assert (list(d[key]) if key == "band" else d[key]) == value, key
    assert (d["patch"].w_mm, d["patch"].l_mm) == pytest.approx((d["w_mm"], d["l_mm"]))


@pytest.mark.parametrize("model,ghz", [("classic", 2), ("refined", 2.4)])
def test_farfield_is_the_scripts(script, model, ghz):
    expected = script["farfield_" + model]
    patch = WORKED if model == "classic" else tessivar.design(2.4, 4.4, 1.6, model=model)["patch"]
    f = tessivar.farfield(patch, ghz, model)
    assert {k: f[k] for k in expected} == expected
    for cut in ("e_plane", "h_plane"):
        angle, level = f[cut]["angle_deg"], f[cut]["level_db"]
        assert angle.shape == level.shape and angle[0] == -90 and angle[-1] == 90
        assert level.max() == pytest.approx(0, abs=1e-9) and level.min() >= -100


def test_network_is_scikit_rfs_conversion():
    f = np.linspace(1, 3, 201)
    z = tessivar.impedance(WORKED, f)
    n = tessivar.to_network(f, z, z0=75, name="worked")
    assert n.name == "worked" and np.array_equal(n.f, f * 1e9)
    # (Debian's scikit-rf 0.15 cannot run its z2s on numpy 1.24; its
    # reflection coefficient of a load is the same conversion.)
    np.testing.assert_allclose(n.s[:, 0, 0], skrf.zl_2_Gamma0(75, z), rtol=1e-13, atol=1e-15)


def test_touchstone_reads_back_what_it_wrote(tmp_path):
    f = np.linspace(1, 3, 51)
    z = tessivar.impedance(WORKED, f, "refined")
    path = str(tmp_path / "worked.s1p")
    tessivar.write_touchstone(path, f, z, z0=75)
    f2, z2, z0 = tessivar.read_touchstone(path)
    assert z0 == 75
    np.testing.assert_allclose(f2, f, rtol=1e-15)
    np.testing.assert_allclose(z2, z, rtol=1e-12)
    np.testing.assert_allclose(skrf.Network(path).s[:, 0, 0],
                               tessivar.to_network(f, z, 75).s[:, 0, 0], rtol=1e-14)


@pytest.mark.parametrize("call,message", [
    (lambda: tessivar.Board(tand=-1), "The loss tangent must lie between 0 and 0.1."),
    (lambda: tessivar.Board(pin=1), "pin"),
    (lambda: tessivar.Board(feed="edge"), 'the feed is probe, not "edge"'),
    (lambda: tessivar.impedance(WORKED, [1], "exact"), 'model is classic or refined, not "exact"'),
    (lambda: tessivar.impedance(tessivar.Patch(-1, 40, 1.6, 4.4, 10), [1.5]),
     "no finite impedance at 1.5 GHz"),
    (lambda: tessivar.impedance(tessivar.Patch(-1, 40, 1.6, 4.4, 10), [1], "refined"),
     "The patch width must be a positive number."),
    (lambda: tessivar.impedance(WORKED, [0, 1], "refined"),
     "Every frequency of the band must be a positive number."),
    (lambda: tessivar.farfield(WORKED, -1), "must be finite and positive"),
    (lambda: tessivar.to_network([1, 2], [50]), "2 frequencies but 1 impedances"),
    (lambda: tessivar.to_network([1], [50], z0=-5), "-5"),
    (lambda: tessivar.write_touchstone("x.s1p", [1], [np.nan]), "S11 is not a number at point 1 (1 GHz)"),
    (lambda: tessivar.read_touchstone("/nonexistent/x.s1p"), "No such file or directory"),
])
def test_bad_input_is_refused_with_the_reason(call, message):
    with pytest.raises(ValueError, match=re.escape(message)):
        call()


def test_bad_design_has_the_scripts_message(script):
    with pytest.raises(ValueError) as refusal:
        tessivar.design(0, 4.4, 1.6)
    assert script["error"].endswith("design: " + str(refusal.value))


def test_a_failed_write_leaves_no_file(tmp_path):
    with pytest.raises(OSError):
        tessivar.write_touchstone(str(tmp_path / "no" / "x.s1p"), [1], [50])
    assert list(tmp_path.iterdir()) == []
    with pytest.raises(ValueError):
        tessivar.write_touchstone(str(tmp_path / "x.s1p"), [1, 2], [50, np.inf])
    assert list(tmp_path.iterdir()) == []


def test_values_read_back():
    b = tessivar.Board(tand=0.001, copper_um=18, sigma=5.0e7, pin_mm=0.9)
    assert (b.tand, b.copper_um, b.sigma, b.pin_mm, b.feed) == (0.001, 18, 5e7, 0.9, "probe")
    assert b != tessivar.Board() and tessivar.Board() == tessivar.Board(tand=0.02)
    assert repr(WORKED) == "Patch(w_mm=30, l_mm=40, h_mm=1.6, er=4.4, feed_mm=10)"
    assert tessivar.models()[0] == "classic"
    # A lossy board lowers the refined model's efficiency, the classic one has none.
    lossy = tessivar.farfield(WORKED, 1.8, "refined", tessivar.Board(tand=0.05))["efficiency"]
    assert lossy < tessivar.farfield(WORKED, 1.8, "refined")["efficiency"]
    assert tessivar.farfield(WORKED, 1.8)["gain_dbi"] is None
