// app/base/status_text: the one-line status message of the main view; many floors write it.
#pragma once
#include <iosfwd>
#include <string>

// The message, counting its assignments: the same words set again are news again (a second failed
// save must be seen for as long as the first), which the text alone cannot tell.
class StatusText : public std::string {
 public:
  StatusText& operator=(std::string text);
  // Assignments so far; clearing is not one.
  unsigned Sets() const { return sets_; }

 private:
  unsigned sets_ = 0;
};

// Printed as its words where a value is printed by name (a failed test's report), not as the list
// of characters a string's subclass would otherwise print as.
void PrintTo(const StatusText& text, std::ostream* out);

extern StatusText gStatusText;   // UTF-8, "" for none

// Clears the message.
void ResetStatusText();
