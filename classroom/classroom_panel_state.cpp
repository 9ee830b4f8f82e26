// classroom/classroom_panel_state: the panels' state the classroom stores write.
#include "classroom/classroom_panel_state.h"

// ---- state ----
int gClassFilterIndex = -1;       // listed class, -1 all
int gRenameClassIndex = -1;       // class being renamed, -1 none
int gClassDeleteArmedIndex = -1;  // class armed for deletion, -1 none
bool gNotesViewOpen = false;      // notes view shown
std::string gInstitutionPanelMessage;  // institution panel feedback

// ---- public functions ----
void ResetClassroomPanelState() {
  gClassFilterIndex = gRenameClassIndex = gClassDeleteArmedIndex = -1;
  gNotesViewOpen = false;
  gInstitutionPanelMessage.clear();
}
