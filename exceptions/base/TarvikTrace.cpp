#include "exceptions/base/TarvikTrace.h"

#include <atomic>
#include <typeinfo>

#include "exceptions/base/TarvikUtils.h"
#include "platform/classes/Classes.h"
#include "platform/classes/Streams.h"
#include "platform/classes/SyncObjs.h"
#include "platform/rtl/FloatFormat.h"
#include "platform/rtl/SysUtils.h"
#include "platform/rtl/Win1252.h"
#include "platform/sys/FileSystem.h"
#include "platform/sys/Process.h"

namespace {
TCriticalSection TraceLock;
std::atomic<bool> TraceActive{false};
bool TraceSaveOnCheckpoints = false;
bool TraceSaveEveryLine = false;
std::vector<std::string> Lines;
std::string Indent;
std::string FileName;
std::function<TDateTime()> Clock;

std::string Quoted(const std::string& S) { return "'" + S + "'"; }

std::string TwoDigits(int V) { return std::string(1, static_cast<char>('0' + V / 10 % 10)) + static_cast<char>('0' + V % 10); }

std::string Stamp(TDateTime T) {
  int Y, Mo, D, H, Mi, S, Ms;
  DecodeDate(T, Y, Mo, D);
  DecodeTime(T, H, Mi, S, Ms);
  return TwoDigits(D) + "/" + TwoDigits(Mo) + "/" + TwoDigits(Y % 100) + " " + TwoDigits(H) + ":" + TwoDigits(Mi) +
         ":" + TwoDigits(S);
}

std::string ClassNameOf(const TObject* O) {
  if (auto* P = dynamic_cast<const TPersistent*>(O)) return P->ClassName();
  return DemangledTypeName(typeid(*O).name());
}

// Under TraceLock. Failures to write are not the program's concern: the trace stays in memory.
bool WriteFile(const std::string& Name) {
  try {
    std::string Text;
    for (const std::string& L : Lines) Text += L + "\r\n";
    std::string Bytes = Utf8ToWin1252(Text);
    ForceDirectories(ExtractFilePath(Name));
    TFileStream F(Name, fmCreate);
    F.WriteBuffer(Bytes.data(), static_cast<int64_t>(Bytes.size()));
    return true;
  } catch (...) {
    return false;
  }
}

bool LastParamHas(const std::vector<std::string>& Params, const char* Word) {
  return !Params.empty() && UpperCaseAscii(Params.back()).find(Word) != std::string::npos;
}
}  // namespace

TTraceValue::TTraceValue(const TObject* V) : FTag(TTraceTag::Object), FNil(V == nullptr) {
  if (V) FText = ClassNameOf(V);
}

TTraceValue::TTraceValue(const std::exception* V) : FTag(TTraceTag::Object), FNil(V == nullptr) {
  if (auto* X = dynamic_cast<const Exception*>(V))
    FText = X->ClassName();
  else if (V)
    FText = DemangledTypeName(typeid(*V).name());
}

TTraceValue TTraceValue::ShortString(std::string_view V) {
  TTraceValue R(V);
  R.FTag = TTraceTag::ShortString;
  return R;
}

TTraceValue TTraceValue::Currency(int64_t TenThousandths) {
  TTraceValue R(static_cast<double>(TenThousandths) / 10000.0);
  R.FTag = TTraceTag::Currency;
  return R;
}

std::string TTraceValue::Text() const {
  switch (FTag) {
    case TTraceTag::Integer: return IntToStr(FInt);
    case TTraceTag::Boolean: return FInt ? "True" : "False";
    case TTraceTag::Char: return FText;
    case TTraceTag::Float:
    case TTraceTag::Currency: return FloatToStr(FFloat);
    case TTraceTag::Pointer:
      return FInt == 0 ? "nil" : "$" + IntToHex(static_cast<uint64_t>(FInt), 2 * static_cast<int>(sizeof(void*)));
    case TTraceTag::ShortString:
    case TTraceTag::Text: return Quoted(FText);
    case TTraceTag::PChar: return FNil ? "nil" : Quoted(FText);
    case TTraceTag::Object: return FNil ? "nil" : FText;
  }
  return "Unknown";
}

void TraceEntry(std::string_view Name, std::initializer_list<TTraceValue> Values, int IndentChange) {
  if (!TraceActive.load()) return;
  std::string Args;
  for (const TTraceValue& V : Values) {
    if (!Args.empty()) Args += ", ";
    Args += V.Text();
  }
  if (Values.size() > 0) Args = "(" + Args + ")";
  TLock L(TraceLock);
  if (IndentChange < 0) Indent.resize(Indent.size() - std::min(Indent.size(), static_cast<size_t>(-IndentChange)));
  TDateTime T = Clock ? Clock() : Now();
  Lines.push_back(Stamp(T) + "  " + Indent + std::string(Name) + Args);
  if (IndentChange > 0) Indent.append(static_cast<size_t>(IndentChange), ' ');
  if (TraceSaveEveryLine) WriteFile(FileName);
}

void SaveTraceFile() {
  TLock L(TraceLock);
  if (TraceActive.load() && TraceSaveOnCheckpoints) WriteFile(FileName);
}

void ForceSaveTraceFile() {
  TLock L(TraceLock);
  if (TraceActive.load()) WriteFile(FileName);
}

bool SaveTraceCopy(const std::string& Name) {
  TLock L(TraceLock);
  return TraceActive.load() && WriteFile(Name);
}

bool IsTraceActive() { return TraceActive.load(); }

void ActivateTrace() { TraceActive.store(true); }

bool IsDesignHostMode() { return false; }

void InitializeTrace(const std::vector<std::string>& Params) {
  TLock L(TraceLock);
  bool Debug = LastParamHas(Params, "DEBUG");
  TraceActive.store(Debug);
  TraceSaveOnCheckpoints = Debug;
  TraceSaveEveryLine = LastParamHas(Params, "SAVE");
  Lines.clear();
  Indent.clear();
  FileName = WritableOutputPath(ChangeFileExt(ProgramPath(), ".log"));
}

void FinalizeTrace() {
  TLock L(TraceLock);
  TraceActive.store(false);
  TraceSaveOnCheckpoints = false;
  TraceSaveEveryLine = false;
  Lines.clear();
  Indent.clear();
}

std::string TraceFileName() {
  TLock L(TraceLock);
  return FileName;
}

void SetTraceFileName(const std::string& Name) {
  TLock L(TraceLock);
  FileName = Name;
}

std::vector<std::string> TraceLines() {
  TLock L(TraceLock);
  return Lines;
}

void SetTraceClock(std::function<TDateTime()> NewClock) {
  TLock L(TraceLock);
  Clock = std::move(NewClock);
}
