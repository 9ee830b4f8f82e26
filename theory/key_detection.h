// theory/key_detection: the key of what is being played. Sounding notes feed a fast per-pitch-class
// activity; a histogram integrates it with a memory that lengthens while the harmony is stable and
// shortens when it changes; the histogram is matched against a major and a minor key profile in all
// twelve transpositions, turned into weights per ring position by a softmax. A damped spring follows
// the estimate's centre on the ring so the display moves smoothly.
#pragma once
#include <cstdint>

// The slow integrals of the activity (the activity itself is gPcActivity of the note road).
struct TonalState {
  float histogram[12];   // adaptive half-life between 1.1 s and 10 s
  float recent[12];      // half-life 1 s
  float longTerm[12];    // half-life 10 s
};

// The update's constants.
struct TonalConfig {
  float activityHalfLife;
  float longHalfLife;             // longTerm's, and the histogram's longest
  float recentHalfLife;
  float shortHistogramHalfLife;   // the histogram's shortest
  float keyDownWeight;
  float sustainWeight;
};
extern const TonalConfig kTonalConfig;   // 0.2, 10, 1, 1.1, 0.55, 0.35

// One sounding note of this frame.
struct PitchInput {
  int32_t pc;        // note mod 12
  float level;       // velocity / 127
  bool keyDown;      // the key is held
  bool sustained;    // sounds only through the pedal
};

// The estimator's result. Weights are by ring position: major[i] for the key on kFifthsOrder[i],
// minor[i] for the minor key whose relative major is there.
struct KeyEstimate {
  float major[12];
  float minor[12];
  int majorRingPos;            // -1 when the confidence is 0
  int minorRingPos;            // ring position of the best minor key's relative major, or -1
  float majorConfidence, minorConfidence;   // both the winner's after the estimate
  float majorCorrelation, minorCorrelation;
  float majorScore, minorScore;
  bool isMinor;
};

// Spring that follows a position on the ring.
struct RingTracker {
  float pos;   // 0 <= pos < 12
  float vel;
  bool initialised;
};

// What the circle display reads of the estimate each frame (all 0 while the ring view is hidden).
struct KeyDisplayValues {
  float presence;          // how much is being played, 0..1
  float activity;          // largest activity x 0.7 + 0.05
  float modeCorrelation;   // recent against long-term
  float centroid;          // circular centre of the major weights, 0..12
  float ringDistance;      // tracker minus centroid, (-6, 6]
  float clarity;           // how focused the major weights are, 0..1
};

extern const float kMajorKeyProfile[12];
extern const float kMinorKeyProfile[12];

// ---- state ----
extern TonalState gTonalState;          // the program's one tonal state
extern float (&gPcHistogram)[12];       // gTonalState.histogram
extern KeyEstimate gKeyEstimate;        // the latest estimate
extern float (&gPcWeights)[12];         // gKeyEstimate.major
extern RingTracker gKeyRingTracker;     // follows the centroid of gPcWeights
extern KeyDisplayValues gKeyDisplay;    // derived each frame for the circle display

// Advances activity and state by dt seconds (nothing for a negative or non-finite dt).
void UpdatePitchHistograms(float activity[12], float dt, const PitchInput* inputs, int count,
                           const TonalConfig& config, TonalState* state = &gTonalState);
// The estimator on gPcHistogram.
KeyEstimate EstimateKeyFromHistogram(float temperature);
// The estimator on any histogram.
KeyEstimate EstimateKey(const float histogram[12], float temperature);
// One mode's scoring; offset 0 for major, 3 for minor. Returns the confidence.
float ScoreKeyProfile(const float histogram[12], const float profile[12], bool minor,
                      float temperature, float weights[12], int* ringPos, int offset,
                      float* bestCorrelation, float* bestScore);
// Pearson correlation; 0 when either side is (nearly) constant.
float ProfileCorrelation(const float x[12], const float y[12]);
// Sum of gPcHistogram.
float PitchHistogramTotal();
// Largest gPcActivity value, clamped to 0..1.
float MaxPitchClassActivity();
// Correlation of the normalised recent and long-term integrals, 0..1 (1 when either is empty).
float ModeCorrelation(const TonalState& state = gTonalState);
// Circular centre of 12 weights as a position 0..12; 0 when there is no clear direction.
float PitchCentroidPosition(const float weights[12]);
// Resultant length over the weights' sum, 0..1.
float TonalClarity(const float weights[12]);
// One damped spring step towards target (an uninitialised tracker jumps there).
void TrackRingPosition(RingTracker* tracker, float target, float dt, float stiffness, float damping);
// pos - x wrapped into (-6, 6]; 0 for an uninitialised tracker.
float RingDistanceFromTracker(const RingTracker& tracker, float x);
// b - a wrapped into (-6, 6].
float RingDelta(float a, float b);
// Tension of an interval class (semitones mod 12).
float IntervalTension(int interval);
// The frame's estimate and display values; runs the estimator only while the ring view shows.
void UpdateKeyDisplay(float ringModeFade, float dt);
// The frame's step: the sounding notes of the held-note table feed the histograms every frame, and
// the estimate follows them while the ring view shows.
void UpdateKeyDetectionFrame(float dt);
// Puts the tonal state, estimate, tracker and display values back to zero.
void ResetKeyDetection();
