// platform/single_instance: one running copy per Data folder.
//
// A copy holds an exclusive advisory lock on a small file in its Data folder for as long as it
// runs; the system drops the lock when the process ends, however it ends, so a crash never leaves
// a folder locked. The lock file is never written, so a copy that finds the lock taken changes
// nothing.
#pragma once
#include <string>

// What TakeInstanceLock found.
enum class InstanceLock {
  kHeld,       // this process now holds the lock
  kInUse,      // another process holds it
  kUnusable,   // the lock file cannot be opened or locked (a read-only folder...): no lock kept
};

// Takes the lock on the file at path (created owner-only when missing) and keeps it until
// ReleaseInstanceLock or the end of the process. Taking it again while held is kHeld.
InstanceLock TakeInstanceLock(const std::string& path);
// Lets the lock go (tests, and a clean shutdown).
void ReleaseInstanceLock();
