// classroom/http_client: the transport and the API's success rule.
//
// Depends on platform/ (the HTTPS POST) and the classroom settings (the base address).
#include "classroom/http_client.h"

#include "classroom/classroom_settings.h"
#include "platform/https.h"

// ---- constants ----
static const char kUserAgent[] = "Quillmere/1.0";
static const char kContentType[] = "application/json";

// ---- public functions ----
bool HttpPostJson(const std::string& url, const std::string& body, uint32_t* status,
                  std::string* reply, std::string* error) {
  return HttpsPost(url, kContentType, kUserAgent, body, status, reply, error);
}

bool IsSuccessStatus(uint32_t status) { return status >= 200 && status <= 299; }

bool ApiPostJson(const std::string& path, const std::string& body, std::string* reply,
                 uint32_t* status, std::string* error) {
  reply->clear();
  if (status) *status = 0;
  if (error) error->clear();
  if (!ClassroomServerConfigured()) return false;
  uint32_t answered = 0;
  std::string transport;
  bool completed = HttpPostJson(gClassroomServer + path, body, &answered, reply, &transport);
  // A server that answered with a reply too long or cut short was reached: its status is kept, so
  // the user is not told the server could not be reached. Such a reply is never a success.
  if (status) *status = answered;
  if (error) *error = transport;
  return completed && IsSuccessStatus(answered);
}
