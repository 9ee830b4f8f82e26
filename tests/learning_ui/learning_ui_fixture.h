// tests/learning_ui: the learning model's temporary program folder with the learning screen's own
// state, the window size, practice mode and the search field back at their start.
#pragma once
#include <string>
#include <vector>

#include "app/base/client_size.h"
#include "app/base/pointer.h"
#include "app/base/view_modes.h"
#include "gfx/hit_regions.h"
#include "gfx/layout.h"
#include "gfx/text_field.h"
#include "learning_ui/learning_layout.h"
#include "learning_ui/learning_screen.h"
#include "tests/learning/learning_fixture.h"

class LearningUiTest : public LearningTest {
 protected:
  LearningUiTest() { ResetScreen(); }
  ~LearningUiTest() override { ResetScreen(); }

  static void ResetScreen() {
    ResetLearningScreenState();
    ResetTextFields();
    ResetViewModes();
    ResetPointer();
    gToolbarPanelRect = kHiddenRect;
    gStudentHeaderRect = kHiddenRect;
    gClientWidth = 1440;
    gClientHeight = 920;
  }
  // The screen open in practice mode on a view.
  static void OpenOn(const std::string& view) {
    gPracticeMode = true;
    gLibraryOpen = true;
    gLibraryViewKey = view;
    SortLibraryItems();
  }
  // n etudes of one type each ("e0" ..), which every student may open.
  void MakeEtudes(int n, int perType = 1000) {
    std::vector<std::string> rows;
    for (int i = 0; i < n; ++i)
      rows.push_back("e" + std::to_string(i) + " etude Type_" + std::to_string(i / perType));
    MakeLibrary(rows, {{"e0"}});
  }
  // The centre of a rectangle as client pixels.
  static int Cx(const RectF& r) { return (int)(r.x + r.w / 2); }
  static int Cy(const RectF& r) { return (int)(r.y + r.h / 2); }
};
