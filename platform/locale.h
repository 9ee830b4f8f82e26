// platform/locale: the user's locale as a language tag. Only reads the environment: the program
// never changes its own C locale, so numbers in files and formatted texts keep "." decimals.
#pragma once
#include <string>

// The tag of LC_ALL, else LC_MESSAGES, else LANG ("de_DE.UTF-8" gives "de-DE"; "C" and "POSIX"
// give "en-US"); "" when none of them is set.
std::string UserLocaleTag();
// The same rule applied to one value, for tests.
std::string LocaleTagFromValue(const std::string& value);
