// platform/web_browser_xdg: the browser reached through "xdg-open", started without a shell; a
// short-lived thread reaps the opener so no zombie is left behind.
#include "platform/web_browser.h"

#include <errno.h>
#include <fcntl.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <thread>

extern char** environ;

// ---- state ----
static WebAddressOpener gOpenerForTesting = nullptr;  // replaces the desktop's opener in tests

// ---- internal helpers ----
static bool IsHttpsAddress(const std::string& address) {
  if (address.size() <= 8 || address.compare(0, 8, "https://") != 0) return false;
  for (char c : address)
    if ((unsigned char)c <= 32 || (unsigned char)c == 127) return false;
  return true;
}

// ---- public functions ----
bool OpenWebAddress(const std::string& address) {
  if (!IsHttpsAddress(address)) return false;
  if (gOpenerForTesting) return gOpenerForTesting(address);
  posix_spawn_file_actions_t actions;
  posix_spawn_file_actions_init(&actions);
  posix_spawn_file_actions_addopen(&actions, STDOUT_FILENO, "/dev/null", O_WRONLY, 0);
  posix_spawn_file_actions_addopen(&actions, STDERR_FILENO, "/dev/null", O_WRONLY, 0);
  std::string program = "xdg-open";
  char* argv[] = {program.data(), const_cast<char*>(address.c_str()), nullptr};
  pid_t pid = 0;
  int rc = posix_spawnp(&pid, argv[0], &actions, nullptr, argv, environ);
  posix_spawn_file_actions_destroy(&actions);
  if (rc != 0) return false;
  std::thread([pid] {
    int status = 0;
    while (waitpid(pid, &status, 0) < 0 && errno == EINTR) {
    }
  }).detach();
  return true;
}

void WebBrowserSetOpenerForTesting(WebAddressOpener opener) { gOpenerForTesting = opener; }
