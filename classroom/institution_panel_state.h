// classroom/institution_panel_state: the institution panel's state that its clicks, its text entry
// and the class operations share. UI thread only.
#pragma once
#include <string>

extern bool gInstitutionPanelOpen;
extern bool gInstitutionEntryActive;      // the panel's one text entry has the keyboard
extern std::string gInstitutionEntryText;
extern int gInstitutionEntryMode;         // one of the modes below
extern bool gInstitutionSubViewOpen;      // the second view (codes and seats) is shown
extern int gSelectedPupilIndex;           // -1 none
extern std::string gSelectedPupilId;      // the selected pupil's id: a reloaded list may move it
extern int gPupilActionStage;             // 0..2, the two-stage remove or block
extern float gInstitutionPanelScroll;
extern int gSeatRequestCount;             // -1 until chosen
extern std::string gBillingReference;
extern std::string gClassOpMessage;       // the panel's message while a class operation runs, "" none

// What the institution entry takes.
enum InstitutionEntryMode {
  kEntryStudentName = 0,
  kEntryTeacherCode = 1,
  kEntryClassName = 2,
  kEntryPupilCode = 3,
  kEntryBillingReference = 4,
};

// Shows text as the panel's message for a class operation on its way (started just before): the
// first frame that finds no class operation running takes it away (StepInstitutionPanel), and the
// class status says how it went.
void ShowClassOpMessage(const std::string& text);

// Panel closed, entry inactive and empty, nothing selected, no seat count, no reference.
void ResetInstitutionPanelState();
