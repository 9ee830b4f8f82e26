// app/base/status_text: the status message's storage.
#include "app/base/status_text.h"

#include <ostream>
#include <utility>

// ---- state ----
StatusText gStatusText;   // written by whoever has news, drawn by the main view

// ---- public functions ----
StatusText& StatusText::operator=(std::string text) {
  std::string::operator=(std::move(text));
  ++sets_;
  return *this;
}

void PrintTo(const StatusText& text, std::ostream* out) { *out << '"' << text.c_str() << '"'; }

void ResetStatusText() { gStatusText.clear(); }
