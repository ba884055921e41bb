#include "ppreport/core/ppUtils.h"

#include <atomic>
#include <set>
#include <thread>

#include "platform/classes/StringList.h"
#include "platform/classes/ScopeGuard.h"
#include "platform/classes/Streams.h"
#include "platform/classes/TempFiles.h"
#include "platform/rtl/DateFormat.h"
#include "platform/rtl/FormatSettings.h"
#include "platform/rtl/LocaleCase.h"
#include "platform/rtl/Win1252.h"
#include "ppreport/core/ppLanguage.h"
#include "ppreport/core/ppUnits.h"

namespace {
bool IsDigit(char C) { return C >= '0' && C <= '9'; }

[[noreturn]] void PageListError() { throw EPrintError(LanguageString(11)); }

// Byte offset just past the first Count characters of S (all of S when it has fewer).
size_t CharOffset(std::string_view S, size_t Count) {
  size_t I = 0;
  for (size_t N = 0; N < Count && I < S.size(); ++N) NextUtf8(S, I);
  return I;
}
size_t CharCount(std::string_view S) {
  size_t I = 0, N = 0;
  while (I < S.size()) NextUtf8(S, I), ++N;
  return N;
}

const TPropInfo* FindPublished(const TPersistent* Object, std::string_view Name) {
  return Object ? Object->ClassInfo()->FindProp(Name) : nullptr;
}

std::atomic<std::thread::id> MainThread;
thread_local int MainThreadContextCount = 0;
}  // namespace

// ---- Page lists

void ParsePageList(std::string_view Text, TStringList& List, bool TrimResult) {
  std::set<int> Pages;
  auto AddPage = [&](int N) {
    Pages.insert(N);
    if (Pages.size() > static_cast<size_t>(ppMaxPageListCount)) PageListError();
  };
  int64_t Number = 0;
  bool InNumber = false, RangeOpen = false;
  int RangeStart = -1;  // the page after the last number; -1: none
  for (size_t I = 0; I < Text.size(); ++I) {
    const char C = Text[I];
    if (IsDigit(C)) {
      Number = Number * 10 + (C - '0');
      if (Number > ppMaxPageListPage) PageListError();
      InNumber = true;
    }
    if (InNumber && (!IsDigit(C) || I + 1 == Text.size())) {
      const int N = static_cast<int>(Number);
      AddPage(N);
      if (!RangeOpen) {
        RangeStart = N + 1;
      } else {
        if (RangeStart < N && static_cast<size_t>(N - RangeStart) + Pages.size() > ppMaxPageListCount)
          PageListError();
        for (int P = RangeStart; P < N; ++P) AddPage(P);
        RangeStart = -1;
        RangeOpen = false;
      }
      Number = 0;
      InNumber = false;
    }
    if (C == '-' && RangeStart >= 0) RangeOpen = true;
  }
  TUpdateScope Update(List);
  List.Clear();
  for (int P : Pages) {
    std::string S = Format("%8d", {P});
    List.Add(TrimResult ? TrimLeft(S) : S);
  }
}

// ---- System variables

void FormatSystemVariable(TppVarType VarType, int PageNo, int PageCount, std::string& Text, bool Printing,
                          TDateTime PrintDateTime) {
  if (!Printing) {
    PageNo = 1;
    PageCount = 1;
    PrintDateTime = Now();
  }
  const std::string PageSet = IntToStr(PageNo) + " " + LanguageString(16) + " " + IntToStr(PageCount);
  switch (VarType) {
    case vtDate: Text = DateToStr(Date()); break;
    case vtDateTime: Text = DateTimeToStr(Now()); break;
    case vtPrintDateTime: Text = DateTimeToStr(PrintDateTime); break;
    case vtTime: Text = TimeToStr(Now()); break;
    case vtPageCount: Text = IntToStr(PageCount); break;
    case vtPageNo: Text = IntToStr(PageNo); break;
    case vtPageSet: Text = PageSet; break;
    case vtPageSetDesc: Text = LanguageString(18) + " " + PageSet; break;
    case vtPageNoDesc: Text = LanguageString(18) + " " + IntToStr(PageNo); break;
    case vtDocumentName: break;
  }
}

void GetSystemVariableText(TppVarType VarType, int PageNo, int PageCount, std::string& Text, bool Printing,
                           TDateTime PrintDateTime) {
  FormatSystemVariable(VarType, PageNo, PageCount, Text, Printing, PrintDateTime);
}

TppVarType CalcTypeToVarType(TppCalcType CalcType) {
  switch (CalcType) {
    case ctDate: return vtDate;
    case ctDateTime: return vtDateTime;
    case ctPrintDateTime: return vtPrintDateTime;
    case ctPageCount: return vtPageCount;
    case ctPageSet: return vtPageSet;
    case ctPageSetDesc: return vtPageSetDesc;
    case ctPageNo: return vtPageNo;
    case ctPageNoDesc: return vtPageNoDesc;
    case ctTime: return vtTime;
    case ctCustom: break;
  }
  return vtDate;
}

// ---- Texts

void SplitCommaList(std::string_view Text, TStrings& List) {
  TUpdateScope Update(List);
  List.Clear();
  for (size_t Comma = Text.find(','); Comma != std::string_view::npos; Comma = Text.find(',')) {
    List.Add(std::string(Text.substr(0, Comma)));
    Text.remove_prefix(Comma + 1);
  }
  if (!Text.empty()) List.Add(std::string(Text));
}

std::string PadText(std::string_view Text, int Length, TAlignment Alignment) {
  const size_t Want = Length > 0 ? static_cast<size_t>(Length) : 0;
  const size_t Have = CharCount(Text);
  if (Have >= Want) return std::string(Text.substr(0, CharOffset(Text, Want)));
  const size_t Missing = Want - Have;
  switch (Alignment) {
    case taRightJustify: return std::string(Missing, ' ') + std::string(Text);
    case taCenter: return std::string(Missing / 2, ' ') + std::string(Text) + std::string(Missing - Missing / 2, ' ');
    case taLeftJustify: break;
  }
  return std::string(Text) + std::string(Missing, ' ');
}

std::string RemoveChar(char Ch, std::string_view Text) {
  std::string S;
  for (char C : Text)
    if (C != Ch) S += C;
  return S;
}

std::string ExtractDirectoryPart(std::string_view Path) {
  size_t P = Path.find_last_of("/\\");
  return P == std::string_view::npos ? std::string() : std::string(Path.substr(0, P + 1));
}

void LocalizeDecimalPoints(TStrings& List) {
  const char Separator = FormatSettings().DecimalSeparator;
  for (int I = 0; I < List.Count(); ++I) {
    std::string S = List.Get(I);
    size_t P = S.find('.');
    if (P == std::string::npos) continue;
    S[P] = Separator;
    List.Put(I, S);
  }
}

void StringsToStream(const TStrings* List, TMemoryStream* Stream) {
  if (!List || !Stream) return;
  Stream->Clear();
  const std::string Text = List->Text();
  Stream->WriteBuffer(Text.data(), static_cast<int64_t>(Text.size()));
}

bool IsSameText(std::string_view A, std::string_view B) { return AnsiSameText(A, B); }

TDateTime TextToDateTime(std::string_view Text) { return StrToDateTime(Text); }

int64_t VersionToInteger(std::string_view Text) {
  std::string S;
  for (char C : Text) {
    if ((!IsDigit(C) && C != '.') || S.size() == 19) break;
    S += C;
  }
  if (size_t P = S.find('.'); P != std::string::npos) S.erase(P, 1);
  while (S.size() < 4) S += '0';
  return StrToInt(S);
}

TRect MakeRect(int Left, int Top, int Right, int Bottom) { return Rect(Left, Top, Right, Bottom); }

std::string GetEnumValueName(const TEnumInfo& TypeInfo, int Value) { return TypeInfo.NameOf(Value); }

std::string TppStrUtils::Left(std::string_view Text, int Count) {
  return std::string(Text.substr(0, CharOffset(Text, Count > 0 ? static_cast<size_t>(Count) : 0)));
}

// ---- Files

std::string GetTempDirectory() { return GetTempPath(); }

std::string MakeTempFileName(const std::string& Directory, std::string_view Prefix) {
  return GetTempFileName(Directory, std::string(Prefix.substr(0, CharOffset(Prefix, 3))));
}

// ---- Published properties by name

bool HasPublishedProperty(const TPersistent* Object, std::string_view Name) {
  return FindPublished(Object, Name) != nullptr;
}

int64_t GetOrdPropByName(const TPersistent* Object, std::string_view Name) {
  const TPropInfo* P = FindPublished(Object, Name);
  return P && P->GetOrd ? P->GetOrd(Object) : 0;
}

std::string GetStrPropByName(const TPersistent* Object, std::string_view Name) {
  const TPropInfo* P = FindPublished(Object, Name);
  return P && P->GetStr ? P->GetStr(Object) : std::string();
}

void SetOrdPropByName(TPersistent* Object, std::string_view Name, int64_t Value) {
  const TPropInfo* P = FindPublished(Object, Name);
  if (P && P->SetOrd) P->SetOrd(Object, Value);
}

void SetMethodPropByName(TPersistent* Object, std::string_view Name, const TMethod& Method) {
  const TPropInfo* P = FindPublished(Object, Name);
  if (P && P->SetMethod) P->SetMethod(Object, Method);
}

TMethod MethodByName(TPersistent* Object, std::string_view Name) {
  if (!Object) return {};
  const TMethodInfo* M = Object->ClassInfo()->FindMethod(Name);
  if (!M) return {};
  return {M->Name, M->Bind(Object)};
}

// ---- Main-thread context

bool IsMainThreadContext() {
  return MainThreadContextCount > 0 || std::this_thread::get_id() == MainThread.load();
}

void EnterMainThreadContext() { ++MainThreadContextCount; }

void LeaveMainThreadContext() {
  if (MainThreadContextCount > 0) --MainThreadContextCount;
}

void InitializeUtilsUnit() { MainThread = std::this_thread::get_id(); }

void FinalizeUtilsUnit() { MainThread = std::thread::id(); }
