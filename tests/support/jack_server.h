// tests/support/jack_server: a JACK server (dummy backend) of one test process alone, for the tests
// that play MIDI through a second client. JACK serves at most 8 servers on one machine and wedges
// when many run at once, so these tests take turns machine-wide through one lock file.
#pragma once
#include <sys/types.h>

#include <string>

#include "tests/support/test_support.h"

class PrivateJackServer {
 public:
  // Starts the server under a private name and points this process (and its children) at it. A
  // period in frames at 48 kHz; real time asks for the server's real-time priority (where the
  // machine refuses it, every other try goes without).
  // Synchronous: the server waits for every client each cycle, so a late client delays the cycle
  // instead of losing or repeating its buffer.
  explicit PrivateJackServer(const char* period = "128", bool realtime = false, bool synchronous = false);
  // The program's clients go first, then the server; releases the turn.
  ~PrivateJackServer();
  PrivateJackServer(const PrivateJackServer&) = delete;
  PrivateJackServer& operator=(const PrivateJackServer&) = delete;
  bool up() const { return up_; }
  // Stops the server with the program's clients still on it, as a user stopping it would.
  void Stop();
  // Starts it again under the same name; false when it does not come up.
  bool StartAgain();
  std::string Log() const;

 private:
  TempDir dir_;
  void Launch();
  std::string name_;
  std::string period_;
  bool realtime_ = false, synchronous_ = false;
  pid_t pid_ = -1;
  bool up_ = false;
  int lock_ = -1;
};
