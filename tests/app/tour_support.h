// tests/app/tour_support: the real program driven from outside, as a user would: its own folder,
// a private display and JACK server, a JACK keyboard, X input through xdotool, screenshots read
// back at positions computed by the program's own layout functions.
#pragma once
#include <sys/types.h>

#include <RtMidi.h>

#include <array>
#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <thread>
#include <vector>

#include "gfx/rect.h"
#include "tests/support/child_process.h"
#include "tests/support/jack_server.h"
#include "tests/support/test_support.h"
#include "visual/start_screen.h"

using Rgb = std::array<int, 3>;
inline int Brightness(const Rgb& c) { return c[0] + c[1] + c[2]; }

// One screenshot of the display; positions are the program window's client pixels.
struct Frame {
  int width = 0, height = 0;  // the whole display
  int originX = 0, originY = 0;  // the window's client origin on it
  std::vector<uint8_t> rgb;
  bool Valid() const { return !rgb.empty(); }
  Rgb At(float x, float y) const;
  // Some pixel of the rectangle has a channel above `above`.
  bool Ink(float x0, float y0, float x1, float y1, int above) const;
  // Pixels of the rectangle with a channel above `above`.
  int InkCount(const RectF& r, int above) const;
  // Pixels of the rectangle that differ from `other` by more than `by` in brightness.
  int Changed(const Frame& other, const RectF& r, int by) const;
};

// The circle's geometry for the program's window, and where each ring position's sector is sampled.
struct CircleGeometry {
  float cx = 0, cy = 0, side = 0, r = 0, ri = 0, rm = 0;
  float SectorX(int pos) const;
  float SectorY(int pos) const;
};

std::vector<std::string> SplitLines(const std::string& text);
// Every file of the folder is whole: no temporary file left, and each record file is not empty
// and ends with a line end.
bool WholeDataFiles(const std::string& folder);
std::string DescribeFolder(const std::string& folder);

class Tour {
 public:
  Tour();
  ~Tour();
  Tour(const Tour&) = delete;
  Tour& operator=(const Tour&) = delete;
  bool Ready() const { return why_.empty(); }
  const std::string& WhyNotReady() const { return why_; }

  // ---- the program ----
  // Starts the program (again) in its folder.
  void Start();
  // SIGTERM; the wait status, or -1 when it did not end within a minute.
  int Terminate();
  std::string Output() const;
  // Every thread's stack of the running program, through gdb where it is installed; "" without.
  std::string ProgramStacks() const;
  bool WaitForLog(const std::string& text, double seconds, size_t from = 0) const;
  std::string DataFile(const std::string& name) const { return folder_.File("Data/" + name); }
  std::string ProgramFile(const std::string& name) const { return folder_.File(name); }
  bool WaitForFileText(const std::string& path, const std::string& text, double seconds) const;
  bool WaitForFileChange(const std::string& path, const std::string& before, double seconds) const;

  // ---- the window ----
  bool WaitForWindow();
  void Key(const std::string& keys);
  void Type(const std::string& text);
  void Click(float x, float y, int button = 1);
  // A press whose effect `test` sees on the screen; a press a loaded machine lost is made again.
  bool ClickUntil(float x, float y, const std::function<bool(const Frame&)>& test, double seconds = 8, int tries = 3);
  void DoubleClick(float x, float y);
  void MoveTo(float x, float y);
  void Drag(float x0, float y0, float x1, float y1);
  void Wheel(float x, float y, int steps);
  // Runs xdotool with the display set; its standard output, "" when it failed.
  std::string Xdo(const std::vector<std::string>& args) const;

  // ---- the keyboard ----
  void Notes(const std::vector<int>& notes, bool on, int velocity = 100);

  // ---- pictures ----
  Frame Screenshot();
  const Frame& Last() const { return last_; }
  // Screenshots until `test` holds; false after `seconds`.
  bool WaitForFrame(const std::function<bool(const Frame&)>& test, double seconds);
  // Keeps the last screenshot (a new one when none) as screenshots/tour_<name>.png, and as
  // <docs>/<docsName>.png at half size when TONVARRA_DOCS_DIR asks for the guide's pictures.
  void Shot(const std::string& name, const std::string& docsName = "");

  // ---- sound ----
  // Root mean square of the last `seconds` the built-in synthesiser handed the audio device.
  double AudioRms(double seconds) const;
  // Waits until the sound of the last `seconds` is above `above` (or, with quiet, at most it).
  bool WaitForSound(double seconds, double above, bool quiet, double timeout) const;

  // ---- files for the file dialog ----
  // A path to a file of the lesson library the dialog's location entry takes without opening its
  // completion list: a link with a first letter of its own in the temporary folder.
  std::string LibraryFileForTheDialog(const std::string& relative);
  // Answers the open dialog (found by its title) with keys on a thread of its own; a dialog that
  // is still up after its keys gets them again, one that never closes is closed by force.
  std::thread AnswerDialog(const std::string& title, const std::vector<std::vector<std::string>>& steps);

  // ---- the program's own geometry for its 1440 x 920 window ----
  // Sets the test process's copy of the view state the program's layout reads: the song (a
  // Standard MIDI File, "" for none), the views, then lays everything out.
  void MirrorState(const std::string& songPath, bool songView, bool practiceMode, bool overlay);
  StartScreenLayout StartLayout() const;
  CircleGeometry Circle() const;
  RectF TrailBand() const;
  // The main view is up: the backdrop's own gradient right of the circle, and the circle's labels.
  bool ShowsMainView(const Frame& f) const;

  const std::string& DisplayName() const { return display_.name(); }

  // What the steps hand on to each other.
  std::string song;              // the library song as the dialog was given it
  std::string practiceRecord;    // the practice runs' file after the run
  Frame armedWithoutRecord;      // the armed run before the region had a record
  Frame todayBefore;             // the learning screen before the day's first song
  const std::string& ScratchPath() const { return scratch_.path(); }

 private:
  // Goes last. Synchronous: on a loaded machine a client late for its cycle delays the cycle
  // instead of dropping the keyboard's notes in it.
  PrivateJackServer jack_{"256", false, true};
  std::unique_ptr<RtMidiOut> keys_;
  VirtualDisplay display_;
  TempDir folder_;           // the program's folder: its executable, library, images and Data
  TempDir scratch_;          // screenshots in flight, xdotool output
  std::string why_;
  std::string exe_, log_, window_;
  pid_t pid_ = -1;
  int starts_ = 0;
  Frame last_;
  int origin_[2] = {100, 100};  // the window's client origin on the display
  std::vector<std::string> links_;  // made for the file dialog, removed at the end
};
