#!/usr/bin/python3
"""Sweeps a 2.4 GHz patch's length and shows how its |S11| moves: each
length's best match printed, and the curves plotted with matplotlib when it
is installed (into --png FILE, else on the screen). With a Touchstone file (a
measurement or a solver's result) as its argument, that file is read through
scikit-rf and shown beside the model's curves.

  PYTHONPATH=build/dev/python python3 examples/python/sweep_length.py [--png FILE] [FILE.s1p]
"""
import sys

import numpy as np
import skrf

import tessivar

design = tessivar.design(2.4, 4.4, 1.6)  # F0 (GHz), er, h (mm) on FR-4
p = design["patch"]
f = np.linspace(*design["band"], 801)  # GHz, the band the window draws
curves = {}
for dl in (-1.0, -0.5, 0.0, 0.5, 1.0):  # mm
    patch = tessivar.Patch(p.w_mm, p.l_mm + dl, p.h_mm, p.er, p.feed_mm)
    net = tessivar.to_network(f, tessivar.impedance(patch, f), name=f"L = {patch.l_mm:.3f} mm")
    curves[net.name] = net
args = sys.argv[1:]
png = args.pop(args.index("--png") + 1) if "--png" in args else None
if "--png" in args:
    args.remove("--png")
if args:
    curves[f"{args[0]} (file)"] = skrf.Network(args[0])

for name, net in curves.items():
    db = net.s_db[:, 0, 0]
    k = int(np.argmin(db))
    print(f"{name}: best match {db[k]:.1f} dB at {net.f[k] / 1e9:.4f} GHz")

try:
    import matplotlib

    if png:
        matplotlib.use("Agg")  # a file, no screen needed
    import matplotlib.pyplot as plt
except ImportError:
    sys.exit(0)
for name, net in curves.items():
    plt.plot(net.f / 1e9, net.s_db[:, 0, 0], label=name)
plt.axhline(-10, color="grey", linestyle=":")
plt.xlabel("Frequency (GHz)")
plt.ylabel("|S11| (dB)")
plt.legend()
if png:
    plt.savefig(png, dpi=100)
else:
    plt.show()
