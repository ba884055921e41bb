#include "platform/app/Registry.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>

#include "platform/app/DesktopFileTypes.h"
#include "tests/TestEnv.h"
#include "tests/TestTemp.h"

namespace {
std::string ReadText(const std::string& F) {
  std::ifstream In(F, std::ios::binary);
  std::ostringstream S;
  S << In.rdbuf();
  return S.str();
}

}  // namespace

TEST(RegistryTest, TextFormRoundTripsAndSkipsWhatItCannotRead) {
  std::vector<TRegistryEntry> Entries = {
      {"HKEY_CLASSES_ROOT\\lxp_auto_file\\shell\\open\\command", "", "/opt/a b/mivoreport \"%1\""},
      {"HKEY_CURRENT_USER\\x", "tab\there", "line\nbreak\r\\end"},
  };
  EXPECT_EQ(ParseRegistryText(FormatRegistryText(Entries)), Entries);
  std::string Damaged = "no tabs here\nonly\tone tab\na\tb\tc\td\n\tname\tno key\nK\tN\tfirst\nK\tN\tsecond\\";
  std::vector<TRegistryEntry> Expected = {{"K", "N", "second\\"}};
  EXPECT_EQ(ParseRegistryText(Damaged), Expected);
}

TEST(RegistryTest, KeysAndValuesLiveInTheFileUnderTheConfigFolder) {
  TTestTempFiles Temp;
  std::string Dir = Temp.Path("config");
  TEnvScope Config("XDG_CONFIG_HOME", Dir);
  EXPECT_EQ(RegistryFileName(), Dir + "/mivo-open-report/registry");
  {
    TRegistry Reg;
    Reg.SetRootKey(HKEY_CLASSES_ROOT);
    EXPECT_FALSE(Reg.OpenKey("\\.lxp", false)) << "a key that does not exist opens only when created";
    EXPECT_THROW(Reg.WriteString("", "x"), ERegistryException);
    ASSERT_TRUE(Reg.OpenKey("\\.lxp", true));
    Reg.WriteString("", "lxp_auto_file");
    Reg.OpenKey("lxp_auto_file\\shell\\open\\command", true);
    Reg.WriteString("", "old");
    Reg.WriteString("", "new");
  }
  TRegistry Again;
  Again.SetRootKey(HKEY_CLASSES_ROOT);
  ASSERT_TRUE(Again.OpenKey("lxp_auto_file", false)) << "a key with values below it exists";
  EXPECT_FALSE(Again.ValueExists(""));
  ASSERT_TRUE(Again.OpenKey(".lxp", false));
  EXPECT_EQ(Again.ReadString(""), "lxp_auto_file");
  Again.OpenKey("lxp_auto_file\\shell\\open\\command", false);
  EXPECT_EQ(Again.ReadString(""), "new");
  EXPECT_EQ(Again.Entries().size(), 2u);
  std::filesystem::remove_all(Dir);
}

TEST(DesktopFileTypesTest, ExecArgumentsAreQuotedForTheDesktopEntry) {
  struct Case {
    const char* Arg;
    const char* Exec;
  } Cases[] = {{"/usr/bin/mivoreport", "/usr/bin/mivoreport"},
               {"/opt/my apps/mivoreport", "\"/opt/my apps/mivoreport\""},
               {"/opt/100%/x", "\"/opt/100%%/x\""},
               {"/opt/a\"b$c", "\"/opt/a\\\\\"b\\\\$c\""}};
  for (const Case& C : Cases) EXPECT_EQ(DesktopExecArgument(C.Arg), C.Exec) << C.Arg;
}

TEST(DesktopFileTypesTest, WritesTheMimeTypeAndTheEntryUnderTheDataFolder) {
  TTestTempFiles Temp;
  std::string Dir = Temp.Path("data");
  TEnvScope Data("XDG_DATA_HOME", Dir);
  TDesktopFileType T{"mivoreport-lxp", ".lxp", "application/x-lxp", "Mivo Report File", "/opt/my apps/mivoreport", "", ""};
  ASSERT_TRUE(RegisterDesktopFileType(T));
  std::string Xml = ReadText(Dir + "/mime/packages/mivoreport-lxp.xml");
  EXPECT_NE(Xml.find("<mime-type type=\"application/x-lxp\">"), std::string::npos) << Xml;
  EXPECT_NE(Xml.find("<glob pattern=\"*.lxp\"/>"), std::string::npos) << Xml;
  std::string Entry = ReadText(Dir + "/applications/mivoreport-lxp.desktop");
  EXPECT_NE(Entry.find("\nExec=\"/opt/my apps/mivoreport\" %f\n"), std::string::npos) << Entry;
  EXPECT_NE(Entry.find("\nMimeType=application/x-lxp;\n"), std::string::npos) << Entry;
  EXPECT_EQ(Entry.find("Icon="), std::string::npos);
  // Without the desktop's tools on the path the files are still written, and nothing fails.
  {
    TEnvScope NoTools("PATH", "/nonexistent");
    T.Description = "Second";
    EXPECT_TRUE(RegisterDesktopFileType(T));
  }
  EXPECT_NE(ReadText(Dir + "/applications/mivoreport-lxp.desktop").find("Name=Second"), std::string::npos);
  std::filesystem::remove_all(Dir);
}
