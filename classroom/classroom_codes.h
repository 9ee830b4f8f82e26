// classroom/classroom_codes: the device's classroom identity tests and the two typed codes.
//
// The teacher code ("teacher_token.txt") and the pupil code ("student_code.txt") are credentials:
// their files are readable by the owner only, and neither code is ever logged or shown. Each file
// holds the trimmed code and nothing else; an empty file means no code. The teacher code belongs
// to the UI thread (launchers copy it into their workers' records). The pupil code is also saved
// by a worker, so gStudentCode and its file are guarded by gStudentCodeMutex.
#pragma once
#include <mutex>
#include <string>

extern std::string gTeacherToken;          // UI thread only
extern bool gTeacherTokenLoaded;
extern std::string& gStudentCode;          // under gStudentCodeMutex
extern bool& gStudentCodeLoaded;           // under gStudentCodeMutex
extern std::mutex& gStudentCodeMutex;

// The institution code is present, at least 4 bytes long and begins with "ORG:".
bool HasInstitutionCode();
// An institution device whose role is "teacher" or whose code has five ":" fields, the fifth "admin".
bool IsTeacherDevice();

std::string TeacherTokenPath();
std::string StudentCodePath();

// Reads the teacher code on its first call in a run.
void LoadTeacherToken();
// Stores the trimmed code (an empty one removes it) in memory and on disk; false when the file
// could not be saved (the code is kept in memory for this run).
bool SaveTeacherToken(const std::string& code);
// The same for the pupil code; both take gStudentCodeMutex.
void LoadStudentCode();
bool SaveStudentCode(const std::string& code);
// A copy of the pupil code, loaded first when needed.
std::string StudentCodeCopy();

// The organisation id of a typed code: the trimmed code itself when it begins with "ORG:", else
// the "oid" text inside the base64url payload of a signed code; "" when there is none.
std::string OrgIdOfCode(const std::string& code);
// The stored teacher code grants the teacher role (its organisation id ends in ":admin").
bool TeacherTokenIsAdmin();
// Standard or URL-safe base64, padding optional, CR and LF skipped; "" on any other character.
std::string Base64UrlDecode(const std::string& text);

// Forgets both codes (tests).
void ResetClassroomCodes();
