// tests/support/child_process: fork and exec with a deadline, and a private Xvfb.
#include "tests/support/child_process.h"

#include <fcntl.h>
#include <signal.h>
#include <sys/prctl.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdlib>
#include <thread>

#include "tests/support/test_support.h"

pid_t SpawnProgram(const std::vector<std::string>& argv, const std::string& cwd,
                   const std::vector<std::pair<std::string, std::string>>& setEnv,
                   const std::vector<std::string>& unsetEnv, const std::string& logPath, int keepFd) {
  pid_t pid = fork();
  if (pid != 0) return pid;
  // A test process that dies takes its children (Xvfb above all) with it.
  prctl(PR_SET_PDEATHSIG, SIGTERM);
  if (!cwd.empty() && chdir(cwd.c_str()) != 0) _exit(126);
  int out = open(logPath.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
  if (out >= 0) dup2(out, 1), dup2(out, 2);
  for (const auto& name : unsetEnv) unsetenv(name.c_str());
  for (const auto& kv : setEnv) setenv(kv.first.c_str(), kv.second.c_str(), 1);
  for (int fd = 3; fd < 256; ++fd)
    if (fd != keepFd) close(fd);
  std::vector<char*> args;
  for (const auto& a : argv) args.push_back((char*)a.c_str());
  args.push_back(nullptr);
  execvp(args[0], args.data());
  _exit(127);
}

int WaitForChild(pid_t pid, double seconds) {
  auto end = std::chrono::steady_clock::now() + std::chrono::duration<double>(seconds);
  int status = 0;
  while (std::chrono::steady_clock::now() < end) {
    if (waitpid(pid, &status, WNOHANG) == pid) return status;
    std::this_thread::sleep_for(std::chrono::milliseconds(20));
  }
  kill(pid, SIGKILL);
  waitpid(pid, &status, 0);
  return -1;
}

bool WaitForFile(const std::string& path, double seconds) {
  auto end = std::chrono::steady_clock::now() + std::chrono::duration<double>(seconds);
  while (std::chrono::steady_clock::now() < end) {
    if (FileExists(path)) return true;
    std::this_thread::sleep_for(std::chrono::milliseconds(50));
  }
  return false;
}

VirtualDisplay::VirtualDisplay(const std::vector<std::string>& extraArgs) {
  int fds[2];
  if (pipe(fds) != 0) return;
  std::vector<std::string> args = {"Xvfb", "-displayfd", std::to_string(fds[1]), "-screen", "0", "1920x1080x24",
                                   "-nolisten", "tcp"};
  args.insert(args.end(), extraArgs.begin(), extraArgs.end());
  pid_ = SpawnProgram(args, "", {}, {}, "/dev/null", fds[1]);
  close(fds[1]);
  std::string number;
  char c;
  while (read(fds[0], &c, 1) == 1 && c != '\n') number += c;
  close(fds[0]);
  if (!number.empty()) name_ = ":" + number;
}

VirtualDisplay::~VirtualDisplay() {
  if (pid_ <= 0) return;
  kill(pid_, SIGTERM);
  WaitForChild(pid_, 5);
}
