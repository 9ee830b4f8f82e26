// platform/sound_settings_posix: the sound settings program started by a double fork, so it
// outlives nothing of ours and leaves no child to reap behind.
#include "platform/sound_settings.h"

#include <fcntl.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <string>
#include <vector>

#include "platform/process.h"

// ---- internal helpers ----
namespace {

// Starts path with its arguments in a new session; true when the intermediate child saw its own
// child start (the program itself may still fail later, which nobody waits for).
bool StartDetached(const std::string& path, const std::vector<std::string>& args) {
  // Everything the children use is made before the fork: after it only async-signal-safe calls.
  std::vector<char*> argv;
  for (const std::string& a : args) argv.push_back(const_cast<char*>(a.c_str()));
  argv.push_back(nullptr);
  int devNull = open("/dev/null", O_RDWR | O_CLOEXEC);
  if (devNull < 0) return false;
  pid_t child = fork();
  if (child < 0) {
    close(devNull);
    return false;
  }
  if (child == 0) {
    setsid();
    pid_t grandchild = fork();
    if (grandchild < 0) _exit(1);
    if (grandchild == 0) {
      dup2(devNull, STDIN_FILENO);
      dup2(devNull, STDOUT_FILENO);
      dup2(devNull, STDERR_FILENO);
      execv(path.c_str(), argv.data());
      _exit(127);
    }
    _exit(0);
  }
  close(devNull);
  int status = 0;
  while (waitpid(child, &status, 0) < 0)
    if (errno != EINTR) return true;  // reaped elsewhere: it ran
  return WIFEXITED(status) && WEXITSTATUS(status) == 0;
}

}  // namespace

// ---- public functions ----
bool OpenSoundSettings() {
  const std::vector<std::vector<std::string>> choices = {
      {"pavucontrol"}, {"gnome-control-center", "sound"}, {"xdg-open", "settings://sound"}};
  for (const std::vector<std::string>& command : choices) {
    std::string path = FindProgramOnPath(command[0].c_str());
    if (!path.empty()) return StartDetached(path, command);
  }
  return false;
}
