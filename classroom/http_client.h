// classroom/http_client: the classroom API's requests: one HTTPS POST of a JSON body, and the
// same against the configured base address with the API's success rule.
//
// Never called on the UI thread: every request runs on a classroom worker (background_job.h).
#pragma once
#include <cstdint>
#include <string>

// One POST of body to url (https only). True exactly when the exchange completed, whatever the
// status; *status is 0 when no answer was read, *reply all that arrived (kept on failure), *error
// an internal text on failure ("" on success), never shown to the user.
bool HttpPostJson(const std::string& url, const std::string& body, uint32_t* status,
                  std::string* reply, std::string* error);

// 200..299.
bool IsSuccessStatus(uint32_t status);

// POSTs body to the base address followed by path. True exactly when the exchange completed
// with a success status. *status (when given) is the status the server answered with, also when
// its reply was too long or cut short (then false), and 0 when no answer came. *error (when
// given) is HttpPostJson's internal text: "" when the exchange completed, so a failure with a
// status and no error is the server's own refusal. Without a server set up it fails at once with
// status 0 and sends nothing.
bool ApiPostJson(const std::string& path, const std::string& body, std::string* reply,
                 uint32_t* status = nullptr, std::string* error = nullptr);
