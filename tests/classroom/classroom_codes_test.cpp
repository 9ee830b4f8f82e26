// The device's identity from the settings file, the code files and the code readers.
#include <sys/stat.h>

#include "app/base/strings.h"
#include "tests/classroom/classroom_fixture.h"

namespace {

using ClassroomCodesTest = ClassroomTest;

TEST_F(ClassroomCodesTest, SettingsMakeTheIdentity) {
  struct Case {
    const char* file;
    bool server, institution, teacher;
  };
  const Case cases[] = {
      {"", false, false, false},
      {"# comment\n  server = https://api.example/v1//\r\ninstitution=ORG:a:b:c:admin\n", true, true, true},
      {"server=http://api.example\ninstitution=ORG:a:admin\n", false, true, false},
      {"institution=ORG:a:admin\nrole=teacher\n", false, true, true},
      {"institution=org:a:b:c:admin\n", false, false, false},
      {"institution=ORG\n", false, false, false},
      {"institution=ORG:\nrole=pupil\n", false, true, false},
      {"junk line\n=x\nserver\n", false, false, false},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.file);
    Settings(c.file);
    EXPECT_EQ(ClassroomServerConfigured(), c.server);
    EXPECT_EQ(HasInstitutionCode(), c.institution);
    EXPECT_EQ(IsTeacherDevice(), c.teacher);
  }
  Settings("server=https://api.example/v1/\n");
  EXPECT_EQ(gClassroomServer, "https://api.example/v1");
}

TEST_F(ClassroomCodesTest, TheDeviceIdIsMadeOnceAndKept) {
  Settings("server=https://api.example\n");
  std::string made = gDeviceId;
  EXPECT_EQ(made.size(), 32u);
  EXPECT_EQ(made.find_first_not_of("0123456789abcdef"), std::string::npos);
  Settings("server=https://api.example\n");
  EXPECT_EQ(gDeviceId, made);
  Settings("server=https://api.example\ndevice=tablet-7\n");
  EXPECT_EQ(gDeviceId, "tablet-7");
  Settings("");
  EXPECT_EQ(gDeviceId, "");
}

TEST_F(ClassroomCodesTest, CodeFilesAreTrimmedAndPrivate) {
  WriteFileBytes(TeacherTokenPath(), std::string("  ") + kTestTeacherCode + " \r\n");
  LoadTeacherToken();
  EXPECT_EQ(gTeacherToken, kTestTeacherCode);
  EXPECT_TRUE(TeacherTokenIsAdmin());

  ASSERT_TRUE(SaveStudentCode("\tORG:acme:seat\r\n"));
  EXPECT_EQ(ReadFileBytes(StudentCodePath()), "ORG:acme:seat");
  ASSERT_TRUE(SaveTeacherToken(" ORG:acme:teacher "));
  EXPECT_FALSE(TeacherTokenIsAdmin());
  for (const std::string& path : {TeacherTokenPath(), StudentCodePath()}) {
    struct stat st;
    ASSERT_EQ(stat(path.c_str(), &st), 0);
    EXPECT_EQ(st.st_mode & 0777, 0600u) << path;
  }
  ASSERT_TRUE(SaveTeacherToken(""));
  EXPECT_EQ(ReadFileBytes(TeacherTokenPath()), "");
  EXPECT_FALSE(TeacherTokenIsAdmin());

  ResetClassroomCodes();   // a new run reads the files again
  EXPECT_EQ(StudentCodeCopy(), "ORG:acme:seat");
}

TEST_F(ClassroomCodesTest, Base64InBothAlphabets) {
  struct Case {
    const char* text;
    const char* bytes;
  };
  const Case cases[] = {
      {"", ""},
      {"TWE=", "Ma"},
      {"TWE", "Ma"},
      {"T\r\nW=E=", "Ma"},
      {"Pz8-", "?\?>"},
      {"Pz8+", "?\?>"},
      {"Pz_-", "??\xFE"},
      {"Pz/+", "??\xFE"},
      {"QQ", "A"},
      {"Q", ""},          // six bits add no byte
      {"TW E=", ""},      // a blank ends it all
      {"TWE*", ""},
  };
  for (const Case& c : cases) EXPECT_EQ(Base64UrlDecode(c.text), c.bytes) << c.text;
}

TEST_F(ClassroomCodesTest, OrganisationIdsOfCodes) {
  // {"oid":"ORG:acme:admin","x":1} and {"x":1}, URL-safe without padding.
  const std::string signedAdmin = "eyJvaWQiOiJPUkc6YWNtZTphZG1pbiIsIngiOjF9.c2ln";
  const std::string noOid = "eyJ4IjoxfQ.c2ln";
  struct Case {
    std::string code, org;
    bool admin;
  };
  const Case cases[] = {
      {"  ORG:acme:admin \n", "ORG:acme:admin", true},
      {"ORG:acme:pupil", "ORG:acme:pupil", false},
      {"ORG::admin", "ORG::admin", true},
      {"ORG:admin", "ORG:admin", true},
      {"ORG:xadmin", "ORG:xadmin", false},
      {signedAdmin, "ORG:acme:admin", true},
      {noOid, "", false},
      {".c2ln", "", false},
      {"no dot at all", "", false},
      {"ey Jv.c2ln", "", false},
      {"org:acme:admin", "", false},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.code);
    EXPECT_EQ(OrgIdOfCode(c.code), c.org);
    gTeacherToken = TrimWhitespace(c.code);
    gTeacherTokenLoaded = true;
    EXPECT_EQ(TeacherTokenIsAdmin(), c.admin);
  }
}

}  // namespace
