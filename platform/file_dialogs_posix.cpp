// platform/file_dialogs_posix: the file and folder dialogs as zenity or kdialog child processes.
//
// The child is started without a shell (posix_spawnp, arguments as they stand), its standard output
// read through a pipe and its exit status taken: 0 with a path is a choice, anything else is
// cancel. Its standard error goes to /dev/null: the toolkits print warnings there.
#include "platform/file_dialogs.h"

#include <fcntl.h>
#include <langinfo.h>
#include <locale.h>
#include <poll.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cctype>
#include <cerrno>
#include <cstdlib>
#include <cstring>

#include "platform/process.h"
#include "platform/window.h"

extern char** environ;

// ---- state ----
namespace {
FileDialogScript gDialogScript = nullptr;  // test double, null for the real dialogs
bool (*gQuitCheck)() = WindowQuitRequested;
constexpr int kQuitCheckMs = 100;          // how often a waiting dialog asks whether to end
}  // namespace

// ---- internal helpers ----
namespace {

// A pattern whose letters match either case: the dialogs' patterns are case-sensitive, and older
// songs are often named "SONG.MID".
std::string AnyCasePattern(const std::string& pattern) {
  std::string out;
  for (char c : pattern) {
    const char lower = (char)std::tolower((unsigned char)c), upper = (char)std::toupper((unsigned char)c);
    if (lower != upper) out += std::string("[") + lower + upper + "]";
    else out += c;
  }
  return out;
}

// Every "*.x" of a ';'-separated pattern list, space-separated as both programs want them.
std::string SpacedPatterns(const std::string& patterns) {
  std::string out;
  size_t start = 0;
  while (start <= patterns.size()) {
    size_t end = patterns.find(';', start);
    if (end == std::string::npos) end = patterns.size();
    std::string p = AnyCasePattern(patterns.substr(start, end - start));
    if (p == "*.*") p = "*";  // every file, also those without a dot
    if (!p.empty()) out += (out.empty() ? "" : " ") + p;
    start = end + 1;
  }
  return out;
}

bool ProgramOnPath(const char* name) { return !FindProgramOnPath(name).empty(); }

// The desktop's dialog program, "" when there is none.
std::string ChooseDialogProgram() {
  const char* desktop = std::getenv("XDG_CURRENT_DESKTOP");
  bool kde = desktop && std::strstr(desktop, "KDE");
  if (kde && ProgramOnPath("kdialog")) return "kdialog";
  if (ProgramOnPath("zenity")) return "zenity";
  if (ProgramOnPath("kdialog")) return "kdialog";
  return "";
}

// The dialog's environment: ours, but in a UTF-8 locale when ours is not one. A title or a filter
// in the UI's language is UTF-8, and a dialog started in the C locale (LANG=C, or a locale the
// system does not have) refuses such an argument and shows nothing at all.
std::vector<std::string> DialogEnvironment() {
  std::vector<std::string> env;
  for (char** e = environ; e && *e; ++e) env.push_back(*e);
  bool utf8 = false;
  if (locale_t loc = newlocale(LC_CTYPE_MASK, "", (locale_t)0)) {
    utf8 = std::strcmp(nl_langinfo_l(CODESET, loc), "UTF-8") == 0;
    freelocale(loc);
  }
  if (utf8) return env;
  std::erase_if(env, [](const std::string& v) { return v.rfind("LC_ALL=", 0) == 0; });
  env.push_back("LC_ALL=C.UTF-8");
  return env;
}

// Runs the command; true when it exits with 0, with its standard output in *out.
bool RunAndCapture(const std::vector<std::string>& command, std::string* out) {
  int fds[2];
  if (pipe2(fds, O_CLOEXEC) != 0) return false;
  posix_spawn_file_actions_t actions;
  posix_spawn_file_actions_init(&actions);
  posix_spawn_file_actions_adddup2(&actions, fds[1], STDOUT_FILENO);
  posix_spawn_file_actions_addopen(&actions, STDERR_FILENO, "/dev/null", O_WRONLY, 0);
  std::vector<char*> argv;
  for (const std::string& a : command) argv.push_back(const_cast<char*>(a.c_str()));
  argv.push_back(nullptr);
  const std::vector<std::string> environment = DialogEnvironment();
  std::vector<char*> envp;
  for (const std::string& v : environment) envp.push_back(const_cast<char*>(v.c_str()));
  envp.push_back(nullptr);
  pid_t pid = 0;
  int rc = posix_spawnp(&pid, argv[0], &actions, nullptr, argv.data(), envp.data());
  posix_spawn_file_actions_destroy(&actions);
  close(fds[1]);
  if (rc != 0) {
    close(fds[0]);
    return false;
  }
  // The dialog holds the UI thread: a request to end the program (SIGTERM at the session's end, or
  // the window's close box) closes it as a cancel, so the program's own close runs while there is
  // time to save.
  // Its window is made to belong to ours as soon as it shows: apart, a click on our window buried
  // it, and our window, held here, stood still and took no presses with the dialog out of sight.
  char buffer[4096];
  bool ended = false, owned = false;
  for (;;) {
    pollfd readable{fds[0], POLLIN, 0};
    int ready = poll(&readable, 1, kQuitCheckMs);
    if (ready == 0 || (ready < 0 && errno == EINTR)) {
      if (!owned) owned = WindowOwnWindowsOfProcess((long)pid);
      if (gQuitCheck && gQuitCheck()) {
        kill(pid, SIGTERM);
        ended = true;
        break;
      }
      continue;
    }
    ssize_t n = read(fds[0], buffer, sizeof buffer);
    if (n > 0) {
      out->append(buffer, (size_t)n);
    } else if (n < 0 && errno == EINTR) {
      continue;
    } else {
      break;
    }
  }
  close(fds[0]);
  int status = 0;
  while (waitpid(pid, &status, 0) < 0 && errno == EINTR) {
  }
  return !ended && WIFEXITED(status) && WEXITSTATUS(status) == 0;
}

bool RunDialogProgram(const FileDialogRequest& request, std::string* path) {
  std::string program = ChooseDialogProgram();
  if (program.empty()) return false;
  std::string out;
  if (!RunAndCapture(FileDialogCommand(program, request), &out)) return false;
  while (!out.empty() && (out.back() == '\n' || out.back() == '\r')) out.pop_back();
  if (out.empty()) return false;
  *path = out;
  return true;
}

bool ShowDialog(const FileDialogRequest& request, std::string* path) {
  bool chosen = gDialogScript ? gDialogScript(request, path) : RunDialogProgram(request, path);
  // The dialog is a program of its own, so the window system kept queueing presses and keys on ours
  // while it was up (the rest of the double click that opened it, too): they would press whatever
  // lies where they were made, and a Space or an R typed there would play or reset the song once
  // the dialog was gone.
  WindowDropUserInput();
  return chosen;
}

}  // namespace

// ---- public functions ----
std::vector<std::string> FileDialogCommand(const std::string& program, const FileDialogRequest& request) {
  std::vector<std::string> cmd{program};
  if (program == "kdialog") {
    cmd.push_back("--title");
    cmd.push_back(request.title);
    if (request.folder) {
      cmd.push_back("--getexistingdirectory");
      cmd.push_back(".");
      return cmd;
    }
    cmd.push_back("--getopenfilename");
    cmd.push_back(".");
    std::string filter;
    for (const FileDialogFilter& f : request.filters) {
      if (!filter.empty()) filter += '\n';
      filter += SpacedPatterns(f.patterns);
      filter += '|';
      filter += f.label;
    }
    cmd.push_back(filter);
    return cmd;
  }
  cmd.push_back("--file-selection");
  cmd.push_back("--title=" + request.title);
  if (request.folder) {
    cmd.push_back("--directory");
    return cmd;
  }
  for (const FileDialogFilter& f : request.filters)
    cmd.push_back("--file-filter=" + f.label + " | " + SpacedPatterns(f.patterns));
  return cmd;
}

bool ShowOpenFileDialog(const std::string& title, const std::vector<FileDialogFilter>& filters,
                        std::string* path) {
  return ShowDialog(FileDialogRequest{false, title, filters}, path);
}

bool ShowFolderDialog(const std::string& title, std::string* path) {
  return ShowDialog(FileDialogRequest{true, title, {}}, path);
}

bool FileDialogAvailable() { return gDialogScript || !ChooseDialogProgram().empty(); }

void SetFileDialogScriptForTesting(FileDialogScript script) { gDialogScript = script; }

void SetDialogQuitCheckForTesting(bool (*check)()) { gQuitCheck = check ? check : WindowQuitRequested; }
