// theory/note_spelling: the name of a scale's tonic. A key signature is chosen for the scale on
// that tonic (church modes by their offset from the major key, minor- and major-like sets by their
// family, other asymmetric sets by the best-fitting major key), then the tonic is named by the
// letter that the signature turns into it, unless a seven-note scale's degrees would need three
// signs from there, or three double signs (B# or D# Enigmatic Major). The same signature spells every note of the current key,
// so the staff, the chord names and the tonic in the caption never disagree; only the degrees of a
// seven-note scale are spelled by their own letters, since a harmonic minor's raised seventh (C# in
// D minor) goes against its signature's flats.
#include <cstdlib>
#include <optional>

#include "theory/circle_theory.h"
#include "theory/scale_selection.h"

// ---- internal helpers ----
namespace {

// Mask of the listed semitones.
constexpr int MaskOf(std::initializer_list<int> pcs) {
  int m = 0;
  for (int p : pcs) m |= 1 << p;
  return m;
}

constexpr int kMinorFamilyMasks[] = {
    MaskOf({0, 2, 3, 5, 7, 9, 11}), MaskOf({0, 2, 3, 5, 7, 8, 11}),
    MaskOf({0, 2, 3, 6, 7, 8, 11}), MaskOf({0, 1, 3, 5, 7, 8, 11}),
    MaskOf({0, 3, 5, 7, 10}),       MaskOf({0, 3, 5, 6, 7, 10})};
constexpr int kMajorFamilyMasks[] = {MaskOf({0, 2, 4, 5, 7, 8, 11}),
                                     MaskOf({0, 2, 4, 5, 7, 8, 9, 11}),
                                     MaskOf({0, 2, 4, 7, 9}), MaskOf({0, 2, 5, 7, 9})};
// Shifts that rotate the major scale onto each church mode, Ionian .. Locrian.
constexpr int kModeShifts[7] = {0, 2, 4, 5, 7, 9, 11};

// Bit i set when bit (i + k) mod 12 of m is set: the set seen from semitone k.
int RotateDown(int m, int k) {
  int out = 0;
  for (int i = 0; i < 12; ++i)
    if (m & (1 << ((i + k) % 12))) out |= 1 << i;
  return out;
}

// Bit (i + k) mod 12 set for each bit i of m: the set moved up to start at k.
int RotateUp(int m, int k) {
  int out = 0;
  for (int i = 0; i < 12; ++i)
    if (m & (1 << i)) out |= 1 << ((i + k) % 12);
  return out;
}

int BitCount(int m) {
  int n = 0;
  for (; m; m &= m - 1) ++n;
  return n;
}

// +1, -1 or 0: the accidental a signature puts on a letter.
int AccidentalUnder(int letter, int sig) {
  for (int i = 0; i < sig && i < 7; ++i)
    if (kSharpOrder[i] == letter) return 1;
  for (int i = 0; i < -sig && i < 7; ++i)
    if (kFlatOrder[i] == letter) return -1;
  return 0;
}

std::string Spell(int letter, int accidental) {
  std::string out(1, "CDEFGAB"[letter]);
  if (accidental > 0) out.append((size_t)accidental, '#');
  if (accidental < 0) out.append((size_t)-accidental, 'b');
  return out;
}

// The signature of a set that is neither a church mode nor a family template: the major key that
// shares most notes, ties broken by root, third, fewest accidentals, seventh and then sharps.
std::optional<int> BestFitSignature(int m, int r) {
  for (int k = 1; k < 12; ++k)
    if (RotateDown(m, k) == m) return std::nullopt;  // symmetric: no key fits better than another
  int a = RotateUp(m, r);
  bool b3 = m & (1 << 3), b4 = m & (1 << 4), b10 = m & (1 << 10), b11 = m & (1 << 11);
  int third = (b3 != b4) ? (r + 3 + (b4 ? 1 : 0)) % 12 : -1;
  int seventh = (b10 != b11) ? (r + 10 + (b11 ? 1 : 0)) % 12 : -1;
  struct Fit {
    int overlap;
    bool root, third, seventh;
    int sig;
  };
  std::optional<Fit> best;
  for (int k = 0; k < 12; ++k) {
    int M = RotateUp(kDiatonicMask, k);
    Fit c{BitCount(a & M), (M & (1 << r)) != 0, third >= 0 && (M & (1 << third)),
          seventh >= 0 && (M & (1 << seventh)), kKeySignatureByTonic[k]};
    bool better;
    if (!best || c.overlap != best->overlap) better = !best || c.overlap > best->overlap;
    else if (c.root != best->root) better = c.root;
    else if (c.third != best->third) better = c.third;
    else if (std::abs(c.sig) != std::abs(best->sig)) better = std::abs(c.sig) < std::abs(best->sig);
    else if (c.seventh != best->seventh) better = c.seventh;
    else better = c.sig > best->sig;
    if (better) best = c;
  }
  return best->sig;
}

std::optional<int> ChooseSignature(int r, const ScaleRow* row) {
  if (!row || row->count <= 0) return std::nullopt;
  int m = 0;
  for (int i = 0; i < row->count && i < 12; ++i) m |= 1 << PitchClassMod(row->pcs[i]);
  if (!m) return std::nullopt;
  for (int mode = 0; mode < 7; ++mode) {
    if (m != RotateDown(kDiatonicMask, kModeShifts[mode])) continue;
    int s = kModeSignatureOffset[mode] + kKeySignatureByTonic[r];
    int best = s;
    for (int c : {s - 12, s + 12})
      if (std::abs(c) < std::abs(best) || (std::abs(c) == std::abs(best) && c > best)) best = c;
    return best;
  }
  for (int t : kMinorFamilyMasks)
    if (m == t) return kMinorKeySignatureByTonic[r];
  for (int t : kMajorFamilyMasks)
    if (m == t) return kKeySignatureByTonic[r];
  return BestFitSignature(m, r);
}

// The signature a scale on r is written in; the major key's on r where none was chosen.
int SignatureFor(int r, const ScaleRow* row) {
  std::optional<int> chosen = ChooseSignature(r, row);
  return (chosen && *chosen >= -7 && *chosen <= 7) ? *chosen : kKeySignatureByTonic[r];
}

// The accidental that puts a letter on pitch class pc, -6..5.
int AccidentalOnLetter(int letter, int pc) {
  const int acc = PitchClassMod(pc - kLetterPitchClass[letter]);
  return acc > 6 ? acc - 12 : acc;
}

// The degrees of a seven-note row on r that take a double sign when spelled on the letters that
// follow tonicLetter; -1 when one needs more than the two signs the staff can write.
int DoubleSignsFrom(int tonicLetter, int r, const ScaleRow* row) {
  int doubles = 0;
  for (int k = 0; k < 7; ++k) {
    const int acc = AccidentalOnLetter((tonicLetter + k) % 7, r + row->pcs[k]);
    if (acc < -2 || acc > 2) return -1;
    doubles += acc == -2 || acc == 2;
  }
  return doubles;
}

bool DegreesFitFrom(int tonicLetter, int r, const ScaleRow* row) { return DoubleSignsFrom(tonicLetter, r, row) >= 0; }

// The tonic's letter (0..6, C..B) and its accidental in the signature chosen for the scale.
void SpellTonicInSignature(int rootPc, const ScaleRow* row, int* letterOut, int* accidentalOut) {
  int r = PitchClassMod(rootPc);
  int s = SignatureFor(r, row);

  for (int letter = 0; letter < 7; ++letter) {
    int acc = AccidentalUnder(letter, s);
    if (PitchClassMod(kLetterPitchClass[letter] + acc) == r) {
      *letterOut = letter;
      *accidentalOut = acc;
      return;
    }
  }

  // The tonic lies outside the signature's major scale: name it from that scale's tonic.
  int T = ((4 * s) % 7 + 7) % 7;
  int tPc = kLetterPitchClass[T] + AccidentalUnder(T, s);
  int d = PitchClassMod(r - tPc);
  int letter, change, altLetter = -1, altChange = 0;
  switch (d) {
    case 1: letter = T; change = 1; altLetter = T + 1; altChange = -1; break;
    case 3: letter = T + 1; change = 1; altLetter = T + 2; altChange = -1; break;
    case 6: letter = T + 3; change = 1; break;
    case 8: letter = T + 4; change = 1; break;
    default: letter = T + 6; change = -1; altLetter = T + 5; altChange = 1; break;
  }
  letter %= 7;
  int acc = AccidentalUnder(letter, s) + change;
  if ((acc < -1 || acc > 1) && altLetter >= 0) {
    altLetter %= 7;
    int altAcc = AccidentalUnder(altLetter, s) + altChange;
    if (altAcc >= -1 && altAcc <= 1) {
      *letterOut = altLetter;
      *accidentalOut = altAcc;
      return;
    }
  }
  *letterOut = letter;
  *accidentalOut = acc;
}

// The tonic of SpellTonicInSignature, unless a seven-note scale's degrees would not fit on the
// letters that follow it, or would write three or more of them with double signs: C Enigmatic
// Major on the B# of B major's sharps needs F### and G###, whose stand-ins put two degrees on A;
// on D# it reads D# E F## G## A## B## C##. Then the scale starts on the other name of its tonic
// with the fewest double signs, one sign at most on the tonic and the signature's kind where both
// serve (C: C Db E F# G# A# B; Eb: Eb Fb G A B C# D). One or two double signs stay (D# harmonic
// minor's C##, F# Enigmatic Major's C## and D##). Where no name fits, the tonic stays and its
// degrees take the sharp or flat table (SpellDegreeInCurrentKey).
void SpellTonic(int rootPc, const ScaleRow* row, int* letterOut, int* accidentalOut) {
  SpellTonicInSignature(rootPc, row, letterOut, accidentalOut);
  const int r = PitchClassMod(rootPc);
  if (!row) return;
  if (row->count != 7) {
    // Only a seven-note scale writes its degrees on letters of their own; any other has its notes
    // named from the signature's sharp or flat table, its tonic among them. F Iwato's best fit is
    // F# major, whose six sharps would call the tonic E# in the caption beside an F on the staff.
    const std::string name = SignatureFor(r, row) < 0 ? kFlatNames[r] : kSharpNames[r];
    *letterOut = (int)std::string("CDEFGAB").find(name[0]);
    *accidentalOut = name.size() < 2 ? 0 : name[1] == '#' ? 1 : -1;
    return;
  }
  const int doubles = DoubleSignsFrom(*letterOut, r, row);
  if (doubles >= 0 && doubles < 3) return;
  const bool sharps = SignatureFor(r, row) >= 0;
  const int now = doubles < 0 ? 8 : doubles;   // a name that does not fit counts as the worst
  int best = -1, bestAcc = 0, bestDoubles = now;
  for (int letter = 0; letter < 7; ++letter) {
    const int acc = AccidentalOnLetter(letter, r), d = DoubleSignsFrom(letter, r, row);
    if (acc < -1 || acc > 1 || d < 0 || d >= now || (best >= 0 && d > bestDoubles)) continue;
    const bool better = best < 0 || d < bestDoubles || std::abs(acc) < std::abs(bestAcc) ||
                        (std::abs(acc) == std::abs(bestAcc) && (acc > 0) == sharps);
    if (!better) continue;
    best = letter, bestAcc = acc, bestDoubles = d;
  }
  if (best < 0) return;
  *letterOut = best;
  *accidentalOut = bestAcc;
}

}  // namespace

// ---- public functions ----
std::string SpellScaleNotes(int rootPc, const ScaleRow* row) {
  int letter = 0, accidental = 0;
  SpellTonic(rootPc, row, &letter, &accidental);
  return Spell(letter, accidental);
}

std::string SpellScaleAtRingPos(int ringPos, const ScaleRow* row) {
  return SpellScaleNotes(kFifthsOrder[PitchClassMod(ringPos)], row);
}

int CurrentKeySignature() { return SignatureFor(PitchClassMod(gKeyRoot), gCurrentScale); }

std::string SpellNoteAbove(const std::string& lower, int semitones, int letterSteps) {
  int from = -1;
  for (int l = 0; l < 7 && !lower.empty(); ++l)
    if ("CDEFGAB"[l] == lower[0]) from = l;
  if (from < 0) return "";
  int pc = kLetterPitchClass[from];
  for (size_t i = 1; i < lower.size(); ++i) {
    if (lower[i] == '#') ++pc;
    else if (lower[i] == 'b') --pc;
    else return "";
  }
  const int letter = ((from + letterSteps) % 7 + 7) % 7;
  int acc = PitchClassMod(pc + semitones - kLetterPitchClass[letter]);
  if (acc > 6) acc -= 12;
  if (acc < -1 || acc > 1) return "";
  return Spell(letter, acc);
}

bool SpellDegreeInCurrentKey(int pc, int* letter, int* accidental, int maxSigns) {
  const ScaleRow* row = gCurrentScale;
  if (!row || row->count != 7) return false;
  const int p = PitchClassMod(pc), interval = PitchClassMod(p - gKeyRoot);
  int degree = -1;
  for (int k = 0; k < 7; ++k)
    if (row->pcs[k] == interval) degree = k;
  if (degree < 0) return false;
  int tonicLetter = 0, tonicAccidental = 0;
  SpellTonic(gKeyRoot, row, &tonicLetter, &tonicAccidental);
  // Degree by degree stand-ins would put two degrees on one letter: the whole scale takes the table.
  if (!DegreesFitFrom(tonicLetter, PitchClassMod(gKeyRoot), row)) return false;
  const int l = (tonicLetter + degree) % 7;
  const int acc = AccidentalOnLetter(l, p);
  // In a name a double sharp or flat reads worse than the other kind of sign: such a degree keeps
  // the signature's spelling there. The staff takes two, so each degree keeps a letter of its own.
  if (acc < -maxSigns || acc > maxSigns) return false;
  *letter = l;
  *accidental = acc;
  return true;
}
