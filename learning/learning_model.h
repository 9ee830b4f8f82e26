// learning/learning_model: what the student records use of the learning model.
#pragma once
#include <cstdint>
#include <string>

// One item of the lesson library.
struct LibraryItem {
  std::string id;                    // unique key of the item
  std::string name;                  // the item's title
  std::string subtitle;              // the line of description under the title
  std::string category;              // section key ("foundations", "scales", "etude" ...)
  std::string type;                  // kind within its category
  std::string key_name;              // key text such as "C", "F#", "Bb"
  std::string era;
  std::string form;
  std::string repertoire_category;
  std::string file;                  // the lesson MIDI file
  std::string hand;
  std::string text17, text18, text19;
  int32_t level = 0;
  int32_t authored_bpm = 60;
  int32_t target_bpm = 60;
  float target_accuracy = 0.9f;
  float target_timing = 0.85f;
  int32_t key_pitch_class = 12;      // 0..11, 12 = none
  int32_t row_index = 0;
  int32_t legacy_target_bpm = 60;
  float legacy_target_accuracy = 0.9f;
  float legacy_target_timing = 0.85f;
};

// The id of the library item loaded for practice ("" for none).
extern std::string gPracticeItemId;
// The item with that id, or null.
LibraryItem* FindLibraryItem(const std::string& id);
// The item is open for the active student.
bool IsItemAvailable(const LibraryItem& item);
// Saves the previous student's learning files and loads the active student's; after every change
// of the active student.
void OnStudentChanged();
// Notice that a scale was played up through an octave at a ring position (result unused).
int AddScaleItems(const char* scaleDisplayName, int ringPos);
