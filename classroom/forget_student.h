// classroom/forget_student: what the classroom stores drop when a student is deleted.
#pragma once
#include <string>

// Drops the id from every class, forgets the student's attendance marks, notes and report figures
// in memory, and closes the student's open note without saving it, so that no later save brings
// the deleted files back and a new student given the same id starts empty. The shell connects it
// to the student list's deletion hook.
void ForgetClassroomStudent(const std::string& studentId);
