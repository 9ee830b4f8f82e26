// classroom/institution_panel_state: the institution panel's shared state.
#include "classroom/institution_panel_state.h"

#include "classroom/classroom_panel_state.h"

// ---- state ----
bool gInstitutionPanelOpen = false;
bool gInstitutionEntryActive = false;
std::string gInstitutionEntryText;
int gInstitutionEntryMode = kEntryStudentName;
bool gInstitutionSubViewOpen = false;
int gSelectedPupilIndex = -1;
std::string gSelectedPupilId;
int gPupilActionStage = 0;
float gInstitutionPanelScroll = 0.0f;
int gSeatRequestCount = -1;
std::string gBillingReference;
std::string gClassOpMessage;

// ---- public functions ----
void ShowClassOpMessage(const std::string& text) {
  gInstitutionPanelMessage = text;
  gClassOpMessage = text;
}

void ResetInstitutionPanelState() {
  gInstitutionPanelOpen = false;
  gInstitutionEntryActive = false;
  gInstitutionEntryText.clear();
  gInstitutionEntryMode = kEntryStudentName;
  gInstitutionSubViewOpen = false;
  gSelectedPupilIndex = -1;
  gSelectedPupilId.clear();
  gPupilActionStage = 0;
  gInstitutionPanelScroll = 0.0f;
  gSeatRequestCount = -1;
  gBillingReference.clear();
  gClassOpMessage.clear();
}
