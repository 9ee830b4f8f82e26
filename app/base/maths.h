// app/base/maths: the one clamp family and the pitch-class modulo every floor above uses.
//
// Every clamp has the same rule: lo when v lies below lo, else the smaller of v and hi, so a NaN
// becomes hi and never travels on. The typed names keep call sites free of template arguments.
#pragma once

// ---- clamps ----
constexpr int ClampInt(int v, int lo, int hi) { return lo > v ? lo : (v < hi ? v : hi); }
constexpr float ClampFloat(float v, float lo, float hi) { return lo > v ? lo : (v < hi ? v : hi); }
constexpr double ClampDouble(double v, double lo, double hi) { return lo > v ? lo : (v < hi ? v : hi); }
constexpr float Clamp01(float v) { return ClampFloat(v, 0.0f, 1.0f); }
constexpr double Clamp01(double v) { return ClampDouble(v, 0.0, 1.0); }

// ---- pitch classes ----
// v modulo 12 in 0..11, also for negative v.
constexpr int PitchClassMod(int v) { return ((v % 12) + 12) % 12; }

// ---- colour ----
// h in turns (fraction counts), s and v in 0..1.
void HsvToRgb(float h, float s, float v, float* r, float* g, float* b);
