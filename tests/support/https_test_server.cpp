// tests/support/https_test_server: certificates, the server process and its records.
#include "tests/support/https_test_server.h"

#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>

#include "tests/support/child_process.h"

// ---- internal helpers ----
static bool Run(const std::string& command) { return std::system((command + " >/dev/null 2>&1").c_str()) == 0; }

// A key and a certificate for subjectAltName san, signed by the authority ca (files ca.pem and
// ca.key in folder).
static bool MakeServerCertificate(const std::string& folder, const std::string& ca, const std::string& name,
                                  const std::string& san) {
  std::string ext = folder + "/" + name + ".ext";
  std::ofstream(ext) << "subjectAltName=" << san << "\nbasicConstraints=CA:FALSE\nextendedKeyUsage=serverAuth\n";
  std::string base = folder + "/" + name;
  return Run("openssl req -newkey ec -pkeyopt ec_paramgen_curve:prime256v1 -nodes -keyout " + base +
             ".key -out " + base + ".csr -subj /CN=" + name) &&
         Run("openssl x509 -req -in " + base + ".csr -CA " + folder + "/" + ca + ".pem -CAkey " + folder +
             "/" + ca + ".key -CAcreateserial -days 2 -out " + base + ".pem -extfile " + ext);
}

static bool MakeAuthority(const std::string& folder, const std::string& name) {
  return Run("openssl req -x509 -newkey ec -pkeyopt ec_paramgen_curve:prime256v1 -nodes -keyout " + folder +
             "/" + name + ".key -out " + folder + "/" + name + ".pem -days 2 -subj /CN=" + name +
             " -addext basicConstraints=critical,CA:TRUE -addext keyUsage=critical,keyCertSign,cRLSign");
}

// Made once per test process, in a folder kept until the process ends.
static const std::string& CertificateFolder() {
  static TempDir* folder = [] {
    TempDir* dir = new TempDir();
    const std::string& p = dir->path();
    bool made = MakeAuthority(p, "test_ca") && MakeAuthority(p, "other_ca") &&
                MakeServerCertificate(p, "test_ca", "trusted", "IP:127.0.0.1") &&
                MakeServerCertificate(p, "other_ca", "other_authority", "IP:127.0.0.1") &&
                MakeServerCertificate(p, "test_ca", "other_host", "DNS:classroom.invalid");
    if (!made) fprintf(stderr, "test certificates could not be made with openssl\n");
    // The folder object is never destroyed (servers may still read it while statics go), so the
    // files are removed at exit.
    std::atexit([] { std::error_code ec; std::filesystem::remove_all(folder->path(), ec); });
    return dir;
  }();
  static std::string path = folder->path();
  return path;
}

static std::string FromHex(const std::string& hex) {
  std::string out;
  for (size_t i = 0; i + 1 < hex.size(); i += 2) out.push_back((char)std::stoi(hex.substr(i, 2), nullptr, 16));
  return out;
}

static std::string Lower(std::string s) {
  for (char& c : s) c = (char)tolower((unsigned char)c);
  return s;
}

// ---- public functions ----
const std::string& TestCaFile() {
  static std::string file = CertificateFolder() + "/test_ca.pem";
  return file;
}

std::string RecordedRequest::Header(const std::string& name) const {
  for (const auto& h : headers)
    if (Lower(h.first) == Lower(name)) return h.second;
  return "";
}

bool RecordedRequest::HasHeader(const std::string& name) const {
  for (const auto& h : headers)
    if (Lower(h.first) == Lower(name)) return true;
  return false;
}

HttpsTestServer::HttpsTestServer(Cert cert) {
  const char* name = cert == Cert::kTrusted ? "trusted" : cert == Cert::kOtherAuthority ? "other_authority" : "other_host";
  std::string certs = CertificateFolder() + "/" + name;
  std::string python = access("/usr/bin/python3", X_OK) == 0 ? "/usr/bin/python3" : "python3";
  std::string script = std::string(TONVARRA_TEST_SUPPORT_DIR) + "/https_test_server.py";
  pid_ = SpawnProgram({python, script, certs + ".pem", certs + ".key", dir_.path()}, "", {}, {},
                      dir_.File("server.log"));
  if (pid_ > 0 && WaitForFile(dir_.File("port"), 10.0)) port_ = atoi(ReadFileBytes(dir_.File("port")).c_str());
}

HttpsTestServer::~HttpsTestServer() { Stop(); }

void HttpsTestServer::Stop() {
  if (pid_ <= 0) return;
  kill(pid_, SIGTERM);
  WaitForChild(pid_, 5.0);
  pid_ = -1;
}

std::string HttpsTestServer::BaseUrl() const { return "https://127.0.0.1:" + std::to_string(port_); }

void HttpsTestServer::SetRoutes(const std::string& json) {
  WriteFileBytes(dir_.File("routes.tmp"), json);
  rename(dir_.File("routes.tmp").c_str(), dir_.File("routes.json").c_str());
}

std::vector<RecordedRequest> HttpsTestServer::Requests() const {
  std::vector<RecordedRequest> out;
  std::istringstream lines(ReadFileBytes(dir_.File("requests.log")));
  std::string line;
  while (std::getline(lines, line)) {
    std::istringstream fields(line);
    std::string head, body;
    RecordedRequest r;
    std::getline(fields, r.method, '\t');
    std::getline(fields, r.path, '\t');
    std::getline(fields, head, '\t');
    std::getline(fields, body, '\t');
    r.body = FromHex(body);
    std::istringstream headLines(FromHex(head));
    std::string h;
    while (std::getline(headLines, h)) {
      if (!h.empty() && h.back() == '\r') h.pop_back();
      size_t colon = h.find(':');
      if (colon == std::string::npos) continue;
      size_t v = h.find_first_not_of(' ', colon + 1);
      r.headers.push_back({h.substr(0, colon), v == std::string::npos ? "" : h.substr(v)});
    }
    out.push_back(r);
  }
  return out;
}

int HttpsTestServer::Connections() const {
  std::string log = ReadFileBytes(dir_.File("connections.log"));
  int n = 0;
  for (char c : log) n += c == '\n';
  return n;
}

std::string RouteText(const std::string& text) {
  std::string out = "\"";
  for (unsigned char c : text) {
    if (c == '"' || c == '\\') {
      out.push_back('\\');
      out.push_back((char)c);
    } else if (c < 0x20) {
      char buf[8];
      snprintf(buf, sizeof buf, "\\u%04x", c);
      out += buf;
    } else {
      out.push_back((char)c);
    }
  }
  return out + "\"";
}
