// classroom/classroom_settings: where the classroom server is and who this device is to it.
//
// Read once at start from Data "classroom.txt": "key=value" lines (blanks around both trimmed,
// blank lines and lines starting with "#" skipped, unknown keys ignored), never written by the
// program. Keys: server (the https base address of the classroom API), institution (the
// institution code), role, token (the device token), plan, pricing and support (addresses shown
// by the institution panel) and device (this device's id). Nothing is set by default: without a
// server no request is ever made. The values are written only by LoadClassroomSettings, before
// any classroom worker runs; workers may read them.
#pragma once
#include <optional>
#include <string>

extern std::string gClassroomServer;                 // https base address without a trailing "/"; "" = not set up
extern std::optional<std::string> gInstitutionCode;  // present when the settings give one
extern std::string gInstitutionRole;                 // "teacher" marks a teacher device
extern std::string gDeviceToken;                     // the device's credential; never logged or shown
extern std::string gDeviceId;                        // sent when a pupil joins a class
extern std::string gInstitutionPlan;                 // the plan's name for the class report
extern std::string gPricingAddress;                  // the institution pricing page (https only)
extern std::string gSupportAddress;                  // the supplier's support address

// Reads "classroom.txt" and fills the globals above (each call starts from nothing). Without a
// "device" value the id is read from Data "device_id.txt", made at random and kept there on the
// first start with a server.
void LoadClassroomSettings();
// True when a server is set up.
bool ClassroomServerConfigured();
// Empties every value (tests).
void ResetClassroomSettings();
