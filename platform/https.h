// platform/https: one blocking HTTPS POST (libcurl behind it).
//
// The policy is fixed here and cannot be loosened by callers: https addresses only (anything else
// opens no connection), the peer's certificate checked against the system's authorities and its
// host name against the address, redirects not followed (a 3xx is the answer), a new connection
// per call with no cookies and no reuse, no signals, and only the content type, the user agent and
// the body sent (no Expect or Accept header). Time limits: 8 s to resolve, connect and finish the
// handshake; a send or a receive that moves no byte for 12 s fails; the whole exchange at most 60 s.
// A reply is read up to 1 MiB; a longer one fails with what arrived kept.
#pragma once
#include <cstddef>
#include <cstdint>
#include <string>

// The largest reply read, in bytes.
extern const size_t kHttpsReplyCap;

// Readies the HTTPS layer once; called on the UI thread at start-up (later calls do nothing).
void HttpsStartUp();

// POSTs body with "Content-Type: <contentType>" and the user agent; blocks its thread. True exactly
// when the reply was read to its end (whatever the status). *status is the status read (0 when no
// answer came), *reply every byte received (kept on failure), *error a short internal text on
// failure and "" on success. Safe on several threads at once.
bool HttpsPost(const std::string& url, const std::string& contentType, const std::string& userAgent,
               const std::string& body, uint32_t* status, std::string* reply, std::string* error);

// Test seams: a certificate-authority file in place of the system store ("" restores it), and
// shorter limits in milliseconds (0 restores each).
void HttpsSetCaFileForTesting(const std::string& path);
void HttpsSetTimeoutsForTesting(long connectMs, long stallMs, long totalMs);
