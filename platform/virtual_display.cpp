// platform/virtual_display: Xvfb started with -displayfd, so the server picks a free display
// number itself and tells it through a pipe; no fixed numbers, no races between processes.
#include "platform/virtual_display.h"

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <sys/prctl.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdlib>

// ---- state ----
static pid_t gXvfbPid = -1;  // the server this process started, -1 when none

bool StartVirtualDisplay(std::string* error) {
  if (gXvfbPid > 0) return true;
  int fds[2];
  if (pipe(fds) != 0) {
    if (error) *error = "pipe failed";
    return false;
  }
  pid_t pid = fork();
  if (pid < 0) {
    close(fds[0]);
    close(fds[1]);
    if (error) *error = "fork failed";
    return false;
  }
  if (pid == 0) {
    // The server goes with the process that started it, even when that one crashes.
    prctl(PR_SET_PDEATHSIG, SIGTERM);
    close(fds[0]);
    if (fds[1] != 3) {
      dup2(fds[1], 3);
      close(fds[1]);
    }
    int devnull = open("/dev/null", O_RDWR);
    if (devnull >= 0) {
      dup2(devnull, 1);
      dup2(devnull, 2);
    }
    execlp("Xvfb", "Xvfb", "-displayfd", "3", "-screen", "0", "1920x1080x24", "-nolisten", "tcp", "-noreset",
           (char*)nullptr);
    _exit(127);
  }
  close(fds[1]);
  std::string number;
  struct pollfd p = {fds[0], POLLIN, 0};
  for (;;) {
    if (poll(&p, 1, 10000) <= 0) break;
    char c;
    ssize_t got = read(fds[0], &c, 1);
    if (got <= 0 || c == '\n') break;
    number.push_back(c);
  }
  close(fds[0]);
  if (number.empty()) {
    kill(pid, SIGTERM);
    waitpid(pid, nullptr, 0);
    if (error) *error = "Xvfb did not report a display";
    return false;
  }
  gXvfbPid = pid;
  setenv("DISPLAY", (":" + number).c_str(), 1);
  return true;
}

void StopVirtualDisplay() {
  if (gXvfbPid <= 0) return;
  kill(gXvfbPid, SIGTERM);
  waitpid(gXvfbPid, nullptr, 0);
  gXvfbPid = -1;
}
