# scikit-rf's microstrip line (MLine) with Hammerstad-Jensen's quasi-static
# line and Kirschning-Jansen's dispersion, for the feed line's test to
# compare with. Prints a row a line and frequency: "W H ER T GHZ ZC EE"
# (metres), the quasi-static line at GHZ 0.
#
# Debian's scikit-rf 0.15 differs from the papers in three places, set right
# here so that the rest can be compared closely: its thickness correction
# takes t over h (it scales by h itself); its quasi-static Zc divides the
# thin strip's air line Z01(ur) by the thick strip's sqrt(ee), where
# Hammerstad and Jensen divide it by the thin strip's, so it is multiplied
# by Z01(u1)/Z01(ur); and its R8 closes a bracket before (fn/18.365)^2.745,
# which the paper has inside the exponential (so that R8 is 1 at fn = 0).
import contextlib
import inspect
import io

import numpy as np

# Its import says on standard output what it misses (matplotlib), which is
# no row.
with contextlib.redirect_stdout(io.StringIO()):
    import skrf
    from skrf.media import mline

GHZ = [1, 5, 12]
# w, h, er, t: the FR-4 50-ohm line bare and with 35 um copper, alumina, a
# narrow 165-ohm line and a wide one.
LINES = [
    (3.06e-3, 1.6e-3, 4.4, 0),
    (3.0e-3, 1.6e-3, 4.4, 35e-6),
    (0.6e-3, 0.635e-3, 9.8, 10e-6),
    (0.3e-3, 1.6e-3, 2.2, 35e-6),
    (20e-3, 0.8e-3, 3.5, 18e-6),
]

source = inspect.getsource(mline).replace(
    "exp(-0.004625*R3*ep_r**1.674)*(fn/18.365)**2.745)",
    "exp(-0.004625*R3*ep_r**1.674*(fn/18.365)**2.745))")
exec(compile(source, mline.__file__, "exec"), mline.__dict__)
f = skrf.Frequency.from_f(np.array(GHZ) * 1e9, unit="hz")
for w, h, er, t in LINES:
    m = mline.MLine(frequency=f, w=w, h=h, t=t / h, ep_r=er, diel="frequencyinvariant", tand=0,
                    rho=None, disp="kirschningjansen")
    k = mline.ZL1(w + m.delta_w1, h) / mline.ZL1(w + m.delta_wr, h)  # per frequency if t > 0
    z0 = np.broadcast_to(np.real(m.Z0 * k), f.f.shape)
    print(w, h, er, t, 0, z0[0], np.real(m.ep_reff[0]))
    for ghz, zc, ee in zip(GHZ, np.real(m.Z0_f * k), np.real(m.ep_reff_f)):
        print(w, h, er, t, ghz, zc, ee)
