#include "ppreport/core/ppLanguage.h"

#include <gtest/gtest.h>

#include <atomic>
#include <filesystem>
#include <fstream>
#include <thread>

#include "platform/classes/Streams.h"
#include "ppreport/core/ppDrawing.h"
#include "ppreport/core/ppLanguageModule.h"
#include "tests/TestTemp.h"

namespace {

// Module files written by the test into a folder of its own, which the process's resource manager
// searches while the test runs; the manager is given back as the test found it.
class ppLanguageTest : public ::testing::Test {
protected:
  void SetUp() override {
    TppResourceManager& M = ppResourceManager();
    FSavedPath = M.SearchPath();
    // Units linked into the tests register modules of their own (the producer's): set aside.
    FSavedModules = M.Modules();
    for (const std::string& Name : FSavedModules) M.RemoveModule(Name);
    std::filesystem::create_directory(FFolder);
    ppResourceManager().SetSearchPath({FFolder + "/missing", FFolder});
  }
  void TearDown() override {
    TppResourceManager& M = ppResourceManager();
    for (const std::string& Name : M.Modules()) M.RemoveModule(Name);
    M.SetLanguage(lgDefault);
    M.SetSearchPath(FSavedPath);
    for (const std::string& Name : FSavedModules) M.AddModule(Name);
    std::filesystem::remove_all(FFolder);
  }
  void WriteModule(const std::string& FileName, const TppLanguageModuleData& Data) {
    TMemoryStream S;
    WriteLanguageModule(Data, S);
    WriteFile(FileName, std::string(reinterpret_cast<const char*>(S.Memory()), static_cast<size_t>(S.Size())));
  }
  void WriteFile(const std::string& FileName, const std::string& Bytes) {
    std::ofstream(FFolder + "/" + FileName, std::ios::binary) << Bytes;
  }
  static TppLanguageModuleData Texts(std::initializer_list<std::pair<const uint32_t, std::string>> L) {
    TppLanguageModuleData D;
    D.Strings = L;
    return D;
  }

  TTestTempFiles FTemp;
  std::string FFolder = FTemp.Path("languages");
  std::vector<std::string> FSavedPath;
  std::vector<std::string> FSavedModules;
};

TEST_F(ppLanguageTest, ProgramTableWithoutModules) {
  EXPECT_EQ("de", LanguageString(16));
  EXPECT_EQ("Página", LanguageString(18));
  EXPECT_EQ("Print in Background", LanguageString(1073));
  EXPECT_EQ("", LanguageString(21));  // a gap in the table
  EXPECT_EQ("", LanguageString(5000));
  // The cache's error has a text, so its message is never empty.
  EXPECT_FALSE(LanguageString(284).empty());
  EXPECT_EQ(179, ProgramLanguageStringCount());
}

TEST_F(ppLanguageTest, PlaceholdersBecomeFormatArguments) {
  EXPECT_EQ("Imprimindo a página %s do Relatório %s em %s", ExpandMessagePlaceholders(LanguageString(27)));
  // Other angle-bracket texts stay, and "<page>" is not taken out of "<pagecount>".
  EXPECT_EQ("< nome > <FindText> %s/%s <Page>", ExpandMessagePlaceholders("< nome > <FindText> <page>/<pagecount> <Page>"));
  EXPECT_EQ("Desenhando a página 3 de 10 para o o relatório Vendas",
            FormatLanguageString(10, {"3", "10", "Vendas"}));
  EXPECT_THROW(FormatLanguageString(10, {"3"}), EConvertError);
}

// Texts come from a module file the test writes: the first registered module that has a text
// answers, with its placeholders; every other number falls back to the program's table.
TEST_F(ppLanguageTest, ModulesOverrideTheProgramsTable) {
  WriteModule("tlFirst.eng", Texts({{43016, "of"},
                                    {43027, "Printing page <page> of <documentname> on <printername>"},
                                    {43001, "100 % done"},
                                    {43018, ""}}));  // an empty entry does not count
  WriteModule("tlSecond.eng", Texts({{43016, "von"}, {43018, "Page"}, {43999, "Only here"}}));
  TppResourceManager& M = ppResourceManager();
  M.AddModule("tlFirst");
  M.AddModule("tlSecond");
  M.AddModule("TLFIRST");  // registered once
  EXPECT_EQ((std::vector<std::string>{"tlFirst", "tlSecond"}), M.Modules());
  EXPECT_EQ(0, M.LoadedCount());  // nothing for lgDefault ("dft")

  ASSERT_TRUE(M.SetLanguage(lgEnglish));
  EXPECT_EQ(lgEnglish, M.Language());
  EXPECT_EQ(2, M.LoadedCount());
  EXPECT_EQ("of", LanguageString(16));
  EXPECT_EQ("Page", LanguageString(18));
  EXPECT_EQ("Only here", LanguageString(999));
  EXPECT_EQ("Cancelar", LanguageString(5));
  EXPECT_EQ("Printing page 2 of Sales on MivoPDF", FormatLanguageString(27, {"2", "Sales", "MivoPDF"}));
  EXPECT_EQ("100 % done", FormatLanguageString(1, {}));

  M.RemoveModule("tlfirst");
  EXPECT_EQ("von", LanguageString(16));
  M.SetLanguage(lgDefault);
  EXPECT_EQ("de", LanguageString(16));
}

// A language without modules is refused; the language before it comes back with its modules
// loaded again, so its texts do not silently fall back to the program's own.
TEST_F(ppLanguageTest, RefusedSwitchReloadsThePreviousLanguage) {
  TppResourceManager& M = ppResourceManager();
  EXPECT_FALSE(M.SetLanguage(lgEnglish));  // no module registered at all
  EXPECT_EQ(lgDefault, M.Language());

  WriteModule("tlPrint.esp", Texts({{43016, "de (es)"}}));
  M.AddModule("tlPrint");
  ASSERT_TRUE(M.SetLanguage(lgSpanish));
  EXPECT_FALSE(M.SetLanguage(lgGerman));
  EXPECT_EQ(lgSpanish, M.Language());
  EXPECT_TRUE(M.ModulesLoaded());
  EXPECT_EQ(1, M.LoadedCount());
  EXPECT_EQ("de (es)", LanguageString(16));
  EXPECT_TRUE(M.SetLanguage(lgDefault));  // always possible, modules or not
  EXPECT_EQ("de", LanguageString(16));
}

// A damaged file loads nothing (the program's texts answer); the next folder is not searched.
TEST_F(ppLanguageTest, DamagedModuleLoadsNothing) {
  WriteFile("tlPrint.fra", "MRLM\x01\x00\x00\x00\xff\xff\xff\xff");
  TppResourceManager& M = ppResourceManager();
  M.AddModule("tlPrint");
  EXPECT_FALSE(M.SetLanguage(lgFrench));
  EXPECT_EQ(0, M.LoadedCount());
  EXPECT_EQ("de", LanguageString(16));
}

// Pictures come from the loaded modules, the first that has one of that name.
TEST_F(ppLanguageTest, BitmapResourcesFromModules) {
  TBitmap B(3, 2);
  B.ScanLine(1)[2] = 0xFFFF0000u;
  TMemoryStream Bmp;
  B.SaveToStream(Bmp);
  TppLanguageModuleData D;
  D.Bitmaps = {{"PPPRINT", std::vector<uint8_t>(Bmp.Memory(), Bmp.Memory() + Bmp.Size())}, {"PPBROKEN", {'B', 'M'}}};
  WriteModule("tlPrint.ita", D);
  TppResourceManager& M = ppResourceManager();
  M.AddModule("tlPrint");
  EXPECT_EQ(nullptr, LoadBitmapResource("ppPrint"));  // not loaded for lgDefault
  ASSERT_TRUE(M.SetLanguage(lgItalian));
  std::unique_ptr<TBitmap> Got = LoadBitmapResource("ppPrint");
  ASSERT_NE(nullptr, Got);
  EXPECT_EQ(3, Got->Width());
  EXPECT_EQ(0xFF0000u, Got->ScanLine(1)[2] & 0xFFFFFF);
  EXPECT_EQ(nullptr, LoadBitmapResource("PPBROKEN"));
  EXPECT_EQ(nullptr, LoadBitmapResource("PPMISSING"));
}

// Lookups on a worker thread (background printing) while the main thread switches languages.
TEST_F(ppLanguageTest, LookupsRaceLanguageSwitches) {
  WriteModule("tlPrint.eng", Texts({{43016, "of"}}));
  TppResourceManager& M = ppResourceManager();
  M.AddModule("tlPrint");
  std::atomic<bool> Stop{false};
  std::atomic<int> Bad{0};
  std::thread Worker([&] {
    while (!Stop) {
      std::string S = LanguageString(16);
      if (S != "of" && S != "de") ++Bad;
    }
  });
  for (int I = 0; I < 200; ++I) M.SetLanguage(I % 2 ? lgEnglish : lgDefault);
  Stop = true;
  Worker.join();
  EXPECT_EQ(0, Bad);
}

TEST(ppLanguageModuleTest, RoundTripAndDamage) {
  TppLanguageModuleData D;
  D.Strings = {{43001, "Página"}, {7, std::string(1500, 'x')}};
  D.Bitmaps = {{"PPGLYPH", {1, 2, 3}}};
  TMemoryStream S;
  WriteLanguageModule(D, S);
  const uint8_t* P = S.Memory();
  const size_t N = static_cast<size_t>(S.Size());
  TppLanguageModuleData R = ReadLanguageModule(P, N);
  EXPECT_EQ("Página", R.Strings.at(43001));
  EXPECT_EQ(ppMaxLanguageStringLength, R.Strings.at(7).size());  // cut at 1023 characters
  ASSERT_EQ(1u, R.Bitmaps.size());
  EXPECT_EQ((std::vector<uint8_t>{1, 2, 3}), R.Bitmaps[0].second);

  std::vector<uint8_t> Bytes(P, P + N);
  struct TDamage {
    const char* What;
    std::function<void(std::vector<uint8_t>&)> Change;
  };
  const TDamage Damages[] = {
      {"signature", [](auto& B) { B[0] = 'X'; }},
      {"version", [](auto& B) { B[4] = 2; }},
      {"cut short", [](auto& B) { B.resize(B.size() - 1); }},
      {"bytes after the end", [](auto& B) { B.push_back(0); }},
      {"huge text count", [](auto& B) { B[11] = 0x7F; }},
      {"invalid UTF-8", [](auto& B) { B[18] = 0xFF; }},  // first byte of the first text (id 7)
      {"empty", [](auto& B) { B.clear(); }},
  };
  for (const TDamage& D2 : Damages) {
    std::vector<uint8_t> B = Bytes;
    D2.Change(B);
    EXPECT_THROW(ReadLanguageModule(B.data(), B.size()), EReadError) << D2.What;
  }
  // A repeated id can only come from a hand-made file.
  TMemoryStream Two;
  TppLanguageModuleData One;
  One.Strings = {{5, "a"}};
  WriteLanguageModule(One, Two);
  std::vector<uint8_t> B(Two.Memory(),
                         Two.Memory() + Two.Size());
  B[8] = 2;
  B.insert(B.begin() + 12, {5, 0, 0, 0, 1, 0, 'b'});
  EXPECT_THROW(ReadLanguageModule(B.data(), B.size()), EReadError);
  // Picture names are ASCII and unique ignoring case.
  TppLanguageModuleData Pictures;
  Pictures.Bitmaps = {{"ab", {1}}, {"AB", {2}}};
  TMemoryStream Same;
  WriteLanguageModule(Pictures, Same);
  EXPECT_THROW(ReadLanguageModule(Same.Memory(), static_cast<size_t>(Same.Size())), EReadError);
  Pictures.Bitmaps = {{"a\xC3\xA9", {1}}};
  TMemoryStream Accented;
  EXPECT_THROW(WriteLanguageModule(Pictures, Accented), EWriteError);
  Pictures.Bitmaps = {{"ab", {1}}};
  WriteLanguageModule(Pictures, Accented);
  Accented.Memory()[17] = 0xC3;  // the name's first byte (header 8, text count 4, picture count 4, length 1)
  EXPECT_THROW(ReadLanguageModule(Accented.Memory(), static_cast<size_t>(Accented.Size())), EReadError);
}

}  // namespace
