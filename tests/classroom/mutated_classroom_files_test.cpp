// The classroom registers and settings on thousands of seeded mutations of valid files: every one
// is read without a crash or a hang, and a register is either written back holding every line it
// held or kept aside first as it was read.
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <functional>
#include <random>

#include "classroom/classroom_settings.h"
#include "classroom/teacher_notes.h"
#include "tests/classroom/class_stores_fixture.h"
#include "tests/support/mutations.h"

using MutatedClassroomFiles = ClassStoresTest;

TEST_F(MutatedClassroomFiles, ARegisterIsWrittenBackWholeOrKeptAside) {
  namespace fs = std::filesystem;
  const struct { const char* file; std::string seed; std::function<void()> change; } stores[] = {
      {"attendance_anna.dat", "STATUS\t2025-03-01\tP\nSTATUS\t2025-03-02\tL\nPRESENT\t2025-03-03\nSTATUS\t2025-03-04\tE\n",
       [] { ToggleAttendance("anna", "2025-03-14"); }},
      {"attendance_classes.dat", "CLASS\tMonday 4pm\nMEMBER\tanna\nMEMBER\tben\nCLASS\tTuesday\nMEMBER\tcara\n",
       [] { ToggleClassMember(0, "dan"); }},
      {"notes_anna.dat", "NOTE\t2025-03-01\tscales\\nthirds\\tslow\nDATE\t2025-03-02\nold block\nline two\nENDNOTE\n",
       [] {
         gCalendarSelectedDate = "2025-03-14";
         LoadNotes("anna");
         gEditField.text = "today";
         SaveNotes();
       }},
  };
  std::mt19937 rng(43101);
  for (int i = 0; i < 240; ++i) {
    const auto& store = stores[i % 3];
    ResetStores();
    fs::remove_all(Data(""));
    std::string mutated = MutateText(store.seed, rng);
    WriteData(store.file, mutated);
    store.change();
    // Kept whole: every line read stands in the file written back (but those of the day the
    // change was made on), or a copy holds the file as it was read.
    const std::string written = "\n" + ReadData(store.file);
    bool kept = true;
    for (size_t start = 0, end; start < mutated.size(); start = end + 1) {
      end = std::min(mutated.find('\n', start), mutated.size());
      std::string line = mutated.substr(start, end - start);
      if (line.find("2025-03-14") == std::string::npos && written.find("\n" + line + "\n") == std::string::npos)
        kept = false;
    }
    for (const auto& entry : fs::directory_iterator(Data("")))
      kept = kept || ReadFileBytes(entry.path().string()) == mutated;
    ASSERT_TRUE(kept) << i << " " << store.file << ":\n" << mutated;
  }
}

TEST_F(MutatedClassroomFiles, SettingsAreReadWhateverTheyHold) {
  const std::string seed = "# classroom\nserver=https://class.example/api/\ninstitution=ORG:acme:pupil\nrole=student\n"
                           "token=tok-123\nplan=Pro\npricing=https://class.example/pricing\ndevice=dev-1\n";
  std::mt19937 rng(43102);
  for (int i = 0; i < 1000; ++i) {
    WriteData("classroom.txt", MutateText(seed, rng));
    LoadClassroomSettings();
    // No address without a host, and nothing a NUL could cut.
    if (!gClassroomServer.empty()) {
      ASSERT_EQ(gClassroomServer.find('\0'), std::string::npos) << i;
      ASSERT_GT(gClassroomServer.size(), 8u) << i;
      ASSERT_EQ(std::string("/?#").find(gClassroomServer[8]), std::string::npos) << i;
    }
    ASSERT_EQ(gDeviceToken.find('\0'), std::string::npos) << i;
  }
}
