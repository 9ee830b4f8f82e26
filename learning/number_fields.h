// learning/number_fields: the number readers of the learning files. A field reads as its leading
// number the way atoi and atof read one (blanks and a sign before it, anything after it ignored),
// except that a value beyond the int range saturates instead of being undefined, and a non-finite
// value ("inf", "nan") reads as 0, so every later limit sees a real number.
#pragma once
#include <cstdint>
#include <string>

// Leading decimal integer, saturated to the int32 range; 0 when the field does not start with one.
int32_t AtoiField(const std::string& field);
// Leading decimal number; 0 when there is none or it is not finite.
double AtofField(const std::string& field);
// AtofField limited to lo..hi.
float AtofClamped(const std::string& field, float lo, float hi);
// The field is one number with nothing after it, so the readers above take every byte of it.
bool IsWholeNumberField(const std::string& field);
