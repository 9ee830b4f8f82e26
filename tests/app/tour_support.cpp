// tests/app/tour_support: the real program driven from outside for the tour.
#include "tests/app/tour_support.h"

#include <gtest/gtest.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <sstream>
#include <thread>

#include "app/base/client_size.h"
#include "app/base/view_modes.h"
#include "app/chord_trail.h"
#include "app/floor_links.h"
#include "gfx/layout.h"
#include "midi/midi_file.h"
#include "midi/playback.h"
#include "platform/images.h"
#include "visual/backdrop.h"

namespace fs = std::filesystem;

// ---- constants ----
static const int kClientWidth = 1440, kClientHeight = 920;  // the window as placed without a window manager

// ---- internal helpers ----
static void SleepMs(int ms) { std::this_thread::sleep_for(std::chrono::milliseconds(ms)); }

static double SecondsSince(std::chrono::steady_clock::time_point start) {
  return std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
}

// Reads a binary PPM (P6, maximum 255).
static bool ParsePpm(const std::string& bytes, Frame* out) {
  int w = 0, h = 0, max = 0, offset = 0;
  if (sscanf(bytes.c_str(), "P6 %d %d %d%n", &w, &h, &max, &offset) != 3 || max != 255) return false;
  size_t start = (size_t)offset + 1, size = (size_t)w * h * 3;
  if (bytes.size() < start + size) return false;
  out->width = w;
  out->height = h;
  out->rgb.assign(bytes.begin() + (long)start, bytes.begin() + (long)(start + size));
  return true;
}

// The program's layout functions read the client size; the test process shares them.
static void UseProgramClientSize() {
  gClientWidth = kClientWidth;
  gClientHeight = kClientHeight;
}

static std::string ShotsFolder() {
  const char* binary = std::getenv("TONVARRA_BINARY");
  fs::path dir = binary ? fs::path(binary).parent_path() : fs::current_path();
  return (dir / "screenshots").string();
}

// The window's part of a frame as an image, every `step`-th pixel (step 2 halves it, averaging).
static DecodedImage WindowImage(const Frame& f, int step) {
  DecodedImage image;
  image.width = kClientWidth / step;
  image.height = kClientHeight / step;
  image.rgba.resize((size_t)image.width * image.height * 4);
  for (int y = 0; y < image.height; ++y)
    for (int x = 0; x < image.width; ++x) {
      int sum[3] = {};
      for (int dy = 0; dy < step; ++dy)
        for (int dx = 0; dx < step; ++dx) {
          Rgb p = f.At((float)(x * step + dx), (float)(y * step + dy));
          for (int c = 0; c < 3; ++c) sum[c] += p[c];
        }
      uint8_t* o = &image.rgba[((size_t)y * image.width + x) * 4];
      for (int c = 0; c < 3; ++c) o[c] = (uint8_t)(sum[c] / (step * step));
      o[3] = 255;
    }
  return image;
}

// ---- Frame ----
Rgb Frame::At(float x, float y) const {
  int px = originX + (int)std::floor(x), py = originY + (int)std::floor(y);
  if (px < 0 || py < 0 || px >= width || py >= height || rgb.empty()) return {0, 0, 0};
  size_t i = ((size_t)py * width + px) * 3;
  return {rgb[i], rgb[i + 1], rgb[i + 2]};
}

bool Frame::Ink(float x0, float y0, float x1, float y1, int above) const {
  for (float y = y0; y <= y1; y += 1)
    for (float x = x0; x <= x1; x += 1) {
      Rgb c = At(x, y);
      if (std::max({c[0], c[1], c[2]}) > above) return true;
    }
  return false;
}

int Frame::InkCount(const RectF& r, int above) const {
  int n = 0;
  for (float y = r.y; y < r.y + r.h; y += 1)
    for (float x = r.x; x < r.x + r.w; x += 1) {
      Rgb c = At(x, y);
      n += std::max({c[0], c[1], c[2]}) > above;
    }
  return n;
}

int Frame::Changed(const Frame& other, const RectF& r, int by) const {
  int n = 0;
  for (float y = r.y; y < r.y + r.h; y += 1)
    for (float x = r.x; x < r.x + r.w; x += 1) n += std::abs(Brightness(At(x, y)) - Brightness(other.At(x, y))) > by;
  return n;
}

// ---- CircleGeometry ----
// A little clockwise of the sector's middle, near the outer edge: clear of its label.
float CircleGeometry::SectorX(int pos) const {
  float a = -1.5707964f + (float)pos * 0.5235988f + 0.16f;
  return cx + (r - 8) * std::cos(a);
}

float CircleGeometry::SectorY(int pos) const {
  float a = -1.5707964f + (float)pos * 0.5235988f + 0.16f;
  return cy + (r - 8) * std::sin(a);
}

// ---- files ----
std::vector<std::string> SplitLines(const std::string& text) {
  std::vector<std::string> lines;
  std::istringstream in(text);
  for (std::string line; std::getline(in, line);) {
    if (!line.empty() && line.back() == '\r') line.pop_back();
    lines.push_back(line);
  }
  return lines;
}

bool WholeDataFiles(const std::string& folder) {
  for (const auto& entry : fs::recursive_directory_iterator(folder)) {
    if (!entry.is_regular_file()) continue;
    std::string name = entry.path().filename().string();
    if (name.find(".tmp") != std::string::npos) return false;
    if (entry.path().extension() != ".dat") continue;
    std::string bytes = ReadFileBytes(entry.path().string());
    if (bytes.empty() || bytes.back() != '\n' || bytes[0] == '\n') return false;
  }
  return true;
}

std::string DescribeFolder(const std::string& folder) {
  std::string out;
  for (const auto& entry : fs::recursive_directory_iterator(folder)) {
    if (!entry.is_regular_file()) continue;
    std::string bytes = ReadFileBytes(entry.path().string());
    out += entry.path().filename().string() + " (" + std::to_string(bytes.size()) + " bytes): " +
           bytes.substr(0, 160) + "\n";
  }
  return out;
}

// ---- Tour ----
Tour::Tour() {
  const char* binary = std::getenv("TONVARRA_BINARY");
  if (!binary || !*binary) {
    why_ = "TONVARRA_BINARY is not set";
    return;
  }
  if (!jack_.up()) {
    why_ = "jackd did not start: " + jack_.Log();
    return;
  }
  // Plugged in before the program starts, so it is opened at start-up.
  keys_ = std::make_unique<RtMidiOut>(RtMidi::UNIX_JACK, "tour keyboard");
  keys_->openVirtualPort("keys");
  if (display_.name().empty()) {
    why_ = "Xvfb did not start";
    return;
  }
  // The program with what the build puts beside it: the lesson library, images and translations.
  fs::path from = fs::path(binary).parent_path();
  exe_ = folder_.File("tonvarra");
  fs::copy_file(binary, exe_);
  for (const char* part : {"MIDI", "assets", "locales"})
    if (fs::exists(from / part)) fs::copy(from / part, folder_.File(part), fs::copy_options::recursive);
  fs::create_directories(ShotsFolder());
  // The layout here reads the same facts through the same links as the program's.
  ConnectFloors();
  UseProgramClientSize();
  Start();
}

Tour::~Tour() {
  if (pid_ > 0) {
    kill(pid_, SIGKILL);
    WaitForChild(pid_, 10);
  }
  keys_.reset();  // before its server
  for (const std::string& link : links_) fs::remove(link);
}

void Tour::Start() {
  std::vector<std::pair<std::string, std::string>> env = {
      {"DISPLAY", display_.name()},
      {"TONVARRA_MESSAGE_BOXES", "0"},
      // A Spanish desktop: the user picks English from the start screen's list.
      {"LANG", "es_ES.UTF-8"},
      // The built-in synthesiser's sound goes to a file, at the pace of a real device.
      {"SDL_AUDIODRIVER", "disk"},
      {"SDL_DISKAUDIOFILE", folder_.File("audio.raw")},
  };
  const char* src = std::getenv("TONVARRA_SOURCE_DIR");
  if (src && !std::getenv("LSAN_OPTIONS")) env.push_back({"LSAN_OPTIONS", std::string("suppressions=") + src + "/tests/lsan.supp"});
  log_ = folder_.File("output_" + std::to_string(++starts_) + ".txt");
  window_.clear();
  pid_ = SpawnProgram({exe_}, folder_.path(), env, {"LC_ALL", "LC_MESSAGES", "LANGUAGE"}, log_);
}

int Tour::Terminate() {
  if (pid_ <= 0) return -1;
  kill(pid_, SIGTERM);
  int status = WaitForChild(pid_, 60);
  pid_ = -1;
  window_.clear();
  return status;
}

std::string Tour::Output() const { return ReadFileBytes(log_); }

std::string Tour::ProgramStacks() const {
  if (pid_ <= 0) return "";
  std::string out = scratch_.File("stacks.txt");
  pid_t gdb = SpawnProgram({"gdb", "-p", std::to_string(pid_), "-batch", "-nx", "-ex", "thread apply all bt 40"}, "", {}, {}, out);
  if (gdb <= 0 || WaitForChild(gdb, 120) != 0) return "";
  return ReadFileBytes(out);
}

bool Tour::WaitForLog(const std::string& text, double seconds, size_t from) const {
  auto start = std::chrono::steady_clock::now();
  do {
    std::string out = Output();
    if (out.size() > from && out.find(text, from) != std::string::npos) return true;
    SleepMs(50);
  } while (SecondsSince(start) < seconds);
  return false;
}

bool Tour::WaitForFileText(const std::string& path, const std::string& text, double seconds) const {
  auto start = std::chrono::steady_clock::now();
  do {
    if (ReadFileBytes(path) == text) return true;
    SleepMs(50);
  } while (SecondsSince(start) < seconds);
  return false;
}

bool Tour::WaitForFileChange(const std::string& path, const std::string& before, double seconds) const {
  auto start = std::chrono::steady_clock::now();
  do {
    std::string now = ReadFileBytes(path);
    if (!now.empty() && now != before) return true;
    SleepMs(50);
  } while (SecondsSince(start) < seconds);
  return false;
}

std::string Tour::Xdo(const std::vector<std::string>& args) const {
  std::vector<std::string> argv{"xdotool"};
  argv.insert(argv.end(), args.begin(), args.end());
  // One output file per call: a dialog's helper thread may run xdotool while the steps do.
  static std::atomic<int> calls{0};
  std::string out = scratch_.File("xdotool_" + std::to_string(calls++) + ".out");
  int status = WaitForChild(SpawnProgram(argv, "", {{"DISPLAY", display_.name()}}, {}, out), 20.0);
  std::string text = ReadFileBytes(out);
  fs::remove(out);
  if (status != 0) return "";
  return text.empty() ? "ok" : text;
}

bool Tour::WaitForWindow() {
  auto start = std::chrono::steady_clock::now();
  while (window_.empty() && SecondsSince(start) < 60) {
    std::string found = Xdo({"search", "--onlyvisible", "--name", "^Tonvarra$"});
    if (!found.empty() && found != "ok") window_ = found.substr(0, found.find('\n'));
    else SleepMs(200);
  }
  if (window_.empty()) return false;
  // Without a window manager the window stays where the program put it.
  std::string geometry = Xdo({"getwindowgeometry", window_});
  int x = 0, y = 0;
  size_t at = geometry.find("Position: ");
  if (at == std::string::npos || sscanf(geometry.c_str() + at, "Position: %d,%d", &x, &y) != 2) return false;
  last_.originX = x;
  last_.originY = y;
  origin_[0] = x;
  origin_[1] = y;
  return true;
}

void Tour::Key(const std::string& keys) {
  Xdo({"windowfocus", "--sync", window_});
  Xdo({"key", "--clearmodifiers", keys});
}

void Tour::Type(const std::string& text) {
  Xdo({"windowfocus", "--sync", window_});
  Xdo({"type", "--delay", "30", text});
}

void Tour::MoveTo(float x, float y) {
  Xdo({"mousemove", "--sync", "--window", window_, std::to_string((int)std::lround(x)), std::to_string((int)std::lround(y))});
}

void Tour::Click(float x, float y, int button) {
  MoveTo(x, y);
  // A press that arrives with the move can be lost: the program draws a frame under the pointer first.
  Screenshot();
  Xdo({"click", std::to_string(button)});
}

bool Tour::ClickUntil(float x, float y, const std::function<bool(const Frame&)>& test, double seconds, int tries) {
  for (int i = 0; i < tries; ++i) {
    Click(x, y);
    if (WaitForFrame(test, seconds)) return true;
  }
  return false;
}

void Tour::DoubleClick(float x, float y) {
  MoveTo(x, y);
  Xdo({"click", "--repeat", "2", "--delay", "60", "1"});
}

void Tour::Drag(float x0, float y0, float x1, float y1) {
  MoveTo(x0, y0);
  Screenshot();  // a frame under the pointer before the press, as for a click
  Xdo({"mousedown", "1"});
  for (int i = 1; i <= 8; ++i) MoveTo(x0 + (x1 - x0) * (float)i / 8.0f, y0 + (y1 - y0) * (float)i / 8.0f);
  Xdo({"mouseup", "1"});
}

void Tour::Wheel(float x, float y, int steps) {
  MoveTo(x, y);
  Xdo({"click", "--repeat", std::to_string(std::abs(steps)), "--delay", "40", steps > 0 ? "4" : "5"});
}

void Tour::Notes(const std::vector<int>& notes, bool on, int velocity) {
  for (int n : notes) {
    std::vector<unsigned char> m{(unsigned char)(on ? 0x90 : 0x80), (unsigned char)n, (unsigned char)(on ? velocity : 0)};
    keys_->sendMessage(&m);
  }
}

Frame Tour::Screenshot() {
  std::string path = scratch_.File("shot.ppm");
  fs::remove(path);
  int status = WaitForChild(SpawnProgram({"import", "-display", display_.name(), "-window", "root", "-depth", "8", path},
                                         "", {}, {}, "/dev/null"),
                            30);
  Frame f;
  if (status == 0 && ParsePpm(ReadFileBytes(path), &f)) {
    f.originX = origin_[0];
    f.originY = origin_[1];
    last_ = f;
  }
  return f;
}

bool Tour::WaitForFrame(const std::function<bool(const Frame&)>& test, double seconds) {
  auto start = std::chrono::steady_clock::now();
  do {
    Frame f = Screenshot();
    if (f.Valid() && test(f)) return true;
    SleepMs(60);
  } while (SecondsSince(start) < seconds);
  return false;
}

void Tour::Shot(const std::string& name, const std::string& docsName) {
  if (!last_.Valid()) Screenshot();
  if (!last_.Valid()) return;
  SaveImageFile(ShotsFolder() + "/tour_" + name + ".png", WindowImage(last_, 1));
  const char* docs = std::getenv("TONVARRA_DOCS_DIR");
  if (docs && *docs && !docsName.empty()) {
    fs::create_directories(docs);
    SaveImageFile(std::string(docs) + "/" + docsName + ".png", WindowImage(last_, 2));
  }
}

StartScreenLayout Tour::StartLayout() const {
  UseProgramClientSize();
  return ComputeStartScreenLayout();
}

CircleGeometry Tour::Circle() const {
  UseProgramClientSize();
  CircleGeometry c;
  ComputeCircleLayout(&c.cx, &c.cy, &c.side, &c.r, &c.ri, &c.rm);
  return c;
}

RectF Tour::TrailBand() const {
  UseProgramClientSize();
  RelayoutAll();
  TrailColumn c = ComputeTrailColumn(2);
  return {c.colLeft, c.top - 40.0f, c.colRight - c.colLeft, c.bottom - c.top + 80.0f};
}

bool Tour::ShowsMainView(const Frame& f) const {
  float want[3];
  BackdropGradientColour(660.0f / (float)kClientHeight, 0.0f, &want[0], &want[1], &want[2]);
  int matching = 0;
  for (int x = 1000; x < 1100; x += 10) {
    Rgb p = f.At((float)x, 660);
    bool same = true;
    for (int i = 0; i < 3; ++i) same = same && std::abs(p[i] - (int)std::lround(want[i] * 255)) <= 2;
    matching += same;
  }
  if (matching < 8) return false;
  // The start screen's list and its fade can leave the backdrop bare: the circle's C label must show.
  CircleGeometry c = Circle();
  return f.Ink(c.cx - 14, c.cy - c.r + 6, c.cx + 14, c.cy - c.r + 0.5f * (c.r - c.ri), 200);
}

double Tour::AudioRms(double seconds) const {
  // Interleaved stereo 32-bit floats at 44.1 kHz, written as the device plays them.
  const std::string path = folder_.File("audio.raw");
  std::error_code ec;
  uintmax_t size = fs::file_size(path, ec);
  if (ec) return 0.0;
  uintmax_t want = (uintmax_t)(seconds * 44100.0) * 8;
  uintmax_t from = size > want ? (size - want) / 8 * 8 : 0;
  FILE* f = fopen(path.c_str(), "rb");
  if (!f) return 0.0;
  std::vector<float> samples((size_t)((size - from) / 4));
  fseek(f, (long)from, SEEK_SET);
  size_t got = fread(samples.data(), 4, samples.size(), f);
  fclose(f);
  if (got == 0) return 0.0;
  double sum = 0.0;
  for (size_t i = 0; i < got; ++i) sum += (double)samples[i] * samples[i];
  return std::sqrt(sum / (double)got);
}

bool Tour::WaitForSound(double seconds, double above, bool quiet, double timeout) const {
  auto start = std::chrono::steady_clock::now();
  do {
    double rms = AudioRms(seconds);
    if (quiet ? rms <= above : rms > above) return true;
    SleepMs(50);
  } while (SecondsSince(start) < timeout);
  return false;
}

std::string Tour::LibraryFileForTheDialog(const std::string& relative) {
  fs::path target = fs::path(folder_.File("MIDI/Library")) / relative;
  fs::path parent = fs::path(scratch_.path()).parent_path();
  std::string taken;
  for (const auto& e : fs::directory_iterator(parent)) taken += e.path().filename().string()[0];
  std::string letters = "QZXJKWVYqzxjkwvy";
  size_t free = letters.find_first_not_of(taken);
  if (free == std::string::npos) return "";
  fs::path link = parent / (std::string(1, letters[free]) + std::to_string(getpid()));
  std::error_code ec;
  fs::create_directory_symlink(target.parent_path(), link, ec);
  if (ec) return "";
  links_.push_back(link.string());
  return (link / target.filename()).string();
}

std::thread Tour::AnswerDialog(const std::string& title, const std::vector<std::vector<std::string>>& steps) {
  return std::thread([this, title, steps] {
    std::string found;
    auto start = std::chrono::steady_clock::now();
    while (found.empty() && SecondsSince(start) < 60) {
      found = Xdo({"search", "--onlyvisible", "--name", title});
      if (found == "ok") found.clear();
      if (found.empty()) SleepMs(200);
    }
    if (found.empty()) {
      ADD_FAILURE() << "no dialog \"" << title << "\"";
      return;
    }
    std::string dialog = found.substr(0, found.find('\n'));
    auto closed = [&] {
      for (int i = 0; i < 50; ++i) {
        if (Xdo({"search", "--onlyvisible", "--name", title}).empty()) return true;
        SleepMs(100);
      }
      return false;
    };
    // Without a window manager the dialog gets the keyboard only when given it, and a loaded
    // machine can drop keys sent before the chooser is ready for them.
    for (int attempt = 0; attempt < 4; ++attempt) {
      SleepMs(700 * (attempt + 1));
      for (const auto& step : steps) {
        SleepMs(300);
        Xdo({"windowfocus", "--sync", dialog});
        Xdo(step);
      }
      if (closed()) return;
    }
    ADD_FAILURE() << "the dialog did not close";
    Xdo({"windowkill", dialog});
  });
}

void Tour::MirrorState(const std::string& songPath, bool songView, bool practiceMode, bool overlay) {
  UseProgramClientSize();
  gSongEvents.clear();
  gSongTempo.clear();
  if (!songPath.empty()) {
    int key = -1;
    bool minor = false;
    std::string error;
    ParseMidiFile(songPath, gSongEvents, gSongTempo, key, minor, error);
  }
  gSongView = songView;
  gWaitMode = songView || practiceMode;
  gPracticeMode = practiceMode;
  gPracticeModeFade = practiceMode ? 1.0f : 0.0f;
  gLearningOverlay = overlay;
  RelayoutAll();
}
