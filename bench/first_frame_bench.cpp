// Start-up of the real program: from starting the process to the first frame seen on the screen
// of a private virtual display, with the lesson library beside the program as the build lays it
// out. Cold: the first start of a fresh copy (no Data folder yet). Warm: a later start of a copy
// that has run before. Timed from outside by reading the screen, so any build of the program can
// be compared: TONVARRA_BINARY (default: the build's own program) and, when set,
// TONVARRA_BASE_BINARY run in turn (--benchmark_enable_random_interleaving=true interleaves their
// repetitions, so a drifting machine load falls on both). The program's own figure, printed under
// TONVARRA_TIMING_LOG, is reported beside it where the build prints one ("own_ms").
//
//   bench_first_frame_bench --benchmark_repetitions=15 --benchmark_enable_random_interleaving=true
//   bench_first_frame_bench --probe=/path/to/tonvarra    (one start on $DISPLAY: prints the ms and
//                                                         exits, for whole-process timing tools)
#include <benchmark/benchmark.h>
#include <signal.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <map>
#include <string>
#include <thread>
#include <vector>

#include "platform/clock.h"
#include "platform/process.h"
#include "platform/screen_probe.h"
#include "platform/virtual_display.h"
#include "tests/support/child_process.h"
#include "tests/support/test_support.h"

namespace fs = std::filesystem;

namespace {

// The window opens at (100, 100), 1440 x 920, where no window manager moves it. Before its first
// frame the screen there shows the root window's black-and-white weave or black; every frame the
// program draws starts with its tinted background, whose channels differ.
const int kProbePoints[][2] = {{100 + 1000, 100 + 660}, {100 + 200, 100 + 800}, {100 + 720, 100 + 120}};

bool LooksDrawn(ScreenProbe* probe) {
  int drawn = 0;
  for (const auto& p : kProbePoints) {
    int rgb[3];
    if (ScreenProbePixel(probe, p[0], p[1], rgb) && !(rgb[0] == rgb[1] && rgb[1] == rgb[2])) ++drawn;
  }
  return drawn >= 2;
}

std::string ThisBuildsProgram() {
  fs::path self = ProcessExecutablePath();
  for (fs::path dir = self.parent_path(); !dir.empty() && dir != dir.root_path(); dir = dir.parent_path())
    if (fs::exists(dir / "tonvarra") && fs::exists(dir / "MIDI" / "Library")) return (dir / "tonvarra").string();
  return "";
}

// A copy of the program's folder as the build lays it out: the program, its images, its
// translation files and the lesson library.
void CopyProgramFolder(const std::string& binary, const std::string& to) {
  fs::path from = fs::path(binary).parent_path();
  fs::create_directories(to);
  fs::copy_file(binary, fs::path(to) / "tonvarra", fs::copy_options::overwrite_existing);
  for (const char* part : {"assets", "locales", "MIDI"})
    if (fs::exists(from / part)) fs::copy(from / part, fs::path(to) / part, fs::copy_options::recursive);
}

struct StartResult {
  double seenMs = -1;  // process start to the first frame seen, -1 when none showed
  double ownMs = -1;   // the program's own figure, -1 when it printed none
};

// Starts the program in its folder, waits for its first frame on the screen, then ends it with
// SIGTERM as a user's session would, and waits for it to finish.
StartResult StartOnce(const std::string& exe, ScreenProbe* probe, const std::string& log) {
  StartResult r;
  std::string dir = fs::path(exe).parent_path().string();
  std::vector<std::pair<std::string, std::string>> env = {{"TONVARRA_MESSAGE_BOXES", "0"},
                                                          {"TONVARRA_TIMING_LOG", "1"}};
  int64_t t0 = ClockMicros64();
  pid_t pid = SpawnProgram({exe}, dir, env, {}, log);
  if (pid <= 0) return r;
  while (ClockMicros64() - t0 < 30000000) {
    if (LooksDrawn(probe)) {
      r.seenMs = (double)(ClockMicros64() - t0) / 1000.0;
      break;
    }
    std::this_thread::sleep_for(std::chrono::microseconds(250));
  }
  kill(pid, SIGTERM);
  WaitForChild(pid, 30);
  std::string text = ReadFileBytes(log);
  size_t at = text.find("[timing] first frame ");
  if (at != std::string::npos) r.ownMs = std::atof(text.c_str() + at + strlen("[timing] first frame "));
  // The next start must not see this one's last frame.
  for (int i = 0; i < 2000 && LooksDrawn(probe); ++i) std::this_thread::sleep_for(std::chrono::milliseconds(5));
  return r;
}

struct Bench {
  TempDir dir;
  ScreenProbe* probe = nullptr;
  std::map<std::string, std::string> warmFolders;  // binary -> a folder that has started once
  int copies = 0;
  Bench() {
    std::string error;
    if (StartVirtualDisplay(&error)) probe = ScreenProbeOpen("");
  }
  std::string FreshCopy(const std::string& binary) {
    std::string folder = dir.File("copy" + std::to_string(copies++));
    CopyProgramFolder(binary, folder);
    return folder + "/tonvarra";
  }
};

Bench& TheBench() {
  static Bench bench;
  return bench;
}

void BM_FirstFrame(benchmark::State& state, const char* binaryVariable, bool warm) {
  const char* set = std::getenv(binaryVariable);
  std::string binary = set && *set ? set : (std::strcmp(binaryVariable, "TONVARRA_BINARY") == 0 ? ThisBuildsProgram() : "");
  Bench& bench = TheBench();
  if (binary.empty() || !fs::exists(binary)) return state.SkipWithError("no program to start");
  if (!bench.probe) return state.SkipWithError("no virtual display");
  std::vector<double> own;
  for (auto _ : state) {
    std::string exe;
    if (warm) {
      std::string& folder = bench.warmFolders[binary];
      if (folder.empty()) {
        folder = bench.FreshCopy(binary);
        StartOnce(folder, bench.probe, bench.dir.File("first.log"));  // the first start makes Data
      }
      exe = folder;
    } else {
      exe = bench.FreshCopy(binary);
    }
    StartResult r = StartOnce(exe, bench.probe, bench.dir.File("run.log"));
    if (r.seenMs < 0) return state.SkipWithError("no frame showed within 30 s");
    state.SetIterationTime(r.seenMs / 1000.0);
    if (r.ownMs >= 0) own.push_back(r.ownMs);
    if (!warm) fs::remove_all(fs::path(exe).parent_path());
  }
  if (!own.empty()) state.counters["own_ms"] = own.back();
}

double MinOf(const std::vector<double>& v) { return *std::min_element(v.begin(), v.end()); }
double MaxOf(const std::vector<double>& v) { return *std::max_element(v.begin(), v.end()); }

void Register() {
  const struct {
    const char* name;
    const char* variable;
    bool warm;
  } runs[] = {{"FirstFrame/program/cold", "TONVARRA_BINARY", false},
              {"FirstFrame/program/warm", "TONVARRA_BINARY", true},
              {"FirstFrame/base/cold", "TONVARRA_BASE_BINARY", false},
              {"FirstFrame/base/warm", "TONVARRA_BASE_BINARY", true}};
  for (const auto& run : runs) {
    if (std::strcmp(run.variable, "TONVARRA_BASE_BINARY") == 0 && !std::getenv(run.variable)) continue;
    benchmark::RegisterBenchmark(run.name, BM_FirstFrame, run.variable, run.warm)
        ->UseManualTime()
        ->Iterations(1)
        ->Unit(benchmark::kMillisecond)
        ->ComputeStatistics("min", MinOf)
        ->ComputeStatistics("max", MaxOf);
  }
}

// One start on the display already set, for tools that time whole processes: prints the ms.
int Probe(const std::string& binary) {
  ScreenProbe* probe = ScreenProbeOpen("");
  if (!probe) {
    fprintf(stderr, "no display\n");
    return 2;
  }
  TempDir dir;
  StartResult r = StartOnce(binary, probe, dir.File("run.log"));
  ScreenProbeClose(probe);
  printf("first frame seen %.1f ms (own figure %.1f ms)\n", r.seenMs, r.ownMs);
  return r.seenMs < 0 ? 1 : 0;
}

}  // namespace

int main(int argc, char** argv) {
  for (int i = 1; i < argc; ++i)
    if (std::strncmp(argv[i], "--probe=", 8) == 0) return Probe(argv[i] + 8);
  Register();
  benchmark::Initialize(&argc, argv);
  benchmark::RunSpecifiedBenchmarks();
  benchmark::Shutdown();
  StopVirtualDisplay();
  return 0;
}
