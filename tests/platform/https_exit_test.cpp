// The program may end while a classroom request still waits in its TLS handshake (a server that
// connects and never answers): the exit must free nothing the request's thread still reads. Under
// ThreadSanitizer an exit that did so is reported and the child ends with the sanitizer's code.
#include <arpa/inet.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <cstdlib>
#include <string>
#include <thread>

#include "platform/https.h"

namespace {
// Listens on a free loopback port; the port, or 0.
int ListenOnLoopback(int* fd) {
  *fd = socket(AF_INET, SOCK_STREAM, 0);
  sockaddr_in address{};
  address.sin_family = AF_INET;
  address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
  socklen_t length = sizeof address;
  if (*fd < 0 || bind(*fd, (sockaddr*)&address, sizeof address) != 0 || listen(*fd, 4) != 0 ||
      getsockname(*fd, (sockaddr*)&address, &length) != 0)
    return 0;
  return ntohs(address.sin_port);
}

// The child: a request on its own thread reaches the handshake, then the process exits at once.
void ExitWhileAHandshakeWaits() {
  int listener = -1;
  int port = ListenOnLoopback(&listener);
  if (port == 0) std::_Exit(2);
  HttpsStartUp();
  std::string url = "https://127.0.0.1:" + std::to_string(port) + "/attendance";
  std::thread([url] {
    uint32_t status = 0;
    std::string reply, error;
    HttpsPost(url, "application/json", "test", "{}", &status, &reply, &error);
  }).detach();
  int peer = accept(listener, nullptr, nullptr);
  char hello = 0;
  // The client's first handshake bytes: its TLS state is set up and it waits for the answer.
  if (peer < 0 || recv(peer, &hello, 1, 0) != 1) std::_Exit(3);
  std::exit(0);
}
}  // namespace

TEST(HttpsExitDeathTest, ExitDuringAHandshakeFreesNothingTheRequestReads) {
  EXPECT_EXIT(ExitWhileAHandshakeWaits(), ::testing::ExitedWithCode(0), "");
}
