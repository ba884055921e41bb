#include "ppreport/core/ppUtils.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <thread>

#include "platform/classes/StringList.h"
#include "platform/classes/Streams.h"
#include "platform/rtl/DateFormat.h"
#include "platform/rtl/FormatSettings.h"

namespace {

std::string Joined(const TStrings& L) {
  std::string S;
  for (int I = 0; I < L.Count(); ++I) S += (I ? "|" : "") + L.Get(I);
  return S;
}

TEST(ppUtilsTest, PageLists) {
  struct TCase {
    const char* Text;
    const char* Pages;  // trimmed
  };
  const TCase Cases[] = {
      {"1,3,5-12", "1|3|5|6|7|8|9|10|11|12"},
      {"3,1,3", "1|3"},
      {"12-5", "5|12"},  // backwards: only the ends
      {"1-3-5", "1|2|3|5"},
      {"-4", "4"},       // a leading "-" is ignored
      {"4-", "4"},       // and a trailing one
      {"7 9;2a10", "2|7|9|10"},  // anything else only separates
      {"2 - 4", "2|3|4"},
      {"", ""},
      {"abc", ""},
      {"0", "0"},
      {"99999999", "99999999"},
  };
  TStringList List;
  for (const TCase& C : Cases) {
    ParsePageList(C.Text, List, true);
    EXPECT_EQ(C.Pages, Joined(List)) << C.Text;
  }
  // Untrimmed entries are 8 characters wide, so their text order is their numeric order.
  List.Add("left over");
  ParsePageList("10,9", List, false);
  EXPECT_EQ("       9|      10", Joined(List));
}

// Numbers past the entries' width and lists too long to hold are refused, not overflowed.
TEST(ppUtilsTest, PageListsRefuseWhatTheyCannotHold) {
  TStringList List;
  for (const char* Text : {"100000000", "1-99999999", "123456789012345678901234567890", "1,5-100004", "1-100001"}) {
    EXPECT_THROW(ParsePageList(Text, List, true), EPrintError) << Text;
  }
  try {
    ParsePageList("100000000", List, true);
  } catch (const EPrintError& E) {
    EXPECT_EQ("Informe os Números de Página e/ou Intervalos Separados por Vírgulas. Por Exemplo: 1,3,5-12.",
              E.Message());
  }
}

TEST(ppUtilsTest, SystemVariables) {
  TFixedClockScope Clock(EncodeDate(2026, 3, 4) + EncodeTime(13, 30, 55, 0));
  const TDateTime Printed = EncodeDate(2025, 12, 31) + EncodeTime(8, 5, 0, 0);
  struct TCase {
    TppVarType Type;
    bool Printing;
    const char* Text;
  };
  const TCase Cases[] = {
      {vtPageSetDesc, true, "Página 3 de 10"}, {vtPageSetDesc, false, "Página 1 de 1"},
      {vtPageSet, true, "3 de 10"},            {vtPageNoDesc, true, "Página 3"},
      {vtPageNo, true, "3"},                   {vtPageCount, true, "10"},
      {vtPageCount, false, "1"},               {vtDate, true, "04/03/2026"},
      {vtTime, true, "13:30:55"},              {vtDateTime, true, "04/03/2026 13:30:55"},
      {vtPrintDateTime, true, "31/12/2025 08:05:00"}, {vtPrintDateTime, false, "04/03/2026 13:30:55"},
      {vtDocumentName, true, "as set"},
  };
  for (const TCase& C : Cases) {
    std::string Text = "as set";
    GetSystemVariableText(C.Type, 3, 10, Text, C.Printing, Printed);
    EXPECT_EQ(C.Text, Text) << EnumInfo<TppVarType>().NameOf(C.Type) << " printing " << C.Printing;
  }
  EXPECT_EQ(vtPageNoDesc, CalcTypeToVarType(ctPageNoDesc));
  EXPECT_EQ(vtTime, CalcTypeToVarType(ctTime));
  EXPECT_EQ(vtDate, CalcTypeToVarType(ctCustom));
}

TEST(ppUtilsTest, Texts) {
  EXPECT_EQ("  abcde   ", PadText("abcde", 10, taCenter));
  EXPECT_EQ("abcde     ", PadText("abcde", 10, taLeftJustify));
  EXPECT_EQ("     abcde", PadText("abcde", 10, taRightJustify));
  EXPECT_EQ("abc", PadText("abcde", 3, taRightJustify));
  EXPECT_EQ("abcde", PadText("abcde", 5, taCenter));
  EXPECT_EQ("Pág ", PadText("Página", 3, taLeftJustify) + " ");  // characters, not bytes
  EXPECT_EQ(" ção", PadText("ção", 4, taRightJustify));

  TStringList L;
  SplitCommaList("a,,b", L);
  EXPECT_EQ("a||b", Joined(L));
  EXPECT_EQ(3, L.Count());
  SplitCommaList("a,b,", L);
  EXPECT_EQ(2, L.Count());
  SplitCommaList(" a , b", L);
  EXPECT_EQ(" a | b", Joined(L));  // no trimming

  EXPECT_EQ(9010, VersionToInteger("9.01"));
  EXPECT_EQ(1250, VersionToInteger("12.5"));
  EXPECT_EQ(7000, VersionToInteger("7"));
  EXPECT_EQ(9010, VersionToInteger("9.01 beta"));
  EXPECT_THROW(VersionToInteger("10.2.3"), EConvertError);  // only the first point goes

  EXPECT_EQ("bc", RemoveChar('a', "abca"));
  EXPECT_EQ("/tmp/reports/", ExtractDirectoryPart("/tmp/reports/a.rtm"));
  EXPECT_EQ("C:\\rel\\", ExtractDirectoryPart("C:\\rel\\a.rtm"));
  EXPECT_EQ("", ExtractDirectoryPart("a.rtm"));
  EXPECT_EQ("Pá", TppStrUtils::Left("Página", 2));
  EXPECT_EQ(7, TppMath::Max(-3, 7));
  EXPECT_TRUE(IsSameText("PÁGINA", "página"));
  EXPECT_EQ("utInches", GetEnumValueName(EnumInfo<TppUnitType>(), utInches));

  L.SetText("1.5\n2.25.1\n7\n");
  LocalizeDecimalPoints(L);  // Brazilian settings: a comma
  EXPECT_EQ("1,5|2,25.1|7", Joined(L));
  TMemoryStream S;
  S.WriteBuffer("old", 3);
  L.SetText("a\nb");
  StringsToStream(&L, &S);
  EXPECT_EQ("a\r\nb\r\n", std::string(reinterpret_cast<const char*>(S.Memory()), static_cast<size_t>(S.Size())));
  StringsToStream(nullptr, &S);  // nothing to do
}

TEST(ppUtilsTest, TemporaryFiles) {
  const std::string Dir = GetTempDirectory();
  ASSERT_EQ('/', Dir.back());
  const std::string Name = MakeTempFileName(Dir, "cchCache");
  EXPECT_TRUE(std::filesystem::exists(Name));
  EXPECT_EQ(0u, std::filesystem::file_size(Name));
  EXPECT_EQ(0u, std::filesystem::path(Name).filename().string().rfind("cch", 0));
  EXPECT_NE(Name, MakeTempFileName(Dir, "cch"));
  std::filesystem::remove(Name);
  EXPECT_THROW(MakeTempFileName("/nonexistent-folder-of-mor", "cch"), EFCreateError);
}

class TppProbe : public TComponent {
  DECLARE_CLASSINFO(TppProbe)
public:
  using TComponent::TComponent;
  int Count = 4;
  std::string Caption = "Probe";
  TppUnitType Units = utInches;
  TNotifyEvent OnPrint;
  int Printed = 0;
  void DoPrint(TObject*) { ++Printed; }
};

const TClassInfo& TppProbe::StaticClassInfo() {
  static const TClassInfo Info = TClassDef<TppProbe>("TppProbe", &TComponent::StaticClassInfo())
                                     .Prop("Count", &TppProbe::Count, &TppProbe::Count)
                                     .Prop("Caption", &TppProbe::Caption, &TppProbe::Caption)
                                     .Prop("Units", &TppProbe::Units, &TppProbe::Units)
                                     .Event("OnPrint", &TppProbe::OnPrint)
                                     .Method("DoPrint", &TppProbe::DoPrint);
  return Info;
}

TEST(ppUtilsTest, PublishedPropertiesByName) {
  TppProbe P(nullptr);
  EXPECT_TRUE(HasPublishedProperty(&P, "caption"));
  EXPECT_FALSE(HasPublishedProperty(&P, "Printed"));
  EXPECT_FALSE(HasPublishedProperty(nullptr, "Caption"));
  EXPECT_EQ(4, GetOrdPropByName(&P, "Count"));
  EXPECT_EQ(utInches, GetOrdPropByName(&P, "Units"));
  EXPECT_EQ(0, GetOrdPropByName(&P, "Missing"));
  EXPECT_EQ(0, GetOrdPropByName(&P, "Caption"));  // not ordinal
  EXPECT_EQ("Probe", GetStrPropByName(&P, "Caption"));
  EXPECT_EQ("", GetStrPropByName(&P, "Count"));
  SetOrdPropByName(&P, "Count", 9);
  SetOrdPropByName(&P, "Missing", 9);
  EXPECT_EQ(9, P.Count);

  TMethod M = MethodByName(&P, "DoPrint");
  ASSERT_TRUE(M.Assigned());
  SetMethodPropByName(&P, "OnPrint", M);
  ASSERT_TRUE(P.OnPrint);
  P.OnPrint(&P);
  EXPECT_EQ(1, P.Printed);
  EXPECT_EQ("DoPrint", P.OnPrint.MethodName());
  EXPECT_FALSE(MethodByName(&P, "Missing").Assigned());
  EXPECT_FALSE(MethodByName(nullptr, "DoPrint").Assigned());
}

// The count belongs to the thread that raised it: a worker in a main-thread context changes
// nothing for another worker, and leaving at 0 stays at 0.
TEST(ppUtilsTest, MainThreadContextIsPerThread) {
  EXPECT_TRUE(IsMainThreadContext());
  bool Before = true, Inside = false, Other = true, After = true, Below = true;
  std::thread Worker([&] {
    Before = IsMainThreadContext();
    LeaveMainThreadContext();  // at 0: stays 0
    Below = IsMainThreadContext();
    EnterMainThreadContext();
    EnterMainThreadContext();
    Inside = IsMainThreadContext();
    std::thread([&] { Other = IsMainThreadContext(); }).join();
    LeaveMainThreadContext();
    LeaveMainThreadContext();
    After = IsMainThreadContext();
  });
  Worker.join();
  EXPECT_FALSE(Before);
  EXPECT_FALSE(Below);
  EXPECT_TRUE(Inside);
  EXPECT_FALSE(Other);
  EXPECT_FALSE(After);
  EXPECT_TRUE(IsMainThreadContext());
}

}  // namespace
