// A check is a folder (its files are named in run_folder.h): the solver's
// input, the request with, once finished, what the run measured, and the
// result. A folder counts as a result only when all three agree and both of
// ours are whole, so a half-written or aborted run is never shown. Every file goes in whole or
// not at all; a run whose files could not be written (a full disk) is not
// started, or its result is neither shown nor kept, and its folder goes.
#include "fullwave/check.h"

#include <unistd.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <map>
#include <sstream>
#include <stdexcept>

#include "antenna/classic_model.h"
#include "antenna/network.h"
#include "antenna/numbers.h"
#include "antenna/refined_model.h"
#include "fullwave/port_signals.h"
#include "fullwave/run_folder.h"
#include "platform/files/atomic_file.h"

namespace fullwave {

using antenna::ImpedanceModel;

namespace fs = std::filesystem;
using antenna::Patch;

namespace {

constexpr int kResultPoints = 601;

struct QualityName {
  SolverQuality quality;
  std::string_view name;
};
constexpr QualityName kQualityNames[] = {
    {SolverQuality::Draft, "draft"},
    {SolverQuality::Quick, "quick"},
    {SolverQuality::Standard, "standard"},
    {SolverQuality::Fine, "fine"},
};

// A file of an exported folder: replaced, never written through, so that a
// link planted under its name cannot make the export write (or make
// executable) another file.
void writeOrThrow(const fs::path& p, std::string_view bytes,
                  rt::FileKind kind = rt::FileKind::Data) {
  const std::string failure = rt::replaceFileAtomically(p.string(), bytes, kind);
  if (!failure.empty()) throw std::runtime_error(failure + ".");
}

// A file of a run's folder through the bounded reader, or its path and the
// reason it cannot be read.
std::string readOrThrow(const fs::path& p) {
  std::string why;
  const auto text = readRunFile(p, why);
  if (!text) throw std::runtime_error("Cannot read " + p.string() + ": " + why + ".");
  return *text;
}

// The request's numbers, one "name value" a line, exact to the last digit so
// that the folder's input can be written again and compared.
struct Field {
  const char* name;
  double Patch::*patch;
  double antenna::Board::*board;
};
constexpr Field kFields[] = {
    {"width", &Patch::width, nullptr},
    {"length", &Patch::length, nullptr},
    {"height", &Patch::height, nullptr},
    {"er", &Patch::er, nullptr},
    {"feed_offset", &Patch::feedOffset, nullptr},
    {"loss_tangent", nullptr, &antenna::Board::lossTangent},
    {"copper_thickness", nullptr, &antenna::Board::copperThickness},
    {"conductivity", nullptr, &antenna::Board::conductivity},
    {"pin_diameter", nullptr, &antenna::Board::pinDiameter},
};

std::string exact(double v) {
  return antenna::formatNumber(v, antenna::kExactDigits);
}

std::string requestText(const Request& r) {
  std::string t = "# The full-wave check this folder answers (SI units).\n";
  for (const Field& f : kFields)
    t += std::string(f.name) + " " + exact(f.patch ? r.patch.*f.patch : r.board.*f.board) + "\n";
  t += "fmin " + exact(r.band.fmin) + "\nfmax " + exact(r.band.fmax) + "\n";
  t += "quality " + std::string(solverQualityName(r.quality)) + "\n";
  return t;
}

std::string statsText(const Stats& s) {
  return "cells " + std::to_string(s.cells) + "\ntimesteps " + std::to_string(s.timesteps) +
         "\nseconds " + exact(s.seconds) + "\nend_db " + exact(s.endDb) + "\n";
}

// The "name value" lines of a check file.
std::map<std::string, std::string> fieldsOf(std::istream& in) {
  std::map<std::string, std::string> m;
  std::string line;
  while (std::getline(in, line)) {
    if (line.empty() || line[0] == '#') continue;
    const auto sp = line.find(' ');
    if (sp == std::string::npos) continue;
    m[line.substr(0, sp)] = line.substr(sp + 1);
  }
  return m;
}

std::map<std::string, std::string> readFields(const fs::path& file) {
  std::istringstream in(readOrThrow(file));
  return fieldsOf(in);
}

double numberField(const std::map<std::string, std::string>& m, const std::string& name,
                   const fs::path& file) {
  const auto it = m.find(name);
  const auto v = it == m.end() ? std::nullopt : antenna::parseNumber(it->second);
  if (!v) throw std::runtime_error(file.string() + " has no number for " + name + ".");
  return *v;
}

Request parseRequest(const fs::path& file) {
  const auto m = readFields(file);
  Request r;
  for (const Field& f : kFields)
    (f.patch ? r.patch.*f.patch : r.board.*f.board) = numberField(m, f.name, file);
  r.band = {numberField(m, "fmin", file), numberField(m, "fmax", file)};
  const auto q = m.count("quality") ? solverQualityNamed(m.at("quality")) : std::nullopt;
  if (!q) throw std::runtime_error(file.string() + " names no quality level.");
  r.quality = *q;
  return r;
}

// The stats lines of `file`, given as its `text`.
std::optional<Stats> parseStats(const std::string& text, const fs::path& file) {
  try {
    std::istringstream in(text);
    const auto m = fieldsOf(in);
    Stats s;
    s.cells = static_cast<long long>(numberField(m, "cells", file));
    s.timesteps = static_cast<long long>(numberField(m, "timesteps", file));
    s.seconds = numberField(m, "seconds", file);
    s.endDb = numberField(m, "end_db", file);
    return s;
  } catch (const std::runtime_error&) {
    return std::nullopt;
  }
}

antenna::Sweep sweepOf(const formats::OnePort& port) {
  antenna::Sweep s;
  for (size_t i = 0; i < port.hz.size(); ++i) {
    const auto z = antenna::zFromS(port.s11[i], port.z0);
    s.hz.push_back(port.hz[i]);
    s.r.push_back(z.real());
    s.x.push_back(z.imag());
  }
  return s;
}

antenna::Sweep sweepOf(const PortResponse& r) {
  antenna::Sweep s;
  s.hz = r.frequency;
  for (size_t i = 0; i < r.frequency.size(); ++i) {
    s.r.push_back(r.zin[i].real());
    s.x.push_back(r.zin[i].imag());
  }
  return s;
}

std::vector<std::complex<double>> modelImpedance(const Patch& p, const antenna::Board& board,
                                                 ImpedanceModel model,
                                                 const std::vector<double>& hz) {
  return model->impedance(p, board, hz);
}

std::string solverVersionOrThrow() {
  std::string error;
  std::string version = installedSolverVersion(error);
  if (version.empty()) throw std::runtime_error(error);
  return version;
}

// The far field at the solver's resonance, or why there is none.
void addFarField(Result& r) {
  const auto res = resonanceOf(r.solver);
  if (!res) {
    r.farFieldError = "no resonance in the band";
    return;
  }
  r.farField = farFieldOf(r.folder, res->hz, r.farFieldError);
}

// True when `read` holds the frequencies a check of `band` reads, to the
// digits the result file keeps.
bool coversBand(const std::vector<double>& read, antenna::Band band) {
  const auto hz = resultFrequencies(band);
  if (read.size() != hz.size()) return false;
  for (size_t i = 0; i < hz.size(); ++i)
    if (!(std::abs(read[i] - hz[i]) <= 1e-9 * hz[i])) return false;
  return true;
}

// What finished in `folder` with its stats and the job, as a result. Files
// cut short or gone (a disk that filled, a machine that stopped, an older
// writer, a hand that cleared them) do not count: check.txt must be exactly
// what collect() writes, the solver's input the job's, and the result must
// hold every frequency and end with its last line.
std::optional<Result> keptResult(const std::string& folder, const SolverJob& job) {
  const Request& request = job.request;
  const auto port = cachedResult(folder);
  if (!port || !coversBand(port->hz, request.band)) return std::nullopt;
  if (readRunFile((fs::path(folder) / run_folder::kInput).string()) != job.input)
    return std::nullopt;
  const fs::path checkFile = fs::path(folder) / run_folder::kRequest;
  const std::string check = readRunFile(checkFile), asked = requestText(request);
  if (!check.starts_with(asked)) return std::nullopt;
  const std::string measured = check.substr(asked.size());
  const auto stats = parseStats(measured, checkFile);
  if (!stats || statsText(*stats) != measured) return std::nullopt;
  Result r{folder, request, *stats, sweepOf(*port), true};
  r.s11 = *port;
  r.stats.truncated = r.stats.endDb > job.layout.endCriterionDb;
  addFarField(r);
  return r;
}

std::string keptFolder(const std::string& input, const std::string& version) {
  return cacheFolder(cacheKey(input, version));
}

}  // namespace

std::optional<Result> keptResult(const Request& request) {
  std::string error;
  const std::string version = installedSolverVersion(error);
  if (version.empty()) return std::nullopt;
  const SolverJob job = solverJob(request);
  const std::string folder = keptFolder(job.input, version);
  // A folder a check is writing is no result yet, nor one another lookup
  // is transforming.
  std::error_code ec;
  if (!fs::is_directory(folder, ec)) return std::nullopt;
  FolderLock reading(folder);
  if (!reading.tryTake()) return std::nullopt;
  return keptResult(folder, job);
}

std::string_view solverQualityName(SolverQuality q) {
  for (const auto& n : kQualityNames)
    if (n.quality == q) return n.name;
  return "quick";
}

std::optional<SolverQuality> solverQualityNamed(std::string_view name) {
  for (const auto& n : kQualityNames)
    if (n.name == name) return n.quality;
  return std::nullopt;
}

int solverThreadsFor(double loadAverage, int cores, long cells) {
  constexpr long kCellsForTwoThreads = 300'000;
  if (cells < kCellsForTwoThreads || cores <= 1 || loadAverage > cores - 1) return 1;
  return 2;
}

int defaultSolverThreads(long cells) {
  double load[1] = {0};
  const long cores = sysconf(_SC_NPROCESSORS_ONLN);
  if (getloadavg(load, 1) != 1) load[0] = 0;
  return solverThreadsFor(load[0], static_cast<int>(std::max(1L, cores)), cells);
}

std::vector<double> resultFrequencies(antenna::Band band) {
  return antenna::linearBand(band.fmin, band.fmax, kResultPoints);
}

std::optional<Resonance> resonanceOf(const antenna::Sweep& s) {
  const auto peak = antenna::resistancePeak(s.hz, s.r);
  if (!peak) return std::nullopt;
  return Resonance{peak->frequency, peak->resistance};
}

antenna::Sweep modelSweep(const Request& r, ImpedanceModel model) {
  const auto hz = resultFrequencies(r.band);
  PortResponse p{hz, modelImpedance(r.patch, r.board, model, hz), {}};
  return sweepOf(p);
}

Summary summarise(const Result& result, const antenna::Sweep& model) {
  Summary s;
  if (result.farField) s.directivityDbi = result.farField->directivityDbi;
  if (const auto res = resonanceOf(result.solver)) {
    s.resonanceHz = res->hz;
    s.rAtResonance = res->r;
  }
  if (const auto m = resonanceOf(model)) {
    s.modelResonanceHz = m->hz;
    s.modelR = m->r;
  }
  s.shiftHz = s.resonanceHz - s.modelResonanceHz;
  s.shiftPercent = s.shiftHz / s.modelResonanceHz * 100;
  // The deepest |S11| and the -10 dB band's width at 50 ohm.
  const auto match = [](const antenna::Sweep& sweep, double& s11MinDb, double& bandwidthHz) {
    if (sweep.hz.empty()) return std::optional<std::pair<double, double>>();
    const auto readout = antenna::computeReadout(sweep, 50);
    s11MinDb = readout.s11MinDb;
    if (readout.bandwidthHz) bandwidthHz = readout.bandwidthHz->second - readout.bandwidthHz->first;
    return readout.bandwidthHz;
  };
  if (const auto band = match(result.solver, s.s11MinDb, s.bandwidthHz)) {
    s.bandFromHz = band->first;
    s.bandToHz = band->second;
  }
  match(model, s.modelS11MinDb, s.modelBandwidthHz);
  return s;
}

Check::Check(const Request& request, int threads, bool large)
    : job_(solverJob(request)),
      clock_(job_.layout.endCriterionDb),
      threads_(threads),
      cacheBound_(cacheBoundBytes()) {
  folder_ = keptFolder(job_.input, solverVersionOrThrow());
  lock_.emplace(folder_);
  const bool mine = lock_->tryTake();
  if (!mine && !lock_->error().empty()) {
    state_ = State::Failed;
    message_ = lock_->error();
    return;
  }
  if (mine) {
    if (auto kept = keptResult(folder_, job_)) {
      fromCache(std::move(*kept));
      return;
    }
  }
  // Asked before waiting too: the run under way elsewhere may give no result.
  if (!large) {
    const RunSize size = runSize(job_);
    if (isLarge(size)) {
      std::error_code ec;
      if (mine && !fs::exists(folder_, ec)) lock_->releaseAndRemove();  // nothing to guard
      throw LargeRun(size);
    }
  }
  if (mine)
    startRun();
  else
    waiting_ = true;
}

void Check::startRun() {
  // Room first: what stopped runs left, and the oldest results over the bound.
  pruneCache(folder_, cacheBound_);
  run_ = std::make_unique<Run>(
      folder_, job_.input,
      threads_ > 0 ? threads_ : defaultSolverThreads(static_cast<long>(job_.layout.cells())),
      "openEMS", std::vector<RunFile>{{run_folder::kRequest, requestText(job_.request)}});
  if (run_->state() == State::Failed) {
    state_ = State::Failed;
    message_ = run_->message();
    lock_->releaseAndRemove();
  }
}

void Check::fromCache(Result kept) {
  touchCacheFolder(folder_);
  lock_->release();
  result_ = std::move(kept);
  message_ = cautionNote(*result_);
  state_ = State::Finished;
}

Check::~Check() {
  if (state_ != State::Running || !run_) return;
  run_.reset();
  std::error_code ec;
  fs::remove_all(folder_, ec);
  lock_->releaseAndRemove();
}

Check::State Check::poll() {
  if (state_ != State::Running) return state_;
  if (waiting_) {
    if (!lock_->tryTake()) {
      if (!lock_->error().empty()) {
        waiting_ = false;
        state_ = State::Failed;
        message_ = lock_->error();
      }
      return state_;
    }
    waiting_ = false;
    if (auto kept = keptResult(folder_, job_))
      fromCache(std::move(*kept));
    else
      startRun();
    return state_;
  }
  if (!run_) return state_;
  const State s = run_->poll();
  if (const auto& p = run_->progress()) {
    bestDb_ = std::min(bestDb_, p->energyDb);
    clock_.note(elapsedSeconds(), bestDb_);
  }
  if (s == State::Running) return state_;
  if (s == State::Finished)
    collect();
  else if (s == State::Failed)
    fail(run_->message());
  else {  // cancelled: the run took its folder
    state_ = s;
    message_ = run_->message();
    lock_->releaseAndRemove();
  }
  return state_;
}

void Check::collect() {
  std::string error;
  const auto port = readResult(folder_, resultFrequencies(job_.request.band), error);
  if (!port) return fail(error);
  Stats stats;
  stats.cells = job_.layout.cells();
  stats.seconds = elapsedSeconds();
  if (const auto& p = run_->progress()) {
    stats.timesteps = p->timestep;
    stats.endDb = p->energyDb;
  }
  stats.truncated = stats.endDb > job_.layout.endCriterionDb;
  // A write that fails here most likely met a full disk, which may have cut
  // the solver's own files short too: its result is not to be trusted.
  const std::string failure =
      rt::writeFileAtomically((fs::path(folder_) / run_folder::kRequest).string(),
                              requestText(job_.request) + statsText(stats));
  if (!failure.empty())
    return fail("The run's result could not be kept: " + failure +
                ". It is not shown, as the solver's own files may be cut short too; free "
                "space and check again.");
  result_ = Result{folder_, job_.request, stats, sweepOf(*port), false};
  result_->s11 = onePortOf(*port);
  addFarField(*result_);
  message_ = cautionNote(*result_);
  state_ = State::Finished;
  pruneCache(folder_, cacheBound_);
  lock_->release();
}

// A run that gave no result: its folder holds nothing to show (at most a
// failed solver's partial dumps) and goes, giving back its space.
void Check::fail(const std::string& message) {
  state_ = State::Failed;
  message_ = message;
  std::error_code ec;
  fs::remove_all(folder_, ec);
  lock_->releaseAndRemove();
}

void Check::cancel() {
  if (state_ != State::Running) return;
  if (waiting_) {
    waiting_ = false;
    state_ = State::Cancelled;
    message_ = "The full-wave run was cancelled.";
  } else if (run_) {
    run_->cancel();
  }
}

double Check::fraction() const {
  if (state_ == State::Finished) return 1;
  if (!run_ || !run_->progress()) return 0;
  return std::clamp(bestDb_ / job_.layout.endCriterionDb + 0.0, 0.0, 1.0);
}

double Check::elapsedSeconds() const {
  return std::chrono::duration<double>(std::chrono::steady_clock::now() - start_).count();
}

void RingDownClock::note(double seconds, double levelDb) {
  seconds_ = seconds;
  levelDb_ = levelDb;
  if (levelDb < 0 && (fall_.empty() || levelDb < fall_.back().second))
    fall_.emplace_back(seconds, levelDb);
}

std::optional<double> RingDownClock::secondsLeft() const {
  const auto from = std::find_if(fall_.begin(), fall_.end(),
                                 [&](const auto& s) { return s.second <= levelDb_ / 2; });
  if (from == fall_.end()) return std::nullopt;
  const double fallen = from->second - levelDb_;
  if (!(fallen >= 1 && seconds_ > from->first)) return std::nullopt;
  return std::max(0.0, (levelDb_ - endDb_) * (seconds_ - from->first) / fallen);
}

std::optional<double> Check::remainingSeconds() const {
  if (state_ != State::Running) return std::nullopt;
  return clock_.secondsLeft();
}

std::string Check::progressText() const {
  if (waiting_)
    return "waiting: this design is being checked by another tessivar; its result will be "
           "used (" +
           std::to_string(static_cast<long long>(elapsedSeconds())) + " s)";
  char text[160];
  const auto left = remainingSeconds();
  const long long step = run_ && run_->progress() ? run_->progress()->timestep : 0;
  std::snprintf(
      text, sizeof text, "%3.0f%%  step %lld  %.1f of %.0f dB  %.0f s%s", fraction() * 100, step,
      bestDb_, job_.layout.endCriterionDb, elapsedSeconds(),
      left ? (", about " + std::to_string(static_cast<int>(*left + 0.5)) + " s left").c_str() : "");
  return text;
}

SolverJob solverJob(const Request& request) {
  const auto model = modelResonance(request.patch, request.board, ImpedanceModel(),
                                    0.5 * (request.band.fmin + request.band.fmax));
  SolverJob job{
      request, solverLayout(request.patch, request.board, request.band, request.quality), {}};
  job.input = openemsXml(job.layout, request.patch, request.board, request.band,
                         model ? farFieldDumpFrequencies(model->hz) : std::vector<double>{});
  return job;
}

namespace {

// `text` as one word of a POSIX shell: unchanged when it holds only
// characters no shell treats specially, else in single quotes (a quote
// inside is closed, escaped and reopened), so that a folder named
// "$(...)" or "a;b" is a name when the command is pasted.
std::string shellWord(std::string_view text) {
  constexpr std::string_view kPlain =
      "abcdefghijklmnopqrstuvwxyzABCDEFGHIJKLMNOPQRSTUVWXYZ0123456789_./+-:=@%,";
  if (!text.empty() && text.find_first_not_of(kPlain) == std::string_view::npos)
    return std::string(text);
  std::string out = "'";
  for (const char c : text) out += c == '\'' ? std::string("'\\''") : std::string(1, c);
  return out + "'";
}

// The script that runs the solver in its own folder from wherever it is
// called: the folder comes from $0 with no command substitution (which
// would drop a name's trailing line breaks), and a relative one gets "./"
// so that neither a leading "-" nor CDPATH can send cd elsewhere; a
// failed cd runs nothing.
std::string runScript(long cells) {
  // The machine that runs it is unknown: the threads suit the mesh on an idle one.
  return std::string(
             "#!/bin/sh\n"
             "# Runs the full-wave solver on this folder's model; what it prints goes to ") +
         run_folder::kSolverLog +
         ".\n"
         "case $0 in */*) folder=${0%/*}/ ;; *) folder=./ ;; esac\n"
         "case $folder in /*) ;; *) folder=./$folder ;; esac\n"
         "cd \"$folder\" || exit 1\n"
         "exec openEMS " +
         run_folder::kInput + " --numThreads=" + std::to_string(solverThreadsFor(0, 2, cells)) +
         " > " + run_folder::kSolverLog + " 2>&1\n";
}

// Whether `dir` holds a request an export (or a check) wrote.
bool exportedBefore(const fs::path& dir) {
  try {
    parseRequest(dir / run_folder::kRequest);
    return true;
  } catch (const std::runtime_error&) {
    return false;
  }
}

// The seconds since `file` was last written; infinite for no file.
double secondsSinceWritten(const fs::path& file) {
  std::error_code ec;
  const auto at = fs::last_write_time(file, ec);
  if (ec) return HUGE_VAL;
  return std::chrono::duration<double>(fs::file_time_type::clock::now() - at).count();
}

// `v` in whole units from ten up, in tenths below (built from integers, so
// that no locale puts a comma in).
std::string roughly(double v, const char* unit) {
  const long long tenths = std::llround(v * 10);
  const std::string n = v >= 10 ? std::to_string(std::llround(v))
                                : std::to_string(tenths / 10) + "." + std::to_string(tenths % 10);
  return n + " " + unit;
}

}  // namespace

RunSize runSize(const SolverJob& job) {
  const SolverLayout& l = job.layout;
  const auto smallest = [](const MeshLines& m) {
    double d = INFINITY;
    for (size_t i = 1; i < m.size(); ++i) d = std::min(d, m[i] - m[i - 1]);
    return d;
  };
  const double dx = smallest(l.x), dy = smallest(l.y), dz = smallest(l.z);
  // The solver's own step came out 0.84 of the plain Courant limit of the
  // smallest cells on the quick FR-4 mesh (1.054 against 1.251 ps).
  const double dt =
      0.84 / (antenna::kSpeedOfLight * std::sqrt(1 / (dx * dx) + 1 / (dy * dy) + 1 / (dz * dz)));
  const double fc = 0.5 * (job.request.band.fmax - job.request.band.fmin);
  const double f0 = 0.5 * (job.request.band.fmax + job.request.band.fmin);
  // The Gaussian excitation lasts 9/(pi fc); the patch then rings down some
  // 0.55 periods per dB (16.7 periods for 30 dB on the FR-4 patch).
  const double span = 9 / (antenna::kPi * fc) + 0.55 * std::abs(l.endCriterionDb) / f0;
  RunSize size;
  size.cells = l.cells();
  size.timesteps = std::isfinite(dt) && dt > 0 ? std::llround(span / dt) : 0;
  size.bytes = 40e6 + 50.0 * static_cast<double>(size.cells);
  size.seconds = static_cast<double>(size.cells) * static_cast<double>(size.timesteps) / 50e6;
  return size;
}

bool isLarge(const RunSize& size) {
  const double memory = static_cast<double>(sysconf(_SC_PHYS_PAGES)) * sysconf(_SC_PAGE_SIZE);
  const double bytes = memory > 0 ? std::min(2e9, memory / 2) : 2e9;
  return size.bytes > bytes || size.seconds > 3600;
}

std::string sizeText(const RunSize& size) {
  const double c = static_cast<double>(size.cells), b = size.bytes, t = size.seconds;
  const std::string cells =
      c >= 1e7 ? std::to_string(std::llround(c / 1e6)) + " million" : std::to_string(size.cells);
  const std::string memory = b >= 1e9 ? roughly(b / 1e9, "GB") : roughly(b / 1e6, "MB");
  const std::string time = t < 120    ? roughly(t, "s")
                           : t < 7200 ? roughly(t / 60, "min")
                                      : roughly(t / 3600, "h");
  return cells + " cells, about " + memory + " of memory and some " + time;
}

LargeRun::LargeRun(const RunSize& s)
    : std::invalid_argument("This full-wave run is large: " + sizeText(s) + "."), size(s) {}

std::string cautionNote(const Result& r) {
  std::string note;
  if (r.stats.truncated) {
    std::string criterion = "its end criterion";
    try {
      const auto l =
          solverLayout(r.request.patch, r.request.board, r.request.band, r.request.quality);
      criterion += " of " + antenna::formatNumber(l.endCriterionDb, 3, "dB");
    } catch (const std::invalid_argument&) {
    }
    note = "The run stopped at " + antenna::formatNumber(r.stats.endDb, 3, "dB") + ", above " +
           criterion + ": its figures may be off.";
  }
  double highest = -HUGE_VAL;
  for (const std::complex<double>& g : r.s11.s11) highest = std::max(highest, std::abs(g));
  // A few thousandths of a dB are the transform's rounding, not the mesh.
  if (highest > 1.001)
    note += std::string(note.empty() ? "" : " ") + "Its |S11| reaches " +
            antenna::formatNumber(antenna::magnitudeDb({highest, 0}), 2, "dB") +
            ", above 0 dB, which no passive antenna gives: the mesh is too coarse for it; a finer "
            "level gives sounder figures.";
  return note;
}

std::string exportRun(const Request& request, const std::string& dir) {
  const SolverJob job = solverJob(request);
  std::error_code ec;
  fs::create_directories(dir, ec);
  if (ec) throw std::runtime_error("Cannot make the folder " + dir + ": " + ec.message() + ".");
  // The folder's files of a run's names: those of an earlier export, which
  // go (what its run left would be read as this request's result), or the
  // user's own, which are neither replaced nor removed.
  std::vector<fs::path> earlier;
  std::string named;
  for (const auto& entry : fs::directory_iterator(dir, ec)) {
    const std::string name = entry.path().filename().string();
    if (!run_folder::leftByARun(name) && !run_folder::writtenByExport(name)) continue;
    if (run_folder::leftByARun(name)) earlier.push_back(entry.path());
    named += (named.empty() ? "" : ", ") + name;
  }
  if (ec) throw std::runtime_error("Cannot read the folder " + dir + ": " + ec.message() + ".");
  if (!named.empty() && !exportedBefore(dir))
    throw std::runtime_error("The folder " + dir + " holds " + named +
                             " of no earlier export (it has no " + run_folder::kRequest +
                             " of one); export into an empty folder or one an export made, so "
                             "that no file of yours is replaced or removed.");
  for (const fs::path& p : earlier) {
    fs::remove(p, ec);  // a link goes, never what it leads to
    if (ec)
      throw std::runtime_error("Cannot remove the earlier run's " + p.string() + ": " +
                               ec.message() + ".");
  }
  const fs::path script = fs::path(dir) / run_folder::kScript;
  writeOrThrow(fs::path(dir) / run_folder::kInput, job.input);
  writeOrThrow(fs::path(dir) / run_folder::kRequest, requestText(request));
  writeOrThrow(script, runScript(static_cast<long>(job.layout.cells())), rt::FileKind::Program);
  // A relative name starting with "-" would be read as an option by sh.
  const std::string shown = script.string();
  return "sh " + shellWord(shown.starts_with('-') ? "./" + shown : shown);
}

Result importRun(const std::string& dir) {
  const fs::path d(dir);
  const SolverJob job = solverJob(parseRequest(d / run_folder::kRequest));
  const Request& request = job.request;
  if (readOrThrow(d / run_folder::kInput) != job.input)
    throw std::runtime_error("The solver's input in " + dir + " (" + run_folder::kInput +
                             ") is not the one its " + run_folder::kRequest + " asks for.");
  Stats stats;
  stats.cells = job.layout.cells();
  // The log's last progress line and its complaints tell how the run ended.
  const fs::path logFile = d / run_folder::kSolverLog;
  const std::string log = readRunFile(logFile);
  // A solver at work writes its signals as it goes, cut anywhere; its log,
  // where it tells its progress every few seconds, has no end yet. A run
  // killed on the cluster has none either, but its log stops changing; a
  // log that cannot be read (a pipe planted there) tells nothing.
  if (const auto age = secondsSinceWritten(logFile);
      !log.empty() && log.find(kSolverEndWords) == std::string::npos && std::abs(age) < 15)
    throw std::runtime_error("The run in " + dir + " is still under way: its " +
                             run_folder::kSolverLog + " was written " +
                             std::to_string(std::lround(age)) +
                             " s ago and tells no end. Import it once run.sh has ended.");
  if (log.find("Max. number of timesteps was reached") != std::string::npos)
    throw std::runtime_error("The run in " + dir +
                             " was cut off at its time-step limit; its result would not be "
                             "trustworthy.");
  std::istringstream lines(log);
  for (std::string line; std::getline(lines, line);)
    if (const auto p = parseSolverProgress(line)) {
      stats.timesteps = p->timestep;
      stats.endDb = p->energyDb;
      stats.seconds = p->elapsedSeconds;
    }
  stats.truncated = stats.endDb > job.layout.endCriterionDb;
  std::string error;
  const auto port = readResult(dir, resultFrequencies(request.band), error);
  if (!port) throw std::runtime_error(error);
  Result r{dir, request, stats, sweepOf(*port), false};
  r.s11 = onePortOf(*port);
  addFarField(r);
  return r;
}

std::optional<Resonance> modelResonance(const Patch& p, const antenna::Board& board,
                                        ImpedanceModel model, double nearHz) {
  const auto hz = antenna::linearBand(0.8 * nearHz, 1.2 * nearHz, 2001);
  try {
    const auto zin = modelImpedance(p, board, model, hz);
    const auto peak = resistancePeak({hz, zin, {}});
    if (!peak) return std::nullopt;
    return Resonance{peak->frequency, peak->resistance};
  } catch (const std::invalid_argument&) {
    return std::nullopt;
  }
}

}  // namespace fullwave
