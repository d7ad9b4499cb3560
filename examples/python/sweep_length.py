#!/usr/bin/python3
"""Sweeps a 2.4 GHz patch's length and shows how its |S11| moves: plotted with
matplotlib when it is installed, else printed. With a Touchstone file (a
measurement or a solver's result) as its argument, that file is drawn or
printed beside the model's curves, read through scikit-rf.

  PYTHONPATH=build/dev/python python3 examples/python/sweep_length.py [FILE.s1p]
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
if len(sys.argv) > 1:
    measured = skrf.Network(sys.argv[1])
    curves[f"{sys.argv[1]} (file)"] = measured

try:
    import matplotlib.pyplot as plt
except ImportError:
    plt = None
if plt:
    for name, net in curves.items():
        plt.plot(net.f / 1e9, net.s_db[:, 0, 0], label=name)
    plt.axhline(-10, color="grey", linestyle=":")
    plt.xlabel("Frequency (GHz)")
    plt.ylabel("|S11| (dB)")
    plt.legend()
    plt.show()
else:
    for name, net in curves.items():
        db = net.s_db[:, 0, 0]
        k = int(np.argmin(db))
        print(f"{name}: best match {db[k]:.1f} dB at {net.f[k] / 1e9:.4f} GHz")
