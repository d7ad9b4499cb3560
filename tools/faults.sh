#!/usr/bin/env bash
# Puts known faults into the program one at a time and tells which tests catch
# each: a measure of what the test suite guards, to keep when tests are
# trimmed or rewritten.
#   tools/faults.sh                 every fault
#   tools/faults.sh ID...           the named faults
#   tools/faults.sh --list          the faults, without running anything
#   tools/faults.sh --check         only whether each row still applies
# FAULTS_EXCLUDE=REGEX leaves the tests it matches out of every run (say
# "readme", minutes a fault, when the rows at hand are not about it).
# The developer's tree is never modified: its tracked files are copied into a
# scratch tree (FAULTS_SCRATCH, by default a folder under /tmp named after
# this checkout) that keeps its own dev build between faults and between
# runs, so a fault recompiles only its own file. The clean tree is built and
# tested first; a test that fails there is named and left out of the counts.
# Each fault prints "caught by N tests (names)", "MISSED" or "build-broken"
# (a fault must compile: refresh the row). A row whose old text is not found
# exactly once in its file is "stale" and is not run. The last line is
# "N caught, M missed"; the status is 1 when a fault was missed, 2 when a row
# was stale or did not build, else 0.
set -euo pipefail
repo=$(cd "$(dirname "$0")/.." && pwd)
export QT_QPA_PLATFORM=${QT_QPA_PLATFORM:-offscreen}

# One fault a row: id @@ what goes wrong @@ file under src/ @@ old text @@ new
# text. The texts are literal, on one line, and the old one must occur
# exactly once in the file.
faults() {
  cat <<'ROWS'
model-constant @@ the wide-strip impedance constant 1.393 loses a digit @@ window/model/offset_impedance.cpp @@ K.number(1.393) @@ K.number(1.39)
network-sign @@ the reflection coefficient has its sign turned over @@ antenna/network.cpp @@ return (z - z0) / (z + z0); @@ return (z0 - z) / (z + z0);
network-z0-check @@ an infinite reference impedance passes the check @@ antenna/network.cpp @@ if (!(std::isfinite(z0) && z0 > 0)) @@ if (!(z0 > 0))
readout-lerp @@ the readout interpolates from the wrong end of a segment @@ antenna/readout.cpp @@ return x0 + t * (x1 - x0); @@ return x1 + t * (x1 - x0);
touchstone-two-options @@ a second option line is taken silently @@ formats/touchstone.cpp @@ if (seenOptions_) @@ if (seenOptions_ && out_.hz.size() > 1)
readout-floor @@ a perfect match (S11 = 0) turns the readout's band into NaN @@ antenna/readout.cpp @@ db[i] = std::max(kFloorDb, magnitudeDb( @@ db[i] = std::max(-HUGE_VAL, magnitudeDb(
bounded-read @@ the bounded reader counts no bytes while reading @@ platform/files/bounded_file.cpp @@ if (out.size() + static_cast<std::size_t>(n) > limit) return EFBIG; @@ if (out.size() > limit + out.max_size()) return EFBIG;
design-open-range @@ opening a design takes a slider position above the slider's Max @@ design/main_window.cpp @@ if (!(r.min <= v && v <= r.max)) @@ if (!(r.min <= v))
touchstone-y @@ admittance data of a Touchstone file are read as impedances @@ formats/touchstone.cpp @@ return antenna::sFromY(p, 1.0); @@ return antenna::sFromZ(p, 1.0);
classic-constant @@ the classic model's wide-strip impedance constant 1.393 loses a digit @@ antenna/classic_model.cpp @@ (u + 1.393 + @@ (u + 1.39 +
number-sign @@ a number written "+-1" is read as -1 @@ antenna/numbers.cpp @@ if (!text.empty() && (text.front() == '+' || text.front() == '-')) return std::nullopt; @@ (void)0;
pattern-constant @@ the fringing-length constant 0.412 has two digits swapped @@ window/model/pattern.cpp @@ K.number(0.412) @@ K.number(0.421)
band-nan @@ the band test lets a limit that is no number through to the model @@ window/model/offset_impedance.cpp @@ if (!rt::gtBool(v.fmax, v.fmin)) { @@ if (rt::leBool(v.fmax, v.fmin)) {
pattern-view @@ the pattern is seen from above the x-y plane instead of below @@ window/model/pattern.cpp @@ kElevation = K.number(-45) @@ kElevation = K.number(45)
count-message @@ a word of the argument-count message changes @@ window/frame/frame.cpp @@ was called with more than the declared @@ was called with fewer than the declared
constant-order @@ a module's constants are destroyed first-made first @@ window/frame/frame.cpp @@ for (auto s = slots_.rbegin(); s != slots_.rend(); ++s) @@ for (auto s = slots_.begin(); s != slots_.end(); ++s)
partner-write @@ a slider callback no longer writes its value into its edit box @@ window/callbacks.cpp @@ rt::set(control(handles, partner_.to), {target_, rt::num2str(value)}); @@ if (partner_.to.empty()) rt::set(control(handles, partner_.to), {target_, rt::num2str(value)});
wrong-axes @@ the callbacks fit the resistance axes twice and the reactance axes never @@ window/callbacks.cpp @@ rt::axes(ha2.get()); @@ rt::axes(ha1.get());
offset-max @@ the feed-offset slider's maximum follows L instead of L/2 @@ window/callbacks.cpp @@ {kMax, rt::mrdivide(lp, kTwo)} @@ {kMax, lp}
band-min @@ the pattern-frequency slider's minimum no longer follows the band start @@ window/callbacks_edits.cpp @@ {kMin, fmin, kValue, fmin} @@ {kMin, kZero, kValue, fmin}
band-max @@ the band end sets the maximum of the feed-offset slider, not of the pattern-frequency one @@ window/callbacks_edits.cpp @@ control(handles, "slider6"), {kMax, fmax} @@ control(handles, "slider5"), {kMax, fmax}
pattern-nan @@ a pattern frequency that is no number is taken @@ window/callbacks_edits.cpp @@ !std::isfinite(frequency.scalar()) @@ std::isinf(frequency.scalar())
script-status @@ a script line that cannot be read no longer fails the run @@ script/session.cpp @@ status = 2; @@ status = 0;
json-digits @@ numbers are reported with 15 digits, losing the round trip @@ antenna/numbers.h @@ inline constexpr int kExactDigits = 17; @@ inline constexpr int kExactDigits = 15;
handles-order @@ controls sharing a tag are collected newest first @@ window/toolbox/guihandles.cpp @@ fields[at->second] = rt::horzcat({prev_h, this_h}); @@ fields[at->second] = rt::horzcat({this_h, prev_h});
handles-varname @@ a tag that is no variable name still becomes a field @@ window/toolbox/guihandles.cpp @@ if (!rt::tobool(isvarname::call(tag))) continue; @@ if (rt::tobool(rt::isempty(isvarname::call(tag)))) continue;
varname-length @@ a name one character too long is accepted @@ window/toolbox/isvarname.cpp @@ kMaxNameLength = 63; @@ kMaxNameLength = 64;
keyword-list @@ "while" is no longer a keyword @@ window/toolbox/iskeyword.cpp @@ &Def::constants.string("while") @@ &Def::constants.string("whilst")
label-bypass @@ the label bypass runs when it is not installed, and not when it is @@ window/toolbox/labels.cpp @@ rt::tobool(rt::isappdata(ax, *k.bypass)) @@ !rt::tobool(rt::isappdata(ax, *k.bypass))
label-pairs @@ an odd number of name/value arguments to a label is not refused @@ window/toolbox/labels.cpp @@ if (rt::tobool(rt::and_(several, odd))) rt::error(message); @@ if (rt::tobool(rt::and_(several, odd)) && n < 0) rt::error(message);
surf-parent @@ surf finds its parent axes only in calls of more than three arguments @@ window/toolbox/surf.cpp @@ if (n > 1) { @@ if (n > 3) {
handle-visibility @@ a handle visible to callbacks only is visible everywhere @@ platform/graphics/search.cpp @@ return gfx::callbackRunning(); @@ return true;
callback-queue @@ an act arriving while a callback runs runs inside it instead of after it @@ platform/graphics/dispatch.cpp @@ if (s.actRunning || gfx::callbackRunning()) { @@ if (s.actRunning) {
colour-map @@ the colour map runs red to blue instead of blue to red @@ platform/graphics/properties.cpp @@ {{24, 73}, {8, 57}, {-8, 41}} @@ {{-8, 41}, {8, 57}, {24, 73}}
limit-step @@ automatic axis limits round to steps of 2.5 instead of 2 @@ platform/graphics/plotting.cpp @@ for (double m : {1.0, 2.0, 5.0}) { @@ for (double m : {1.0, 2.5, 5.0}) {
num2str-digits @@ num2str shows one significant digit fewer @@ platform/array/text.cpp @@ std::floor(std::log10(std::fabs(x)))) + 5)); @@ std::floor(std::log10(std::fabs(x)))) + 4));
str2num-bad-text @@ str2num reads a word in a list as 0 instead of refusing the text @@ platform/array/text.cpp @@ if (!parseNumber(s.substr(j, k - j), v)) return emptyDouble(); @@ if (!parseNumber(s.substr(j, k - j), v)) v = 0;
linspace-end @@ linspace stops one step short of its end @@ platform/array/arith.cpp @@ v[k] = lo + (static_cast<double>(k) * step) / den; @@ v[k] = lo + (static_cast<double>(k) * step) / (den + 1);
array-leak @@ destroying an array keeps its data alive @@ platform/array/context.cpp @@ a = Array(); @@ (void)a;
live-count @@ the live-array count is not lowered when an array goes @@ platform/array/array.cpp @@ --liveCount; @@ liveCount.fetch_add(0);
tick-step @@ axis ticks skip the step of 2 @@ platform/qt/renderer.cpp @@ kMantissas[] = {1, 2, 5, 10, 20}; @@ kMantissas[] = {1, 5, 10, 20};
nan-faces @@ a surface face touching a point that is no number is painted @@ platform/qt/axes3d.cpp @@ if (!sg.ok[k00] || !sg.ok[k10] || !sg.ok[k01] || !sg.ok[k11]) continue; @@ if (!sg.ok[k00] && !sg.ok[k10] && !sg.ok[k01] && !sg.ok[k11]) continue;
nan-line-gap @@ a line point whose y is no number no longer breaks the line @@ platform/qt/axes2d.cpp @@ ok[i] = std::isfinite(xd[i]) && std::isfinite(yd[i]); @@ ok[i] = std::isfinite(xd[i]);
edit-focus @@ an edit box no longer commits its text when the focus leaves it @@ platform/qt/controls.cpp @@ if (dirty_) commit(); @@ if (dirty_ && hasFocus()) commit();
slider-drag @@ a slider runs its callback at every step of a drag @@ platform/qt/controls.cpp @@ acted_ = true; @@ acted_ = true; if (action == SliderMove) commit();
slider-clamp @@ a slider step past an end leaves the slider's range @@ platform/qt/controls.cpp @@ value_ = std::clamp(v, min_, max_); @@ value_ = v;
model-restore @@ choosing the classic model again puts the kept reactance into the resistance line @@ design/model_view.cpp @@ Array r = classicR_, x = classicX_; @@ Array r = classicX_, x = classicR_;
design-model @@ design searches the classic model when the refined one is chosen @@ antenna/models.cpp @@ if (model.isDefault()) return synthesise(target, limits); @@ if (!model.isDefault()) return synthesise(target, limits);
model-named @@ a model is looked up by a name that is not its own @@ antenna/models.cpp @@ if (m->name() == name) return m; @@ if (m->name() != name) return m;
classic-shift @@ the classic model's warning predicts a third of its resonance shift @@ antenna/synthesis.cpp @@ constexpr double kShiftPerThickness = 1.40; @@ constexpr double kShiftPerThickness = 0.47;
thick-layers @@ a thick board keeps four substrate layers under the patch's edge @@ fullwave/openems_model.cpp @@ std::ceil(2 * patch.height / edgeCell) @@ std::ceil(patch.height / (2 * edgeCell))
export-quote @@ the command an export prints is not quoted for the shell @@ fullwave/check.cpp @@ return "sh " + shellWord(shown.starts_with('-') ? "./" + shown : shown); @@ (void)&shellWord; return "sh " + shown;
export-clears-all @@ an export removes the user's files in a folder no export made @@ fullwave/check.cpp @@ if (!named.empty() && !exportedBefore(dir)) @@ if (false && !named.empty() && !exportedBefore(dir))
writer-fifo-wait @@ saving to a pipe nobody reads waits for a reader @@ platform/files/atomic_file.cpp @@ O_WRONLY | O_TRUNC | O_CLOEXEC | O_NONBLOCK | O_NOCTTY @@ O_WRONLY | O_TRUNC | O_CLOEXEC | O_NOCTTY
time-order @@ a probe signal whose time runs backwards is taken @@ fullwave/port_signals.cpp @@ if (!s.time.empty() && !(*t > s.time.back())) { @@ if (false) {
nf2ff-ampersand @@ an ampersand in a run folder's path reaches nf2ff's XML unescaped @@ fullwave/nf2ff.cpp @@ out += "&amp;"; @@ out += "&";
recent-line-break @@ a recent design's name with a line break is written as two lines @@ design/recent.cpp @@ bytes += lineOf(p) + '\n'; @@ { bytes += p + '\n'; (void)&lineOf; }
kj-impedance-r8 @@ the dispersive impedance's R8 closes its bracket before the frequency term @@ antenna/microstrip.cpp @@ std::pow(er, 1.674) * std::pow(fn / 18.365, 2.745))); @@ std::pow(er, 1.674)) * std::pow(fn / 18.365, 2.745));
thick-line-impedance @@ a thick strip's impedance divides by the thick strip's sqrt(ee) @@ antenna/microstrip.cpp @@ airOfDielectric / std::sqrt(thin.ee)}; @@ airOfDielectric / std::sqrt(thin.ee * q)};
feed-width-bracket @@ the feed-line width search narrows its bracket from the wrong side @@ antenna/feed_line.cpp @@ (gx > 0 ? lo : hi) = x; @@ (gx < 0 ? lo : hi) = x;
user-folder-relative @@ a relative XDG folder is taken, putting the cache under the current folder @@ platform/files/user_folders.cpp @@ if (xdg && xdg[0] == '/') return xdg; @@ if (xdg && *xdg) return xdg;
bounded-opens-first @@ the bounded reader opens a pipe or a device before refusing it @@ platform/files/bounded_file.cpp @@ if (::stat(path.c_str(), &st) == 0 && *refusal(st)) { @@ if (false && ::stat(path.c_str(), &st) == 0) {
import-under-way @@ an import reads a run whose solver is still writing it @@ fullwave/check.cpp @@ log.find(kSolverEndWords) == std::string::npos && std::abs(age) < 15) @@ log.find(kSolverEndWords) == std::string::npos && std::abs(age) < 0)
stdout-lost @@ a script whose output standard output does not take exits 0 @@ script/session.cpp @@ if (out_) return; @@ if (out_ || !out_) return;
mesh-bound @@ a design of a mesh no machine holds is laid out line by line @@ fullwave/openems_model.cpp @@ if (!(lines <= kMostMeshLines)) @@ if (!(lines <= kMostMeshLines * 1e12))
nf2ff-crash @@ the far-field program's crash is told as a missing program @@ fullwave/nf2ff.cpp @@ if (status && WIFSIGNALED(*status)) @@ if (!status)
version-in-tmpdir @@ the solver's version query runs in TMPDIR, so an unusable one fails every check @@ fullwave/run.cpp @@ Process query({{kSolverProgram, "--help"}, "/"}); @@ Process query({{kSolverProgram, "--help"}, fs::temp_directory_path().string()});
json-stray-byte @@ a name's byte of no UTF-8 character goes into the JSON line as it is @@ script/json.cpp @@ escape(0xDC00 + c); @@ out += static_cast<char>(c);
ROWS
}

# Fields of the rows, tab-separated, for the loops below.
rows() {
  faults | sed -e 's/ @@ /\t/g'
}

# Replaces OLD by NEW in FILE when OLD occurs exactly once; otherwise prints
# how often it occurs and fails, leaving FILE as it was.
substitute() {
  /usr/bin/python3 - "$@" <<'PY'
import sys
path, old, new = sys.argv[1:4]
text = open(path, encoding="utf-8").read()
count = text.count(old)
if count != 1:
    print(count)
    sys.exit(1)
if len(sys.argv) > 4 and sys.argv[4] == "--check":
    sys.exit(0)
open(path, "w", encoding="utf-8").write(text.replace(old, new))
PY
}

if [[ ${1:-} == --list ]]; then
  rows | while IFS=$'\t' read -r id what file _ _; do
    printf '%-18s %-34s %s\n' "$id" "src/$file" "$what"
  done
  exit 0
fi
if [[ ${1:-} == --check ]]; then
  bad=0
  while IFS=$'\t' read -r id _ file old new; do
    if ! count=$(substitute "$repo/src/$file" "$old" "$new" --check 2>/dev/null); then
      echo "$id: stale (src/$file: old text found ${count:-0} times, not once)"
      bad=1
    fi
  done < <(rows)
  exit $((bad * 2))
fi
if [[ ${1:-} == -h || ${1:-} == --help ]]; then
  sed -n '2,20p' "$0" | sed 's/^# \{0,1\}//'
  exit 0
fi

declare -A known=()
while IFS=$'\t' read -r id _; do known[$id]=1; done < <(rows)
wanted=("$@")
for id in "${wanted[@]}"; do
  if [[ -z ${known[$id]:-} ]]; then
    echo "faults.sh: no fault named $id (see --list)" >&2
    exit 2
  fi
done

# The scratch tree: the developer's tracked files, copied only where they
# differ so that the build there stays incremental; files no longer tracked
# go.
scratch=${FAULTS_SCRATCH:-/tmp/tessivar-faults-$(basename "$repo")}
tree=$scratch/tree
mkdir -p "$tree"
(cd "$repo" && git ls-files) | sort >"$scratch/tracked"
while read -r f; do
  if ! cmp -s "$repo/$f" "$tree/$f"; then
    mkdir -p "$(dirname "$tree/$f")"
    cp "$repo/$f" "$tree/$f"
  fi
done <"$scratch/tracked"
(cd "$tree" && find . -path ./build -prune -o -type f -print | sed 's|^\./||' | sort) |
  comm -23 - "$scratch/tracked" | while read -r f; do rm -f "$tree/$f"; done

build() {
  (cd "$tree" && cmake --preset dev -DTESSIVAR_BENCH=OFF >/dev/null &&
    cmake --build build/dev -j2) </dev/null >"$scratch/build.log" 2>&1
}

# Runs the whole suite; prints the names of the failed tests, one a line.
failed_tests() {
  (cd "$tree" && ctest --preset dev -j2 --timeout "${FAULTS_TEST_TIMEOUT:-180}" \
    ${FAULTS_EXCLUDE:+-E "$FAULTS_EXCLUDE"}) \
    </dev/null >"$scratch/ctest.log" 2>&1 || true
  sed -n '/The following tests FAILED:/,$p' "$scratch/ctest.log" |
    sed -n -E 's/^[[:space:]]*[0-9]+ - (.*) \([^)]*\)$/\1/p'
}

echo "== clean tree"
if ! build; then
  tail -n 30 "$scratch/build.log"
  echo "faults.sh: the clean tree does not build" >&2
  exit 2
fi
# A test that already fails catches nothing: it is left out of the counts,
# and said so at the start and in the summary.
clean_failures=$(failed_tests)
if ! grep -q 'tests passed' "$scratch/ctest.log"; then
  tail -n 30 "$scratch/ctest.log"
  echo "faults.sh: the clean suite did not run" >&2
  exit 2
fi
grep -E 'tests passed' "$scratch/ctest.log"
if [[ -n $clean_failures ]]; then
  echo "WARNING: failing without any fault, not counted below:"
  sed 's/^/  /' <<<"$clean_failures"
fi

caught=0 missed=0 broken=0 stale=0
restore() {
  [[ -n ${saved:-} ]] || return 0
  cp "$saved" "$target"
  touch "$target"  # newer than the faulty object, so it is rebuilt
  saved=
}
trap restore EXIT INT TERM

while IFS=$'\t' read -r id what file old new; do
  if ((${#wanted[@]})) && ! printf '%s\n' "${wanted[@]}" | grep -qxF "$id"; then continue; fi
  target=$tree/src/$file
  count=
  if [[ ! -f $target ]] || ! count=$(substitute "$target" "$old" "$new" --check); then
    echo "$id: stale (src/$file: old text found ${count:-0} times, not once)"
    stale=$((stale + 1))
    continue
  fi
  saved=$scratch/saved
  cp "$target" "$saved"
  substitute "$target" "$old" "$new" >/dev/null
  if ! build; then
    echo "$id: build-broken ($what)"
    broken=$((broken + 1))
  else
    mapfile -t names < <(failed_tests | grep -vxF -e "${clean_failures:-}" || true)
    if ((${#names[@]})); then
      list=$(printf '%s, ' "${names[@]}")
      echo "$id: caught by ${#names[@]} tests (${list%, })"
      caught=$((caught + 1))
    else
      echo "$id: MISSED ($what)"
      missed=$((missed + 1))
    fi
  fi
  restore
done < <(rows)

extra=""
((stale)) && extra+=", $stale stale"
((broken)) && extra+=", $broken build-broken"
[[ -n $clean_failures ]] && extra+=" (clean suite: $(wc -l <<<"$clean_failures") failing)"
echo "$caught caught, $missed missed$extra"
((missed)) && exit 1
((stale || broken)) && exit 2
exit 0
