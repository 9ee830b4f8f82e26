// tests/support/mutations: seeded damage to a valid file, for the readers' robustness tests.
#pragma once
#include <random>
#include <string>

// One to four edits of text: a random byte, a flipped bit, a cut, a deletion, an inserted byte or
// separator (tab, line feed, carriage return, NUL), a repeated piece, or a number swapped for an
// extreme one ("2147483647", "-1", "1e39", "nan" ...). The same generator state gives the same result.
std::string MutateText(std::string text, std::mt19937& rng);
