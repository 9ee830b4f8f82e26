// midi/playlist: the playlist, its order and stepping, and the two choosers that fill it.
#include "midi/playlist.h"

#include <algorithm>
#include <filesystem>
#include <random>
#include <utility>

#include "app/base/logs.h"
#include "app/base/status_text.h"
#include "app/base/strings.h"
#include "gfx/translate.h"
#include "midi/midi_output.h"
#include "midi/playback.h"
#include "platform/file_dialogs.h"
#include "theory/scale_selection.h"

// ---- state ----
std::vector<std::string> gPlaylist;  // file paths of the playlist
int gPlaylistIndex = -1;             // the playing entry, -1 none
bool gPlaylistShuffle = false;       // next entry at random
bool gPlaylistRepeat = false;        // wrap at either end

// ---- internal helpers ----
namespace {

// Shuffle's own generator, seeded once per start: the C library's, never seeded, gave the same
// order after every start.
std::mt19937& ShuffleRandom() {
  static std::mt19937 random{std::random_device{}()};
  return random;
}

std::string FileNamePart(const std::string& path) {
  size_t slash = path.find_last_of("/\\");
  return slash == std::string::npos ? path : path.substr(slash + 1);
}

}  // namespace

// The song holds still while a dialog holds the program. A cancel, or a file that does not load,
// lets the song go on where it stood.
struct SongHeldForDialog {
  SongHold hold;
  SongHeldForDialog() { HoldSong(&hold); }
  ~SongHeldForDialog() { ReleaseSong(&hold); }
};

// The dialog's title in the UI language: the menu item that opens it, without its dots.
static std::string DialogTitle(const char* menuItem) {
  std::string title = Tr(menuItem);
  for (const char* dots : {"...", "\u2026"}) {
    const size_t n = std::char_traits<char>::length(dots);
    if (title.size() > n && title.compare(title.size() - n, n, dots) == 0) title.resize(title.size() - n);
  }
  return title;
}

// Without a dialog program a choice would end as a cancel does, silently: the line says why.
static bool DialogAtHand() {
  if (FileDialogAvailable()) return true;
  DebugLog("[dialog] neither zenity nor kdialog is on the PATH\n");
  gStatusText = "No file chooser found: install zenity or kdialog";
  return false;
}

// ---- public functions ----
bool ChooseAndPlayMidiFile() {
  if (!DialogAtHand()) return false;
  SongHeldForDialog hold;
  std::string path;
  if (!ShowOpenFileDialog(DialogTitle("Open MIDI File..."),
                          {{Tr("MIDI Files (*.mid;*.midi)"), "*.mid;*.midi"}, {Tr("All Files (*.*)"), "*.*"}},
                          &path))
    return false;
  // The chosen file becomes the playlist only once it loads: one that does not leaves the song that
  // plays with its own playlist, so that next and previous still step through that.
  std::vector<std::string> before = std::exchange(gPlaylist, {path});
  const int beforeIndex = std::exchange(gPlaylistIndex, 0);
  if (PlayPlaylistEntry(0)) return true;
  gPlaylist = std::move(before);
  gPlaylistIndex = beforeIndex;
  return false;
}

bool PlaylistPathLess(const std::string& a, const std::string& b) {
  std::string na = AsciiLower(FileNamePart(a)), nb = AsciiLower(FileNamePart(b));
  if (na != nb) return na < nb;  // std::string compares bytes as unsigned char
  return a < b;
}

bool CollectMidiFiles(const std::string& folder, std::vector<std::string>& out) {
  out.clear();
  std::error_code ec;
  std::filesystem::path dir(std::u8string(folder.begin(), folder.end()));
  if (!std::filesystem::is_directory(dir, ec)) return false;
  for (std::filesystem::directory_iterator it(dir, ec), end; !ec && it != end; it.increment(ec)) {
    std::error_code typeError;
    if (!it->is_regular_file(typeError)) continue;
    std::u8string ext8 = it->path().extension().u8string();
    std::string ext = AsciiLower(std::string(ext8.begin(), ext8.end()));
    if (ext != ".mid" && ext != ".midi") continue;
    std::u8string p8 = it->path().u8string();
    out.emplace_back(p8.begin(), p8.end());
  }
  std::sort(out.begin(), out.end(), PlaylistPathLess);
  return !out.empty();
}

bool PlayPlaylistEntry(int i) {
  if (gPlaylist.empty()) return false;
  int n = (int)gPlaylist.size();
  int index = ((i % n) + n) % n;
  if (!LoadAndPlayMidi(gPlaylist[(size_t)index])) return false;
  gPlaylistIndex = index;
  gPaused = false;
  gPauseMs = 0;
  // Without a sound output the load's own line stays: that nothing will be heard matters more
  // than where in the list the song stands.
  if (IsMidiOutputOpen()) gStatusText = std::to_string(index + 1) + "/" + std::to_string(n) + "  " + gSongTitle;
  return true;
}

// Plays the entry a step goes to, passing over entries that cannot be read.
static bool PlaySteppedEntry(int direction, bool atEnd) {
  int n = (int)gPlaylist.size();
  if (n == 0) return false;
  if (n == 1) return (gPlaylistRepeat || !atEnd) ? PlayPlaylistEntry(0) : false;
  int current = (gPlaylistIndex >= 0 && gPlaylistIndex < n) ? gPlaylistIndex : 0;
  // A file that cannot be read is passed over (its failure said in the status line and the log),
  // at a song's end and on a button press alike: the list goes on from the entry after it (or,
  // shuffled, from another one), and a folder's good files stay within reach of Next and Previous.
  if (gPlaylistShuffle) {
    // The other entries in a random order, each tried once.
    std::vector<int> others;
    for (int i = 0; i < n; ++i)
      if (i != current) others.push_back(i);
    for (int left = n - 1; left > 0; --left) {
      const int pick = (int)(ShuffleRandom()() % (uint32_t)left);
      if (PlayPlaylistEntry(others[(size_t)pick])) return true;
      others[(size_t)pick] = others[(size_t)left - 1];
    }
    return false;
  }
  const int step = direction < 0 ? -1 : 1;
  for (int tries = 0; tries < n; ++tries) {
    int next = current + step;
    bool edge = false;
    if (next < 0 || next >= n) {
      if (gPlaylistRepeat) {
        next = (next + n) % n;
      } else if (atEnd) {
        return false;
      } else {
        next = next < 0 ? 0 : n - 1;   // a press past either end plays that end's entry again
        edge = true;
      }
    }
    if (PlayPlaylistEntry(next)) return true;
    if (edge) return false;
    current = next;
  }
  return false;
}

bool StepPlaylist(int direction, bool atEnd) {
  // The next song (the same one again on Repeat) selects its key as every load does; the list goes
  // on, though, so the board must not fade its preview, and in a student's view the keyboard under
  // the lane, out and back in as after a new pick at every step. The pick that stood keeps its time.
  const bool picked = gPickedScale && gRingPos >= 0 && gRingPos <= 11;
  const double pickedAt = gScaleSelectTime;
  if (!PlaySteppedEntry(direction, atEnd)) return false;
  if (picked) RestoreScaleSelectTime(pickedAt);
  return true;
}

bool OpenMidiFolderPicker() {
  if (!DialogAtHand()) return false;
  SongHeldForDialog hold;
  std::string folder;
  if (!ShowFolderDialog(DialogTitle("Open MIDI Folder..."), &folder)) return false;
  std::vector<std::string> files;
  if (!CollectMidiFiles(folder, files)) {
    gStatusText = "No MIDI files found in selected folder";
    return false;
  }
  // A file that cannot be read is passed over as Next passes over it (its failure in the log), so
  // the folder plays from its first good file. Only then does the folder become the playlist: with
  // nothing playable, the song that plays keeps its own list for Next and Previous.
  const int count = (int)files.size();
  std::vector<std::string> before = std::exchange(gPlaylist, std::move(files));
  const int beforeIndex = std::exchange(gPlaylistIndex, 0);
  for (int i = 0; i < count; ++i) {
    if (!PlayPlaylistEntry(i)) continue;
    gStatusText = count == 1 ? Tr("Folder playlist loaded (1 file)") : TrF("Folder playlist loaded (%d files)", count);
    return true;
  }
  gPlaylist = std::move(before);
  gPlaylistIndex = beforeIndex;
  gStatusText = "No MIDI file in the selected folder could be loaded";
  return false;
}

void ResetPlaylist() {
  ClearPlaylistEntries();
  gPlaylistShuffle = gPlaylistRepeat = false;
}

void ClearPlaylistEntries() {
  gPlaylist.clear();
  gPlaylistIndex = -1;
}
