#!/usr/bin/python3
"""The two antenna models through the array runtime against numpy.

Runs the runtime benchmarks of bench_models (JSON output) and the same
formulas written in numpy the way the models are written (one numpy call per
runtime call, meshgrid for the pattern), on the same 1000-point band, the same
91 x 91 grid and the same design, in alternating rounds of one run, and prints
the medians (CPU time per model evaluation) and the ratios runtime/numpy and
runtime/fused loop. Without numpy it says so and prints the runtime figures
alone.

  bench/compare_numpy.py [path to bench_models, default build/release/bench_models]
      [--rounds N] [--min-time SECONDS] [--before OTHER_BENCH_MODELS]

--before also times another build of bench_models (an older runtime) in the
same rounds and prints its runtime figures beside the current ones.
"""

import argparse
import json
import math
import statistics
import subprocess
import sys
import time
from pathlib import Path

try:
    import numpy as np
except ImportError:
    np = None

BENCHMARKS = {
    "impedance": ("BM_ImpedanceRuntimeRows", "BM_ImpedanceFused"),
    "pattern": ("BM_PatternRuntimeGrids", "BM_PatternFused"),
}

# The design of the worked example: sizes in metres, frequencies in GHz.
DESIGN = dict(wp=30e-3, lp=40e-3, h=1.6e-3, er=4.4, offset=10e-3, fmin=1.0, fmax=3.0, f0p=1.8)


def effective_permittivity(er, h, wp):
    return (er + 1) / 2 + ((er - 1) / 2) / np.sqrt(1 + 10 * h / wp)


def impedance(wp, lp, h, er, offset, fmin, fmax, **_):
    f = 1e9 * np.linspace(fmin, fmax, 1000)
    a = wp
    mi0 = 1.2566370614359173e-6
    epsilon0 = 8.854e-12
    c = 1 / np.sqrt(mi0 * epsilon0)
    lambda0 = c / f
    k0 = 6.283185307179586 / lambda0
    Z0 = np.sqrt(mi0 / epsilon0)
    ereff = effective_permittivity(er, h, wp)
    if wp <= h:
        Zc = 0.15915494309189535 * (Z0 / np.sqrt(ereff)) * np.log(8 * h / wp + 0.25 * wp / h)
    else:
        Zc = Z0 / np.sqrt(ereff) / (wp / h + 1.393 + 0.667 * np.log(wp / h + 1.444))
    ws = h
    Yslot = math.pi * a * (1 + 1j * (1 - np.log(2) * np.log(k0 * ws))) / (lambda0 * Z0)
    Zslot = 1 / Yslot
    beta = k0 * np.sqrt(ereff)
    RCslot = (Zslot - Zc) / (Zslot + Zc)
    RCslot1 = RCslot * np.exp(-2j * beta * offset)
    RCslot2 = RCslot * np.exp(-2j * beta * (lp - offset))
    Zslot1 = Zc * (1 + RCslot1) / (1 - RCslot1)
    Zslot2 = Zc * (1 + RCslot2) / (1 - RCslot2)
    Yslot1 = 1 / Zslot1
    Yslot2 = 1 / Zslot2
    Ytotal = Yslot1 + Yslot2
    return 1 / Ytotal


def pattern(wp, lp, h, er, f0p, **_):
    f0 = f0p * 1e9
    mi0 = 1.2566370614359173e-6
    epsilon0 = 8.854e-12
    c = 1 / np.sqrt(mi0 * epsilon0)
    lambda0 = c / f0
    k0 = 6.283185307179586 / lambda0
    ereff = effective_permittivity(er, h, wp)
    dlp = 0.412 * h * ((ereff + 0.3) * (wp / h + 0.264)) / ((ereff - 0.258) * (wp / h + 0.8))
    lpeff = lp + 2 * dlp
    theta = np.linspace(0, math.pi, 91)
    phi = np.linspace(-math.pi / 2, math.pi / 2, 91)
    Th, Ph = np.meshgrid(theta, phi)
    X = k0 * h / 2 * np.sin(Th) * np.cos(Ph)
    Z = k0 * wp / 2 * np.cos(Th)
    R = np.sin(Th) * np.sin(X) / X * np.sin(Z) / Z * np.cos(k0 * lpeff / 2 * np.sin(Th) * np.sin(Ph))
    x = R * np.sin(Th) * np.cos(Ph)
    y = R * np.sin(Th) * np.sin(Ph)
    z = R * np.cos(Th)
    return R, x, y, z


def numpy_time(model, min_time):
    """CPU microseconds per evaluation, the loop run for at least min_time."""
    loops, spent = 1, 0.0
    while True:
        start = time.process_time()
        for _ in range(loops):
            model(**DESIGN)
        spent = time.process_time() - start
        if spent >= min_time:
            return spent / loops * 1e6
        loops *= 2 if spent < min_time / 10 else math.ceil(1.2 * min_time / max(spent, 1e-9))


def runtime_times(exe, min_time):
    """CPU microseconds per evaluation of each benchmark, one run."""
    names = [n for pair in BENCHMARKS.values() for n in pair]
    out = subprocess.run(
        [exe, "--benchmark_format=json", f"--benchmark_min_time={min_time}",
         "--benchmark_filter=^(" + "|".join(names) + ")$"],
        check=True, capture_output=True, text=True).stdout
    scale = {"ns": 1e-3, "us": 1.0, "ms": 1e3, "s": 1e6}
    found = {}
    for b in json.loads(out)["benchmarks"]:
        if b.get("error_occurred"):
            sys.exit(f"{b['name']}: {b.get('error_message')}")
        found[b["name"]] = b["cpu_time"] * scale[b["time_unit"]]
    return found


def print_rows(runs, numpy_runs):
    """One row a model: the medians of the runtime, fused and numpy runs and their ratios."""
    for model, (runtime, fused) in BENCHMARKS.items():
        r = statistics.median(runs[runtime])
        f = statistics.median(runs[fused])
        line = f"{model:<10} {r:9.1f} {f:9.1f}"
        if np is not None:
            n = statistics.median(numpy_runs[model])
            line += f" {n:9.1f} {r / n:9.2f}"
        else:
            line += f" {'-':>9} {'-':>9}"
        print(line + f" {r / f:9.2f}")


def main():
    here = Path(__file__).resolve().parent
    parser = argparse.ArgumentParser(description=__doc__.split("\n")[0])
    parser.add_argument("exe", nargs="?", default=str(here.parent / "build/release/bench_models"))
    parser.add_argument("--rounds", type=int, default=5)
    parser.add_argument("--min-time", type=float, default=0.2)
    parser.add_argument("--before")
    args = parser.parse_args()
    if np is None:
        print("numpy is not installed: runtime figures alone.")
    else:
        with np.errstate(divide="ignore", invalid="ignore"):
            check = impedance(**DESIGN)
            if not (check.shape == (1000,) and np.all(np.isfinite(check))):
                sys.exit("numpy impedance model gives no finite curve")

    # Rounds alternate the two sides so that both see the same machine load.
    runs = {name: [] for pair in BENCHMARKS.values() for name in pair}
    before_runs = {name: [] for pair in BENCHMARKS.values() for name in pair}
    numpy_runs = {model: [] for model in BENCHMARKS}
    for _ in range(args.rounds):
        for name, t in runtime_times(args.exe, args.min_time).items():
            runs[name].append(t)
        if args.before:
            for name, t in runtime_times(args.before, args.min_time).items():
                before_runs[name].append(t)
        if np is not None:
            with np.errstate(divide="ignore", invalid="ignore"):
                for model, fn in (("impedance", impedance), ("pattern", pattern)):
                    numpy_runs[model].append(numpy_time(fn, args.min_time))

    print(f"CPU time per evaluation, median of {args.rounds} rounds (us)")
    print(f"{'model':<10} {'runtime':>9} {'fused':>9} {'numpy':>9} {'rt/numpy':>9} {'rt/fused':>9}")
    print_rows(runs, numpy_runs)
    if args.before:
        print(f"before ({args.before}):")
        print_rows(before_runs, numpy_runs)


if __name__ == "__main__":
    main()
