// classroom/classroom_panel_state: the state of the attendance and institution panels that the
// classroom stores write and the panels read.
#pragma once
#include <string>

extern int gClassFilterIndex;       // the class whose members the panel lists, -1 for all students
extern int gRenameClassIndex;       // the class whose name is being edited in gClassRenameField, -1 none
extern int gClassDeleteArmedIndex;  // the class whose delete button was pressed once, -1 none
extern bool gNotesViewOpen;         // the panel shows its notes view
extern std::string gInstitutionPanelMessage;  // the institution panel's one line of feedback

// Back to no filter, no rename, no armed delete, the notes view closed and no message.
void ResetClassroomPanelState();
