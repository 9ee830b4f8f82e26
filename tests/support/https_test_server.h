// tests/support/https_test_server: a real HTTPS server on 127.0.0.1 for the classroom client.
//
// python3's standard library serves scripted replies per path (see https_test_server.py) with a
// certificate made at test time by openssl: one from the test authority for IP 127.0.0.1, one from
// another authority, and one from the test authority for another host. Every connection and every
// request is recorded.
#pragma once
#include <sys/types.h>

#include <string>
#include <utility>
#include <vector>

#include "tests/support/test_support.h"

// The test authority's certificate file (the client trusts it in place of the system store).
const std::string& TestCaFile();

// One recorded request.
struct RecordedRequest {
  std::string method, path;
  std::vector<std::pair<std::string, std::string>> headers;   // in the order sent
  std::string body;
  // The value of the header named name (any case), or "" when absent.
  std::string Header(const std::string& name) const;
  bool HasHeader(const std::string& name) const;
};

class HttpsTestServer {
 public:
  enum class Cert { kTrusted, kOtherAuthority, kOtherHost };
  explicit HttpsTestServer(Cert cert = Cert::kTrusted);
  ~HttpsTestServer();
  HttpsTestServer(const HttpsTestServer&) = delete;
  HttpsTestServer& operator=(const HttpsTestServer&) = delete;

  bool ok() const { return port_ > 0; }
  int port() const { return port_; }
  std::string BaseUrl() const;   // "https://127.0.0.1:<port>"
  // Replaces the routes: a JSON object from path to a list of replies (see the script).
  void SetRoutes(const std::string& json);
  std::vector<RecordedRequest> Requests() const;
  int Connections() const;
  // Stops the server (later requests find nothing listening).
  void Stop();

 private:
  TempDir dir_;
  pid_t pid_ = -1;
  int port_ = 0;
};

// A JSON string literal of text (quotes and backslashes escaped) for building routes.
std::string RouteText(const std::string& text);
