#!/usr/bin/env bash
# Builds the fuzz targets with clang's libFuzzer (and AddressSanitizer and
# UndefinedBehaviorSanitizer) and runs each for a bounded time:
#   tools/fuzz.sh [seconds per target]
#   fuzz_text   text conversions of the array runtime (str2double, str2num,
#               num2str round trips)
#   fuzz_edits  the real program's window, in-process and without a display:
#               the input is typed into every edit box and a slider is moved
#   fuzz_touchstone  the Touchstone reader (what it takes is finite, increasing
#               and reads back the same once written)
#   fuzz_design the design-file reader (what it takes reads back once written)
# A crash, a hang (an input taking more than 30 s), a leak or a failed check
# stops the run with the target's report and a non-zero status; the input
# that did it is left in build/fuzz as crash-*, timeout-* or leak-*. Run it
# again on one input with: build/fuzz/fuzz_edits FILE
set -euo pipefail
cd "$(dirname "$0")/.."
seconds=${1:-60}
if ! [[ "$seconds" =~ ^[1-9][0-9]*$ ]]; then
  echo "usage: tools/fuzz.sh [seconds per target, at least 1]" >&2
  exit 2
fi
out=build/fuzz
mkdir -p "$out"

cxx=(clang++)
if command -v ccache >/dev/null; then cxx=(ccache clang++); fi
common="-std=c++20 -g -I../../src -fsanitize=address,undefined -fno-sanitize-recover=undefined"
# Three depths of coverage tracing. The code that reads the typed text gets
# all of it (comparisons too, which lets the fuzzer find number syntax).
# The rest of the runtime, the object system and the modules count the
# branches taken. The handle collection, which every callback runs on the
# same window whatever was typed, and the label and surface functions are
# sanitized but not traced: traced, they would take most of each run.
full="-O1 $common -fsanitize=fuzzer-no-link"
counted="-O1 $common -fsanitize-coverage=inline-8bit-counters,pc-table"
plain="-O2 $common"

traced=(src/platform/array/text.cpp tests/fuzz/fuzz_text.cpp tests/fuzz/fuzz_edits.cpp
  src/formats/touchstone.cpp src/antenna/numbers.cpp tests/fuzz/fuzz_touchstone.cpp
  src/formats/words.cpp src/design/design_file.cpp tests/fuzz/fuzz_design.cpp)
# The design files' reader needs the window's adapter, and so the program.
design_src=()
for f in src/antenna/*.cpp src/formats/*.cpp src/fullwave/*.cpp src/design/*.cpp src/figures/*.cpp \
  src/platform/files/*.cpp; do
  case " ${traced[*]} " in
    *" $f "*) ;;
    *) design_src+=("$f") ;;
  esac
done
antenna_objs=()
for f in src/antenna/*.cpp src/formats/*.cpp; do antenna_objs+=("obj/${f%.cpp}.o"); done
counted_src=()
for f in src/platform/array/*.cpp src/platform/graphics/*.cpp src/window/*.cpp src/window/frame/*.cpp \
  src/window/model/*.cpp; do
  case "$f" in
    src/platform/array/text.cpp) ;;
    *) counted_src+=("$f") ;;
  esac
done
plain_src=(src/window/toolbox/*.cpp)
array_objs=()
for f in src/platform/array/*.cpp; do array_objs+=("obj/${f%.cpp}.o"); done
# The runtime's vector kernels: one file per instruction set, each compiled
# for its own, and the SLEEF library they call.
isa_flags() {
  case "$1" in
    */vector_avx2.cpp) echo "-mavx2 -mfma" ;;
    */vector_avx512.cpp) echo "-mavx512f" ;;
  esac
}
sleef_libs=$(pkg-config --libs sleef)
# The full-wave check reads the far-field program's HDF5 output.
hdf5_cflags=$(pkg-config --cflags hdf5)
hdf5_libs=$(pkg-config --libs hdf5)

# A ninja file, so that the sources compile on every core and only what
# changed is rebuilt.
{
  echo "cxx = ${cxx[*]}"
  for depth in full counted plain; do
    echo "rule $depth"
    echo "  command = \$cxx ${!depth} $hdf5_cflags \$isa -MMD -MF \$out.d -c \$in -o \$out"
    echo "  depfile = \$out.d"
    echo "  deps = gcc"
  done
  echo "rule link"
  echo "  command = \$cxx $common -fsanitize=fuzzer \$in -o \$out $sleef_libs $hdf5_libs"
  for f in "${traced[@]}"; do echo "build obj/${f%.cpp}.o: full ../../$f"; done
  for f in "${counted_src[@]}" "${design_src[@]}"; do
    echo "build obj/${f%.cpp}.o: counted ../../$f"
    isa=$(isa_flags "$f")
    if [ -n "$isa" ]; then echo "  isa = $isa"; fi
  done
  for f in "${plain_src[@]}"; do echo "build obj/${f%.cpp}.o: plain ../../$f"; done
  echo "build fuzz_text: link obj/tests/fuzz/fuzz_text.o ${array_objs[*]}"
  echo -n "build fuzz_edits: link obj/tests/fuzz/fuzz_edits.o"
  for f in "${counted_src[@]}" "${plain_src[@]}" src/platform/array/text.cpp; do
    case "$f" in src/platform/array/*) ;; *) echo -n " obj/${f%.cpp}.o" ;; esac
  done
  echo " ${array_objs[*]}"
  echo "build fuzz_touchstone: link obj/tests/fuzz/fuzz_touchstone.o ${antenna_objs[*]}"
  echo -n "build fuzz_design: link obj/tests/fuzz/fuzz_design.o"
  for f in "${counted_src[@]}" "${plain_src[@]}" "${design_src[@]}" src/formats/words.cpp \
    src/design/design_file.cpp src/formats/touchstone.cpp src/antenna/numbers.cpp \
    src/platform/array/text.cpp; do
    case "$f" in src/platform/array/*) ;; *) echo -n " obj/${f%.cpp}.o" ;; esac
  done
  echo " ${array_objs[*]}"
} >"$out/build.ninja.new"
if cmp -s "$out/build.ninja.new" "$out/build.ninja"; then
  rm "$out/build.ninja.new"
else
  mv "$out/build.ninja.new" "$out/build.ninja"
fi
echo "== building the fuzz targets"
if ! ninja -C "$out" -j "$(nproc)" fuzz_text fuzz_edits fuzz_touchstone fuzz_design >"$out/build.log" 2>&1; then
  tail -n 60 "$out/build.log"
  exit 1
fi

# Short allocation stacks in reports: the runtime allocates at every step,
# and recording deep stacks for each would slow the runs down.
export ASAN_OPTIONS=${ASAN_OPTIONS:-malloc_context_size=8}
status=0
run() {
  local target=$1 seeds=$2
  shift 2
  mkdir -p "$out/corpus-$target"
  echo "== $target for ${seconds}s"
  local log="$out/$target.log"
  if (cd "$out" && "./$target" -max_total_time="$seconds" -timeout=30 -rss_limit_mb=2048 \
    -print_final_stats=1 "$@" "corpus-$target" "../../$seeds") >"$log" 2>&1; then
    grep -E '^(#[0-9]+ +DONE|Done [0-9]+ runs|stat::number_of_executed_units|stat::peak_rss_mb)' \
      "$log" || tail -n 5 "$log"
  else
    echo "!! $target failed; its report:"
    tail -n 80 "$log"
    status=1
  fi
}
run fuzz_text tests/fuzz/seeds
# Without -len_control=0 libFuzzer grows inputs so slowly that a run of
# minutes never types more than a few dozen bytes into a box.
run fuzz_edits tests/fuzz/seeds_edits -dict=../../tests/fuzz/edits.dict -max_len=4096 -len_control=0
run fuzz_touchstone tests/fuzz/seeds_touchstone -max_len=4096
run fuzz_design tests/fuzz/seeds_design -max_len=4096
exit $status
