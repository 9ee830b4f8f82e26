// platform/web_browser: hands a web address to the user's browser.
#pragma once
#include <string>

// Opens an https address in the desktop's browser without waiting for it; false when the address
// is not https or no opener could be started. Any other scheme is refused, so a settings file can
// never make the program run a local file or a command.
bool OpenWebAddress(const std::string& address);

// Test seam: while set, the opener is called in place of the desktop's (nullptr restores it).
using WebAddressOpener = bool (*)(const std::string& address);
void WebBrowserSetOpenerForTesting(WebAddressOpener opener);
