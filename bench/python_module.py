# The Python module's cost per call of impedance() on the window's 1000
# frequencies, and on one frequency (where the call's own overhead is nearly
# all of it), to set beside bench_refined's BM_ClassicLibrary1000 and
# BM_RefinedModel1000, the same computations called from C++.
#
#   PYTHONPATH=build/release/python /usr/bin/python3 bench/python_module.py
import timeit

import numpy as np
import tessivar

patch = tessivar.Patch(38, 29.5, 1.6, 4.4, 9)
band = np.linspace(1, 3, 1000)


def per_call(call, number):
    return min(timeit.repeat(call, number=number, repeat=5)) / number


for model, number in (("classic", 2000), ("refined", 200)):
    seconds = per_call(lambda: tessivar.impedance(patch, band, model), number)
    print(f"impedance, 1000 frequencies, {model}: {seconds * 1e6:.1f} us")
seconds = per_call(lambda: tessivar.impedance(patch, [2.4], "classic"), 20000)
print(f"impedance, one frequency, classic: {seconds * 1e6:.2f} us")
