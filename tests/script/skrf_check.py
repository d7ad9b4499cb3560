# Run by the script's RF test in its folder: reads the model's lines
# (out.txt, as tessivar-script printed them) and the script's Touchstone file
# (model.s1p) with scikit-rf and compares them, and writes the same data at
# 75 ohm in MHz as MA and DB files for the test to read back. Exits with the
# differences over 1e-9 when there are any.
import json, sys, numpy as np, skrf
r, x = [json.loads(l) for l in open("out.txt").read().splitlines()[:2]]
f, z = np.array(r["x"]) * 1e9, np.array(r["y"]) + 1j * np.array(x["y"])
n = skrf.Network("model.s1p")
s, z0 = n.s[:, 0, 0], n.z0[:, 0].real
zin = z0 * (1 + s) / (1 - s)  # Network.z of Debian's scikit-rf 0.15 fails on its numpy
rel = lambda a, b: float(np.max(np.abs(a - b) / np.abs(b)))  # fails unless shapes agree
checks = {"f": rel(n.f, f), "z0": rel(z0, 50), "s11": rel(s, (z - 50) / (z + 50)), "zin": rel(zin, z)}
at75 = skrf.Network(frequency=skrf.Frequency.from_f(n.f / 1e6, unit="mhz"),
                    s=((zin - 75) / (zin + 75)).reshape(-1, 1, 1), z0=75)
for form in ("ma", "db"):
    at75.write_touchstone("skrf_" + form, form=form)
bad = {k: v for k, v in checks.items() if not v < 1e-9}
sys.exit(json.dumps(bad) if bad else 0)
