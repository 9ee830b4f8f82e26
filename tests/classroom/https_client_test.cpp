// The classroom transport against a real HTTPS server: statuses, redirects, the reply cap, cut
// and stalled replies, refused certificates and what a request carries.
#include <arpa/inet.h>
#include <chrono>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

#include "classroom/http_client.h"
#include "tests/classroom/classroom_fixture.h"

namespace {

struct TransportCase {
  const char* name;
  std::string reply;         // one scripted reply (JSON object)
  bool completed;            // HttpPostJson's result
  uint32_t status;
  size_t replySize;
  bool apiSuccess;           // ApiPostJson's result
};

// A listening socket on 127.0.0.1 that never answers; its port in *port.
int ListenOnLoopback(int* port) {
  int listener = socket(AF_INET, SOCK_STREAM | SOCK_NONBLOCK, 0);
  sockaddr_in addr{};
  addr.sin_family = AF_INET;
  addr.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
  if (bind(listener, (sockaddr*)&addr, sizeof addr) != 0 || listen(listener, 8) != 0) return -1;
  socklen_t len = sizeof addr;
  getsockname(listener, (sockaddr*)&addr, &len);
  *port = ntohs(addr.sin_port);
  return listener;
}

class HttpsClientTest : public ClassroomTest {
 protected:
  HttpsTestServer server_;
};

TEST_F(HttpsClientTest, StatusesCapsAndCutReplies) {
  ASSERT_TRUE(server_.ok());
  InstitutionDevice(server_.BaseUrl());
  const size_t cap = kHttpsReplyCap;
  const TransportCase cases[] = {
      {"200", R"({"status":200,"body":"{\"ok\":true}"})", true, 200, 11, true},
      {"204 no body", R"({"status":204})", true, 204, 0, true},
      {"299", R"({"status":299,"body":"x"})", true, 299, 1, true},
      {"300", R"({"status":300,"body":"x"})", true, 300, 1, false},
      {"302 not followed", R"({"status":302,"headers":{"Location":"/moved"}})", true, 302, 0, false},
      {"500 with body", R"({"status":500,"body":"{\"error\":\"down\"}"})", true, 500, 16, false},
      {"exactly the cap", R"({"body_size":)" + std::to_string(cap) + "}", true, 200, cap, true},
      {"over the cap", R"({"body_size":)" + std::to_string(cap + 1) + "}", false, 200, cap, false},
      {"cut short", R"({"body":"abc","content_length":10})", false, 200, 3, false},
      {"closed before answering", R"({"close_before_answer":true})", false, 0, 0, false},
      {"trickled within the limits", R"({"body_size":1000,"trickle_chunk":100,"trickle_ms":60})", true, 200, 1000, true},
  };
  for (const TransportCase& c : cases) {
    SCOPED_TRACE(c.name);
    server_.SetRoutes(R"({"/t":[)" + c.reply + "], \"/moved\":[{\"body\":\"moved\"}]}");
    uint32_t status = 7;
    std::string reply, error;
    EXPECT_EQ(HttpPostJson(server_.BaseUrl() + "/t", "{}", &status, &reply, &error), c.completed);
    EXPECT_EQ(status, c.status);
    EXPECT_EQ(reply.size(), c.replySize);
    EXPECT_EQ(error.empty(), c.completed);

    uint32_t apiStatus = 7;
    std::string apiError = "old";
    EXPECT_EQ(ApiPostJson("/t", "{}", &reply, &apiStatus, &apiError), c.apiSuccess);
    EXPECT_EQ(apiStatus, c.status) << "an answer too long or cut short still says the server was reached";
    EXPECT_EQ(apiError, error) << "the caller learns why the exchange did not complete";
  }
  for (const RecordedRequest& r : server_.Requests()) EXPECT_EQ(r.path, "/t");   // no redirect followed
}

TEST_F(HttpsClientTest, AnInformationalStatusAloneIsNoSuccess) {
  ASSERT_TRUE(server_.ok());
  InstitutionDevice(server_.BaseUrl());
  server_.SetRoutes(R"({"/t":[{"status":199}]})");
  std::string reply;
  EXPECT_FALSE(ApiPostJson("/t", "{}", &reply));
  EXPECT_FALSE(IsSuccessStatus(199));
  EXPECT_TRUE(IsSuccessStatus(200));
  EXPECT_TRUE(IsSuccessStatus(299));
  EXPECT_FALSE(IsSuccessStatus(300));
}

TEST_F(HttpsClientTest, AStalledReplyFailsWithinTheShortenedLimit) {
  ASSERT_TRUE(server_.ok());
  server_.SetRoutes(R"({"/t":[{"body":"late","stall_ms":10000}]})");
  uint32_t status = 0;
  std::string reply, error;
  auto start = std::chrono::steady_clock::now();
  EXPECT_FALSE(HttpPostJson(server_.BaseUrl() + "/t", "{}", &status, &reply, &error));
  double seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
  EXPECT_LT(seconds, 5.0);   // the whole-exchange limit (6 s) never came into it
  EXPECT_EQ(status, 200u);   // the headers came; the body never did
  EXPECT_FALSE(error.empty());
}

TEST_F(HttpsClientTest, TheRequestCarriesItsTypeAgentAndBodyOnly) {
  ASSERT_TRUE(server_.ok());
  server_.SetRoutes(R"({"/api/x":[{"body":"{}"}]})");
  std::string body = "{\"name\":\"" + std::string(3000, 'a') + "\"}";   // large enough to tempt an Expect header
  uint32_t status = 0;
  std::string reply, error;
  ASSERT_TRUE(HttpPostJson(server_.BaseUrl() + "/api/x?v=1", body, &status, &reply, &error));
  std::vector<RecordedRequest> requests = server_.Requests();
  ASSERT_EQ(requests.size(), 1u);
  const RecordedRequest& r = requests[0];
  EXPECT_EQ(r.method, "POST");
  EXPECT_EQ(r.path, "/api/x?v=1");
  EXPECT_EQ(r.body, body);
  EXPECT_EQ(r.Header("Content-Type"), "application/json");
  EXPECT_EQ(r.Header("User-Agent"), "Quillmere/1.0");
  EXPECT_FALSE(r.HasHeader("Expect"));
  EXPECT_FALSE(r.HasHeader("Accept"));
  EXPECT_FALSE(r.HasHeader("Cookie"));
}

TEST_F(HttpsClientTest, CertificatesOfAnotherAuthorityOrHostAreRefusedBeforeTheBody) {
  for (HttpsTestServer::Cert cert : {HttpsTestServer::Cert::kOtherAuthority, HttpsTestServer::Cert::kOtherHost}) {
    HttpsTestServer other(cert);
    ASSERT_TRUE(other.ok());
    other.SetRoutes(R"({"/t":[{"body":"{}"}]})");
    uint32_t status = 9;
    std::string reply, error;
    EXPECT_FALSE(HttpPostJson(other.BaseUrl() + "/t", "{\"secret\":1}", &status, &reply, &error));
    EXPECT_EQ(status, 0u);
    EXPECT_EQ(other.Connections(), 1);
    EXPECT_TRUE(other.Requests().empty());
  }
}

TEST_F(HttpsClientTest, WithoutTheTestAuthorityTheSystemStoreRefusesTheServer) {
  ASSERT_TRUE(server_.ok());
  HttpsSetCaFileForTesting("");
  uint32_t status = 0;
  std::string reply, error;
  EXPECT_FALSE(HttpPostJson(server_.BaseUrl() + "/t", "{}", &status, &reply, &error));
  EXPECT_TRUE(server_.Requests().empty());
}

TEST_F(HttpsClientTest, AnHttpAddressOrNoServerOpensNoConnection) {
  int port = 0;
  const int listener = ListenOnLoopback(&port);
  ASSERT_GE(listener, 0);
  std::string http = "http://127.0.0.1:" + std::to_string(port);

  uint32_t status = 5;
  std::string reply = "old", error;
  EXPECT_FALSE(HttpPostJson(http + "/t", "{}", &status, &reply, &error));
  EXPECT_EQ(status, 0u);
  EXPECT_EQ(reply, "");
  EXPECT_EQ(error, "Invalid URL");

  Settings("server=" + http + "\n");   // an http server counts as none
  EXPECT_FALSE(ClassroomServerConfigured());
  EXPECT_FALSE(ApiPostJson("/t", "{}", &reply, &status));
  EXPECT_EQ(status, 0u);
  EXPECT_LT(accept(listener, nullptr, nullptr), 0);   // nobody knocked
  close(listener);
}

// A school sends the web through a proxy and names the hosts reached directly in no_proxy: the
// classroom server among them must not be asked of the proxy.
TEST_F(HttpsClientTest, HostsTheUserSendsDirectNeverReachTheProxy) {
  int port = 0;
  const int proxy = ListenOnLoopback(&port);
  ASSERT_GE(proxy, 0);
  setenv("https_proxy", ("http://127.0.0.1:" + std::to_string(port)).c_str(), 1);
  HttpsSetTimeoutsForTesting(400, 400, 600);
  auto proxyKnocked = [&] {
    bool knocked = false;
    for (int fd; (fd = accept(proxy, nullptr, nullptr)) >= 0;) {
      knocked = true;
      close(fd);
    }
    return knocked;
  };
  const struct {
    const char* name;
    const char* value;
    bool viaProxy;
  } cases[] = {
      {nullptr, nullptr, true},   // the proxy is used at all: the cases below prove something
      {"no_proxy", "127.0.0.2", false},
      {"NO_PROXY", "example.org,127.0.0.2", false},
      {"no_proxy", "*", false},
      {"no_proxy", "example.org", true},
  };
  for (const auto& c : cases) {
    unsetenv("no_proxy");
    unsetenv("NO_PROXY");
    if (c.name) setenv(c.name, c.value, 1);
    uint32_t status = 0;
    std::string reply, error;
    // Port 1 on 127.0.0.2 takes no connection: asked directly the request fails at once.
    EXPECT_FALSE(HttpPostJson("https://127.0.0.2:1/t", "{}", &status, &reply, &error));
    EXPECT_EQ(proxyKnocked(), c.viaProxy) << (c.value ? c.value : "no no_proxy");
  }
  unsetenv("no_proxy");
  unsetenv("NO_PROXY");
  unsetenv("https_proxy");
  close(proxy);
}

}  // namespace
