// tests/support/child_process: starting programs (the real binary, Xvfb, import) from a test.
#pragma once
#include <sys/types.h>

#include <string>
#include <utility>
#include <vector>

// Starts argv in `cwd` ("" = here) with environment changes; stdout and stderr go to logPath.
// Every descriptor above 2 is closed in the child except keepFd.
pid_t SpawnProgram(const std::vector<std::string>& argv, const std::string& cwd,
                   const std::vector<std::pair<std::string, std::string>>& setEnv,
                   const std::vector<std::string>& unsetEnv, const std::string& logPath, int keepFd = -1);
// Waits up to `seconds` for the child; its wait status, or -1 after killing it.
int WaitForChild(pid_t pid, double seconds);
// Polls until the file exists; false after `seconds`.
bool WaitForFile(const std::string& path, double seconds);

// A virtual display of its own (24-bit, 1920 x 1080) on a free number the server picks; stopped
// at the end of the scope. name() is "" when it could not start.
class VirtualDisplay {
 public:
  // extraArgs go to the X server (such as "-extension", "GLX" for a display without OpenGL).
  explicit VirtualDisplay(const std::vector<std::string>& extraArgs = {});
  ~VirtualDisplay();
  VirtualDisplay(const VirtualDisplay&) = delete;
  VirtualDisplay& operator=(const VirtualDisplay&) = delete;
  const std::string& name() const { return name_; }

 private:
  pid_t pid_ = -1;
  std::string name_;
};
