// The browser opener takes https addresses only, so a settings value can never start a local file
// or a command line.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "platform/web_browser.h"

namespace {
std::vector<std::string> gOpened;
bool Record(const std::string& address) {
  gOpened.push_back(address);
  return true;
}
}  // namespace

TEST(WebBrowser, OnlyWellFormedHttpsAddressesReachTheOpener) {
  WebBrowserSetOpenerForTesting(Record);
  const struct { const char* address; bool opened; } cases[] = {
      {"https://example.org/pricing?a=1", true},
      {"http://example.org/", false},
      {"file:///etc/passwd", false},
      {"https://", false},
      {"https://example.org/a b", false},
      {"https://example.org/\nrm", false},
      {" https://example.org/", false},
      {"HTTPS://example.org/", false},
  };
  for (const auto& c : cases) EXPECT_EQ(OpenWebAddress(c.address), c.opened) << c.address;
  WebBrowserSetOpenerForTesting(nullptr);
  EXPECT_EQ(gOpened, std::vector<std::string>{"https://example.org/pricing?a=1"});
}
