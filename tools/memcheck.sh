#!/usr/bin/env bash
# Runs a scripted session of tessivar-script under valgrind's memcheck: a
# design typed in, every slider moved, hostile text typed into every edit
# box, pattern windows opened and turned, the window and a pattern rendered to
# PNG, SVG, PDF and CSV files, a design made, saved and opened, the Match
# figure with a Touchstone file written and read back. Any invalid read or
# write, use of an uninitialised value, or definite or indirect leak fails the
# run.
#   tools/memcheck.sh [build folder holding tessivar-script, default build/dev]
set -euo pipefail
cd "$(dirname "$0")/.."
build=${1:-build/dev}
exe="$build/tessivar-script"
if [ ! -x "$exe" ]; then
  echo "memcheck: $exe is not built" >&2
  exit 2
fi
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

long_letters=$(head -c 100000 /dev/zero | tr '\0' x)
long_number="1.$(head -c 99998 /dev/zero | tr '\0' 0)"
design() {
  printf 'type edit%s\n' "1 30" "2 40" "3 1.6" "4 4.4" "7 10" "5 1" "6 3"
}
{
  design
  echo "line axes1"
  echo "slide slider1 300"
  echo "slide slider2 1"
  echo "slide slider3 20"
  echo "slide slider4 1"
  echo "slide slider5 0"
  echo "slide slider6 1.8"
  echo "surface 1"
  design
  for box in 1 2 3 4 5 6 7 8; do
    for typed in "" abc 1e999 -1e999 NaN -0 Inf "$long_letters" "$long_number" \
      "Größe 3,5 мм" "1;2" "[1 2 3]" exit; do
      echo "type edit$box $typed"
    done
  done
  echo "png 1 $work/hostile.png"
  design
  echo "type edit1 -0.5"
  echo "type edit8 2"
  echo "figures"
  echo "png 1 $work/window.png"
  echo "svg 1 $work/window.svg"
  echo "png 2 $work/pattern.png"
  echo "svg 3 $work/pattern.svg"
  echo "rotate 2 30 20"
  echo "csv 2 $work/pattern.csv"
  echo "pdf 1 $work/window.pdf"
  echo "design 2.4 4.4 1.6"
  echo "save $work/design.txt"
  echo "open $work/design.txt"
  echo "match"
  echo "touchstone $work/patch.s1p"
  echo "overlay $work/patch.s1p"
  echo "match 75"
} >"$work/session.txt"

echo "== memcheck of a scripted tessivar-script session"
status=0
QT_QPA_PLATFORM=offscreen valgrind --tool=memcheck --leak-check=full \
  --errors-for-leak-kinds=definite,indirect --error-exitcode=1 --num-callers=40 \
  "$exe" "$work/session.txt" >"$work/out.txt" 2>"$work/memcheck.log" || status=$?
grep -E 'ERROR SUMMARY|definitely lost|indirectly lost' "$work/memcheck.log" | sed 's/^==[0-9]*== *//'
if [ "$status" -ne 0 ]; then
  echo "!! memcheck failed (status $status); its report:"
  grep -v '^==[0-9]*== *$' "$work/memcheck.log" | head -n 200
  exit 1
fi
for f in hostile.png window.png window.svg pattern.png pattern.svg window.pdf pattern.csv design.txt patch.s1p; do
  if [ ! -s "$work/$f" ]; then
    echo "!! the session did not write $f"
    exit 1
  fi
done
echo "memcheck: no errors, no leaks"
