// platform/https_curl: the HTTPS POST over libcurl's easy interface, one handle per call.
#include "platform/https.h"

#include <curl/curl.h>
#include <openssl/crypto.h>

#include <cstdlib>
#include <mutex>

// ---- constants ----
const size_t kHttpsReplyCap = 1u << 20;
static const long kConnectMs = 8000;     // resolve, connect and handshake
static const long kStallMs = 12000;      // a send or receive that moves nothing this long fails
static const long kTotalMs = 60000;      // the whole exchange

// ---- state ----
// The test seams. Never destroyed, so a worker still running at exit never meets a dead mutex.
struct HttpsTestSettings {
  std::mutex mutex;
  std::string caFile;            // "" = the system store
  long connectMs = 0, stallMs = 0, totalMs = 0;   // 0 = the real limits
};
static HttpsTestSettings& TestSettings() {
  static HttpsTestSettings* settings = new HttpsTestSettings();
  return *settings;
}
static std::once_flag gStartUpOnce;

// ---- internal helpers ----
// The reply so far and whether the cap cut it.
struct ReplySink {
  std::string* reply;
  bool overCap = false;
};

static size_t AppendReply(char* data, size_t size, size_t count, void* user) {
  ReplySink* sink = (ReplySink*)user;
  size_t n = size * count;
  size_t room = kHttpsReplyCap - sink->reply->size();
  if (n > room) {
    sink->reply->append(data, room);
    sink->overCap = true;
    return 0;   // anything short of n ends the transfer with a write error
  }
  sink->reply->append(data, n);
  return n;
}

static bool IsHttpsAddress(const std::string& url) {
  static const char kScheme[] = "https://";
  if (url.size() <= sizeof kScheme - 1) return false;
  for (size_t i = 0; i < sizeof kScheme - 1; ++i) {
    char c = url[i];
    if (c >= 'A' && c <= 'Z') c = (char)(c - 'A' + 'a');
    if (c != kScheme[i]) return false;
  }
  return true;
}

static const char* FailureText(CURLcode code, bool overCap) {
  if (overCap) return "reply too large";
  switch (code) {
    case CURLE_URL_MALFORMAT:
    case CURLE_UNSUPPORTED_PROTOCOL: return "Invalid URL";
    case CURLE_COULDNT_RESOLVE_HOST:
    case CURLE_COULDNT_CONNECT: return "connect failed";
    case CURLE_OPERATION_TIMEDOUT: return "timed out";
    case CURLE_PEER_FAILED_VERIFICATION:
    case CURLE_SSL_CONNECT_ERROR:
    case CURLE_SSL_CACERT_BADFILE: return "TLS failed";
    case CURLE_GOT_NOTHING: return "no answer";
    case CURLE_PARTIAL_FILE:
    case CURLE_RECV_ERROR: return "read failed";
    case CURLE_SEND_ERROR: return "send failed";
    default: return "request failed";
  }
}

// ---- public functions ----
void HttpsStartUp() {
  std::call_once(gStartUpOnce, [] {
    // A request still in its handshake when the program exits goes on reading OpenSSL's tables
    // and locks; OpenSSL's own exit handler would free them under it. Asked first, before curl
    // starts it, OpenSSL leaves them to the end of the process.
    OPENSSL_init_crypto(OPENSSL_INIT_NO_ATEXIT, nullptr);
    curl_global_init(CURL_GLOBAL_DEFAULT);
  });
}

// Loopback is never sent through a proxy taken from the environment; neither is any host the
// user's own no_proxy names, which curl reads only when the list is left to it.
static std::string DirectHosts() {
  std::string hosts = "localhost,127.0.0.1,::1";
  const char* user = getenv("no_proxy");
  if (!user || !*user) user = getenv("NO_PROXY");
  if (user && *user) {
    if (std::string(user) == "*") return "*";
    hosts += ',';
    hosts += user;
  }
  return hosts;
}

bool HttpsPost(const std::string& url, const std::string& contentType, const std::string& userAgent,
               const std::string& body, uint32_t* status, std::string* reply, std::string* error) {
  *status = 0;
  reply->clear();
  *error = "Invalid URL";
  if (!IsHttpsAddress(url)) return false;
  HttpsStartUp();

  std::string caFile;
  long connectMs, stallMs, totalMs;
  {
    HttpsTestSettings& s = TestSettings();
    std::lock_guard<std::mutex> lock(s.mutex);
    caFile = s.caFile;
    connectMs = s.connectMs > 0 ? s.connectMs : kConnectMs;
    stallMs = s.stallMs > 0 ? s.stallMs : kStallMs;
    totalMs = s.totalMs > 0 ? s.totalMs : kTotalMs;
  }

  CURL* curl = curl_easy_init();
  if (!curl) {
    *error = "request failed";
    return false;
  }
  std::string typeHeader = "Content-Type: " + contentType;
  curl_slist* headers = curl_slist_append(nullptr, typeHeader.c_str());
  headers = curl_slist_append(headers, "Expect:");   // an empty value removes curl's own header
  headers = curl_slist_append(headers, "Accept:");
  ReplySink sink{reply};

  curl_easy_setopt(curl, CURLOPT_URL, url.c_str());
  curl_easy_setopt(curl, CURLOPT_PROTOCOLS_STR, "https");
  curl_easy_setopt(curl, CURLOPT_FOLLOWLOCATION, 0L);
  curl_easy_setopt(curl, CURLOPT_NOSIGNAL, 1L);
  curl_easy_setopt(curl, CURLOPT_VERBOSE, 0L);
  curl_easy_setopt(curl, CURLOPT_SSL_VERIFYPEER, 1L);
  curl_easy_setopt(curl, CURLOPT_SSL_VERIFYHOST, 2L);
  if (!caFile.empty()) curl_easy_setopt(curl, CURLOPT_CAINFO, caFile.c_str());
  curl_easy_setopt(curl, CURLOPT_FRESH_CONNECT, 1L);
  curl_easy_setopt(curl, CURLOPT_FORBID_REUSE, 1L);
  const std::string direct = DirectHosts();
  curl_easy_setopt(curl, CURLOPT_NOPROXY, direct.c_str());
  curl_easy_setopt(curl, CURLOPT_CONNECTTIMEOUT_MS, connectMs);
  curl_easy_setopt(curl, CURLOPT_LOW_SPEED_LIMIT, 1L);
  curl_easy_setopt(curl, CURLOPT_LOW_SPEED_TIME, (stallMs + 999) / 1000);
  curl_easy_setopt(curl, CURLOPT_TIMEOUT_MS, totalMs);
  curl_easy_setopt(curl, CURLOPT_USERAGENT, userAgent.c_str());
  curl_easy_setopt(curl, CURLOPT_HTTPHEADER, headers);
  curl_easy_setopt(curl, CURLOPT_POST, 1L);
  curl_easy_setopt(curl, CURLOPT_POSTFIELDS, body.data());
  curl_easy_setopt(curl, CURLOPT_POSTFIELDSIZE_LARGE, (curl_off_t)body.size());
  curl_easy_setopt(curl, CURLOPT_WRITEFUNCTION, AppendReply);
  curl_easy_setopt(curl, CURLOPT_WRITEDATA, &sink);

  CURLcode code = curl_easy_perform(curl);
  long answered = 0;
  if (curl_easy_getinfo(curl, CURLINFO_RESPONSE_CODE, &answered) == CURLE_OK && answered > 0)
    *status = (uint32_t)answered;
  curl_easy_cleanup(curl);
  curl_slist_free_all(headers);

  if (code == CURLE_OK && !sink.overCap) {
    error->clear();
    return true;
  }
  *error = FailureText(code, sink.overCap);
  return false;
}

void HttpsSetCaFileForTesting(const std::string& path) {
  std::lock_guard<std::mutex> lock(TestSettings().mutex);
  TestSettings().caFile = path;
}

void HttpsSetTimeoutsForTesting(long connectMs, long stallMs, long totalMs) {
  std::lock_guard<std::mutex> lock(TestSettings().mutex);
  TestSettings().connectMs = connectMs;
  TestSettings().stallMs = stallMs;
  TestSettings().totalMs = totalMs;
}
