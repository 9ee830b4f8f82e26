// tests/support/jack_server: the private JACK server of a test process.
#include "tests/support/jack_server.h"

#include <chrono>
#include <cstdlib>
#include <fcntl.h>
#include <signal.h>
#include <sys/file.h>
#include <thread>
#include <unistd.h>
#include <utility>
#include <vector>

#include "platform/clock.h"
#include "platform/midi_ports.h"
#include "tests/support/child_process.h"

namespace {

void SleepMs(int ms) { std::this_thread::sleep_for(std::chrono::milliseconds(ms)); }

void StopChild(pid_t pid) {
  kill(pid, SIGTERM);
  if (WaitForChild(pid, 5) == -1) kill(pid, SIGKILL);
}

}  // namespace

PrivateJackServer::PrivateJackServer(const char* period, bool realtime, bool synchronous)
    : period_(period), realtime_(realtime), synchronous_(synchronous) {
  lock_ = open("/tmp/tonvarra-jack-tests.lock", O_RDWR | O_CREAT | O_CLOEXEC, 0666);
  for (int i = 0; lock_ >= 0 && i < 1200 && flock(lock_, LOCK_EX | LOCK_NB) != 0; ++i) SleepMs(100);
  name_ = "tvtest" + std::to_string(getpid()) + "_" + std::to_string(ClockTickMs64() % 100000);
  setenv("JACK_DEFAULT_SERVER", name_.c_str(), 1);
  setenv("JACK_NO_START_SERVER", "1", 1);
  Launch();
}

void PrivateJackServer::Launch() {
  std::vector<std::pair<std::string, std::string>> env = {{"JACK_NO_START_SERVER", "1"}};
  up_ = false;
  for (int attempt = 0; attempt < 40 && !up_; ++attempt) {
    if (attempt > 0) SleepMs(500 + (getpid() % 7) * 100);
    std::vector<std::string> args = {"jackd", "-n", name_, "-r", "-d", "dummy", "-r", "48000", "-p", period_};
    if (realtime_ && attempt % 2 == 0) args.erase(args.begin() + 3);
    if (synchronous_) args.insert(args.begin() + 1, "-S");
    pid_ = SpawnProgram(args, "", env, {}, dir_.File("jackd.log"));
    pid_t wait = SpawnProgram({"jack_wait", "-s", name_, "-w", "-t", "10"}, "", env, {}, dir_.File("wait.log"));
    up_ = pid_ > 0 && wait > 0 && WaitForChild(wait, 15) == 0;
    if (!up_ && pid_ > 0) StopChild(pid_), pid_ = -1;
  }
}

void PrivateJackServer::Stop() {
  if (pid_ > 0) StopChild(pid_);
  pid_ = -1;
  up_ = false;
}

bool PrivateJackServer::StartAgain() {
  if (!up_) Launch();
  return up_;
}

PrivateJackServer::~PrivateJackServer() {
  MidiPortsShutdown();  // the program's clients go before their server
  if (pid_ > 0) StopChild(pid_);
  if (lock_ >= 0) close(lock_);  // releases the turn
}

std::string PrivateJackServer::Log() const { return ReadFileBytes(dir_.File("jackd.log")); }
