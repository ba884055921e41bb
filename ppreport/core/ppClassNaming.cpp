// The report's naming of its objects and its lists of sub-reports.
#include <algorithm>
#include <cctype>
#include <functional>
#include <cstdint>
#include <set>
#include <unordered_set>
#include <string_view>

#include "ppreport/core/ppBand.h"
#include "ppreport/core/ppClass.h"
#include "ppreport/core/ppComponent.h"
#include "ppreport/core/ppGroup.h"
#include "ppreport/core/ppTemplate.h"
#include "platform/rtl/SysUtils.h"

namespace {
// The number after Base in Name (Base compared ignoring case), or 0 when it is not one above 0.
int64_t NumberAfter(std::string_view Name, std::string_view Base) {
  if (Name.size() <= Base.size() || !SameTextAscii(Name.substr(0, Base.size()), Base)) return 0;
  std::string_view Digits = Name.substr(Base.size());
  // Longer numbers can never be the first free one.
  if (Digits.size() > 9) return 0;
  int64_t N = 0;
  for (char D : Digits) {
    if (!std::isdigit(static_cast<unsigned char>(D))) return 0;
    N = N * 10 + (D - '0');
  }
  return N;
}
}  // namespace

std::string TppCustomReport::GetUniqueUserName(const TComponent* Component) const {
  if (auto* Band = dynamic_cast<const TppBand*>(Component)) return Band->GetUserName();
  const std::string Class = Component->ClassName();
  const std::string Base = Class.size() > 3 ? Class.substr(3) : "";
  // A set, not a list: a number used twice (two child reports) must not hide a free one.
  std::set<int64_t> Used;
  auto Count = [&](const TppCommunicator* C) {
    if (C == Component) return;
    if (int64_t N = NumberAfter(C->GetUserName(), Base)) Used.insert(N);
  };
  auto* Object = dynamic_cast<const TppComponent*>(Component);
  if (Object && Object->IsSubReport()) {
    TSubReportList All;
    GetAllSubReports(All);
    // The list holds the child reports; their sub-report objects carry the names.
    std::set<const TppCustomReport*> Children;
    for (auto& [Caption, Child] : All) Children.insert(Child);
    auto Walk = [&](const TppCustomReport* R) {
      for (TppBand* B : R->FBands)
        for (int I = 0; I < B->GetObjectCount(); ++I)
          if (TppComponent* C = B->GetObjects(I); C->IsSubReport()) Count(C);
    };
    Walk(this);
    for (const TppCustomReport* R : Children) Walk(R);
  } else {
    for (TppBand* B : FBands)
      for (int I = 0; I < B->GetObjectCount(); ++I)
        if (TppComponent* C = B->GetObjects(I); C->InheritsFrom(*Component->ClassInfo())) Count(C);
  }
  int64_t N = 1;
  while (Used.count(N)) ++N;
  return Base + std::to_string(N);
}

TppCommunicator* TppCustomReport::FindUserName(const std::string& Value) const {
  if (SameTextAscii(GetUserName(), Value)) return const_cast<TppCustomReport*>(this);
  for (TppBand* B : FBands) {
    if (SameTextAscii(B->GetUserName(), Value)) return B;
    for (int I = 0; I < B->GetObjectCount(); ++I)
      if (TppComponent* C = B->GetObjects(I); SameTextAscii(C->GetUserName(), Value)) return C;
  }
  for (TppGroup* G : FGroups)
    if (SameTextAscii(G->GetUserName(), Value)) return G;
  TppCommunicator* Found = TppProducer::FindUserName(Value);
  if (dynamic_cast<TppBand*>(Found) || dynamic_cast<TppComponent*>(Found) || dynamic_cast<TppGroup*>(Found))
    return nullptr;
  return Found;
}

void TppCustomReport::SetName(const std::string& Value) {
  const std::string OldName = Name();
  TppProducer::SetName(Value);
  // An empty old name would be a prefix of every name.
  if ((DesignState() & 1) && !OldName.empty() && OldName != Value) {
    auto Follow = [&](TComponent* C) {
      const std::string& N = C->Name();
      if (N.size() >= OldName.size() && N.compare(0, OldName.size(), OldName) == 0)
        C->SetName(Value + N.substr(OldName.size()));
    };
    for (TppGroup* G : std::vector<TppGroup*>(FGroups)) Follow(G);
    for (TppBand* B : std::vector<TppBand*>(FBands))
      for (int I = 0; I < B->GetObjectCount(); ++I) Follow(B->GetObjects(I));
  }
  SendDesignerMessage(1124, 5050, reinterpret_cast<intptr_t>(this));
}

void TppCustomReport::GetSubReports(TSubReportList& List) const {
  for (TppBand* B : FBands)
    for (int I = 0; I < B->GetObjectCount(); ++I) {
      TppComponent* C = B->GetObjects(I);
      if (TppCustomReport* Child = C->IsSubReport() ? C->ChildReport() : nullptr)
        List.emplace_back(C->GetCaption(), Child);
    }
}

void TppCustomReport::GetAllSubReports(TSubReportList& List) const {
  TSubReportList Own;
  GetSubReports(Own);
  for (auto& Entry : Own) {
    List.push_back(Entry);
    Entry.second->GetAllSubReports(List);
  }
}

void TppCustomReport::GetSubReportsInPrintOrder(std::vector<TComponent*>& List) const {
  const TppBand* Detail = GetDetailBand();
  auto Append = [&List](const TppBand* B) {
    std::vector<TppComponent*> SubReports;
    B->GetSubReports(SubReports);
    List.insert(List.end(), SubReports.begin(), SubReports.end());
  };
  for (TppBand* B : FBands) {
    // The first group prints the detail band's sub-reports among its own.
    if (B == Detail && !FGroups.empty())
      List.push_back(FGroups.front());
    else
      Append(B);
  }
}

void TppCustomReport::ChangeReportDesigner(TComponent* Designer, bool MayLoadTemplate) {
  if (Designer == GetDesigner()) return;
  const bool Load = MayLoadTemplate && HasState(csDesigning) && FSaveAsTemplate && !(DesignState() & 0x80) &&
                    GetMainReport() == this;
  SendDesignerMessage(1143, 5050, reinterpret_cast<intptr_t>(this));
  SetDesigner(Designer);
  if (Load && Designer) FTemplate->Load();
  SendDesignerMessage(1142, 5050, reinterpret_cast<intptr_t>(this));
  TSubReportList SubReports;
  GetSubReports(SubReports);
  for (auto& Entry : SubReports) Entry.second->ChangeReportDesigner(Designer, MayLoadTemplate);
}

TObject* TppCustomReport::FindObjectContainer(TObject* Container, const TObject* Object,
                                              const TOutlineChildren& ChildrenOf) {
  // Each participant is searched once, so a participant listed twice (or under itself) cannot
  // make the search endless.
  std::unordered_set<const TObject*> Seen;
  std::function<TObject*(TObject*)> Search = [&](TObject* C) -> TObject* {
    if (!C || !Seen.insert(C).second) return nullptr;
    const std::vector<TObject*> Children = ChildrenOf(C);
    if (std::find(Children.begin(), Children.end(), Object) != Children.end()) return C;
    for (TObject* Child : Children)
      if (TObject* Found = Search(Child)) return Found;
    return nullptr;
  };
  return Search(Container);
}
