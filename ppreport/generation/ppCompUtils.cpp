#include "ppreport/generation/ppCompUtils.h"

#include <cmath>
#include <limits>
#include <memory>
#include <set>

#include "platform/rtl/FloatFormat.h"
#include "platform/rtl/FormatSettings.h"
#include "platform/rtl/RtlMath.h"
#include "platform/rtl/SysUtils.h"
#include "ppreport/core/ppBand.h"
#include "ppreport/core/ppClass.h"
#include "ppreport/core/ppEngine.h"
#include "ppreport/generation/ppMemo.h"
#include "ppreport/generation/ppStrtch.h"

TComponent* CreateUniqueComponent(TComponent* Component, const TClassInfo& Class) {
  auto* Beside = dynamic_cast<TppCommunicator*>(Component);
  if (!Beside || !Class.Create) return nullptr;
  // A report without a designer of its own takes no creator from further up.
  auto* Report = dynamic_cast<TppCustomReport*>(Beside);
  TComponent* CreatorObject = Report && !Report->GetReportDesigner() ? nullptr : Beside->FindComponentCreator();
  TComponent* New = nullptr;
  if (auto* Creator = dynamic_cast<IppComponentCreator*>(CreatorObject)) {
    New = Creator->CreateComponent(Class, nullptr, -1, -1, -1, -1);
    if (!New) return nullptr;
    New->SetName(Beside->GetUniqueName(New));
  } else {
    TPersistent* Made = Class.Create(nullptr);
    auto* C = dynamic_cast<TComponent*>(Made);
    if (!C) {
      delete Made;
      return nullptr;
    }
    // Freed here should naming or inserting fail.
    std::unique_ptr<TComponent, void (*)(TComponent*)> Guard(C, [](TComponent* X) { X->Free(); });
    C->SetName(Beside->GetUniqueName(C));
    (Beside->Owner() ? Beside->Owner() : Beside)->InsertComponent(C);
    New = Guard.release();
  }
  if (auto* Named = dynamic_cast<TppCommunicator*>(New)) Named->SetUserName(Beside->GetUniqueUserName(New));
  return New;
}

bool GetUserNameSuffixNumber(const std::string& Prefix, const TComponent* Communicator, int& Number) {
  Number = 0;
  auto* C = dynamic_cast<const TppCommunicator*>(Communicator);
  if (!C) return false;
  const std::string Name = C->GetUserName();
  if (Name.compare(0, Prefix.size(), Prefix) != 0) return false;
  const int64_t N = StrToIntDef(Name.substr(Prefix.size()), 0);
  Number = N > 0 && N <= std::numeric_limits<int>::max() ? static_cast<int>(N) : 0;
  return Number > 0;
}

namespace {
// A stored tab stop in thousandths of a millimetre: an integer, or a decimal written with a point
// or a comma by whatever locale wrote it.
int32_t TabStopMicrons(const std::string& Text) {
  const std::string T = Trim(Text);
  double V = 0;
  TFormatSettings Point = EnglishFormatSettings(), Comma = EnglishFormatSettings();
  Point.DecimalSeparator = '.';
  Point.ThousandSeparator = '\0';
  Comma.DecimalSeparator = ',';
  Comma.ThousandSeparator = '\0';
  if (!TryStrToFloat(T, V, Point) && !TryStrToFloat(T, V, Comma)) return 0;
  if (!std::isfinite(V) || std::fabs(V) > std::numeric_limits<int32_t>::max()) return 0;
  return static_cast<int32_t>(Round(static_cast<long double>(V)));
}
}  // namespace

void NormalizeTabStopTexts(TStrings& List) {
  for (int I = 0; I < List.Count(); ++I) {
    const std::string Text = IntToStr(TabStopMicrons(List.Get(I)));
    if (Text != List.Get(I)) List.Put(I, Text);
  }
}

void FixMemoTabStopSeparators(TComponent* Report) {
  auto* R = dynamic_cast<TppCustomReport*>(Report);
  if (!R) return;
  for (int B = 0; B < R->BandCount(); ++B) {
    TppBand* Band = R->GetBands(B);
    for (int I = 0; I < Band->GetObjectCount(); ++I)
      if (auto* Memo = dynamic_cast<TppCustomMemo*>(Band->GetObjects(I)); Memo && Memo->StoredTabStops().Count() > 0)
        Memo->NormalizeTabStops();
  }
}

bool ppReportGenerating(const TppCustomReport* Report) {
  if (!Report) return false;
  const TppCustomReport* Main = Report->GetMainReport();
  const TppCustomEngine* E = Main->Engine();
  return Main->Printing() || (E && E->Printing());
}

bool ppValidShiftRelativeTo(const TppStretchable& Object, const TppStretchable* Proposed) {
  if (!Proposed) return true;
  const auto* Region = static_cast<const TComponent*>(Object.Region());
  if (static_cast<const TComponent*>(Proposed->Region()) == static_cast<const TComponent*>(&Object)) return false;
  // Each link once: a chain that already loops elsewhere ends the walk (and is no place to join).
  std::set<const TppStretchable*> Seen;
  for (const TppStretchable* R = Proposed; R; R = R->ShiftRelativeTo()) {
    if (R == &Object || !Seen.insert(R).second) return false;
    if (Region && static_cast<const TComponent*>(R) == Region) return false;
  }
  return true;
}
