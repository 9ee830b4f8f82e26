// gfx/draw_alpha: the global alpha factor for fading groups of drawing, the brightness setting
// and its theme factors, and two numeric helpers.
#pragma once

extern float gDrawAlpha;    // multiplied into every colour's alpha; 1 between groups
extern float gThemeLevel;   // brightness setting, kept in 0..1

// glColor4f with the alpha multiplied by gDrawAlpha.
void SetGlColor(float r, float g, float b, float a);
// glColor4f as given. Every colour the program sets goes through one of these two, so that the
// shapes can repeat it with their vertices (CurrentGlColor).
void SetGlColorAsIs(float r, float g, float b, float a);
// The colour last set by SetGlColor or SetGlColorAsIs, alpha included.
const float* CurrentGlColor();
// *saved := gDrawAlpha; gDrawAlpha := alpha (not multiplied); returns saved.
float* PushDrawAlpha(float* saved, float alpha);
// gDrawAlpha := *saved.
void PopDrawAlpha(const float* saved);
// From a towards b by t (clamped to 0..1), the shorter way round the circle.
float LerpAngle(float a, float b, float t);
// gThemeLevel := clamp(gThemeLevel, 0, 1).
void ClampThemeLevel();

// The nine theme factors in record order, from the brightness level t (clamped to 0..1).
enum { kThemeFactorCount = 9 };
void ComputeThemeFactors(float level, float out[kThemeFactorCount]);
