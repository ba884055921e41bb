#include "ppreport/core/ppDataSetPipe.h"

#include <algorithm>
#include <cstdlib>

#include "platform/classes/ClassesConsts.h"
#include "platform/graphics/Picture.h"
#include "platform/rtl/LocaleCase.h"
#include "ppreport/core/ppConsts.h"
#include "ppreport/core/ppUnits.h"

namespace {
// One link's order of a detail value against the master's: nulls first, numbers and dates by
// value, texts by the link's collation and letter case.
int CompareLinkValue(const Variant& Detail, const Variant& Master, const TppMasterFieldLink& Link) {
  const bool DetailNull = Detail.IsNull() || Detail.IsEmpty();
  const bool MasterNull = Master.IsNull() || Master.IsEmpty();
  if (DetailNull || MasterNull) return DetailNull == MasterNull ? 0 : (DetailNull ? -1 : 1);
  auto Numeric = [](const Variant& V) {
    return V.IsNumeric() || V.VarType() == varDate || V.VarType() == varBoolean;
  };
  if (Numeric(Detail) && Numeric(Master)) {
    const double A = Detail.AsFloat(), B = Master.AsFloat();
    return A < B ? -1 : (A > B ? 1 : 0);
  }
  std::string A = Detail.AsString(), B = Master.AsString();
  if (!Link.IsCaseSensitive) {
    A = Link.CollationType == ctASCII ? UpperCaseAscii(A) : AnsiUpperCase(A);
    B = Link.CollationType == ctASCII ? UpperCaseAscii(B) : AnsiUpperCase(B);
  }
  const int C = A.compare(B);
  return C < 0 ? -1 : (C > 0 ? 1 : 0);
}

template <class T>
std::vector<T*> ChildrenOf(const TppRelative& R) {
  std::vector<T*> L;
  for (int I = 0; I < R.GetChildCount(); ++I)
    if (auto* C = dynamic_cast<T*>(R.GetChild(I))) L.push_back(C);
  return L;
}

char AsciiUpper(char C) { return C >= 'a' && C <= 'z' ? static_cast<char>(C - 'a' + 'A') : C; }

struct TAsciiNoCaseHash {
  size_t operator()(const std::string& S) const {
    size_t H = 14695981039346656037ull;
    for (char C : S) H = (H ^ static_cast<unsigned char>(AsciiUpper(C))) * 1099511628211ull;
    return H;
  }
};
struct TAsciiNoCaseEqual {
  bool operator()(const std::string& A, const std::string& B) const { return SameTextAscii(A, B); }
};
}  // namespace

struct TppDataSetPipeline::TChildIndex {
  std::vector<TppField*> Fields;
  std::vector<TppMasterFieldLink*> Links;
  std::unordered_map<std::string, TppField*, TAsciiNoCaseHash, TAsciiNoCaseEqual> ByName;
};

const TClassInfo& TppDataSetPipeline::StaticClassInfo() {
  static const TClassInfo Info =
      TClassDef<TppDataSetPipeline>("TppDataSetPipeline", &TppDataPipeline::StaticClassInfo())
          .Prop("DataSet", &TppDataSetPipeline::DataSet, &TppDataSetPipeline::SetDataSet);
  return Info;
}

TppDataSetPipeline::TppDataSetPipeline(TComponent* AOwner) : TppDataPipeline(AOwner) {}

TppDataSetPipeline::~TppDataSetPipeline() { BeforeDestruction(); }

TppDataType TppDataSetPipeline::DataTypeOf(TFieldType Type) {
  switch (Type) {
    case ftString: return dtString;
    case ftSmallint:
    case ftInteger:
    case ftWord: return dtInteger;
    case ftBoolean: return dtBoolean;
    case ftFloat: return dtDouble;
    case ftCurrency:
    case ftBCD: return dtCurrency;
    case ftDate: return dtDate;
    case ftTime: return dtTime;
    case ftDateTime: return dtDateTime;
    case ftBlob: return dtBLOB;
    case ftMemo: return dtMemo;
    case ftGraphic: return dtGraphic;
    case ftUnknown: break;
  }
  return dtNotKnown;
}

void TppDataSetPipeline::SetDataSet(TDataSet* Value) {
  if (Value == FDataSet) return;
  if (FDataSet) RemoveFreeNotification(FDataSet);
  FreeFields();
  FBookmarks.clear();
  FOpenedDataSet = false;
  FDataSet = Value;
  if (FDataSet) FreeNotification(FDataSet);
  DoOnDataChange();
}

void TppDataSetPipeline::Notification(TComponent* AComponent, TOperation Operation) {
  TppDataPipeline::Notification(AComponent, Operation);
  if (Operation == opRemove && AComponent == FDataSet) {
    FDataSet = nullptr;
    FOpenedDataSet = false;
    FBookmarks.clear();
  }
}

// ---- opening and moving

bool TppDataSetPipeline::GetActive() const { return FDataSet && FDataSet->Active(); }

bool TppDataSetPipeline::IsDataAvailable() const { return GetActive(); }

bool TppDataSetPipeline::IsDataBOF() const { return !GetActive() || FDataSet->Bof(); }

bool TppDataSetPipeline::IsDataEOF() const { return !GetActive() || FDataSet->Eof(); }

bool TppDataSetPipeline::DataChangesSuppressed() const { return FDataSet && FDataSet->ControlsDisabled(); }

void TppDataSetPipeline::OpenData() {
  if (!FDataSet) return;
  if (!FDataSet->Active()) {
    FDataSet->Open();
    FOpenedDataSet = true;
  }
  if (GetFieldCount() == 0) CreateFields();
}

void TppDataSetPipeline::CloseData() {
  if (FDataSet && FOpenedDataSet) {
    FOpenedDataSet = false;
    FBookmarks.clear();  // the records they named are gone
    FDataSet->Close();
  }
}

void TppDataSetPipeline::GotoFirstRecord() {
  if (GetActive()) FDataSet->First();
  TppDataPipeline::GotoFirstRecord();
}

void TppDataSetPipeline::GotoLastRecord() {
  if (GetActive()) FDataSet->Last();
  TppDataPipeline::GotoLastRecord();
}

int TppDataSetPipeline::MoveDataBy(int Count) {
  if (!GetActive() || Count == 0) return 0;
  int Moved = 0;
  for (int64_t I = 0, N = std::abs(int64_t(Count)); I < N; ++I) {
    const int64_t Before = FDataSet->RecNo();
    Count > 0 ? FDataSet->Next() : FDataSet->Prior();
    if (FDataSet->RecNo() == Before) break;
    ++Moved;
  }
  return Count > 0 ? Moved : -Moved;
}

int64_t TppDataSetPipeline::RecordIndex() const { return GetActive() ? std::max<int64_t>(FDataSet->RecNo() - 1, 0) : 0; }

bool TppDataSetPipeline::GotoRecordIndex(int64_t Index) {
  return GetActive() && FDataSet->MoveTo(Index);
}

// ---- bookmarks

TppBookmark TppDataSetPipeline::GetBookmark() {
  if (!GetActive() || FDataSet->RecNo() == 0) return 0;
  FBookmarks.emplace(++FLastBookmark, FDataSet->GetBookmark());
  return FLastBookmark;
}

void TppDataSetPipeline::FreeBookmark(TppBookmark Bookmark) { FBookmarks.erase(Bookmark); }

bool TppDataSetPipeline::IsBookmarkValid(TppBookmark Bookmark) const {
  auto It = FBookmarks.find(Bookmark);
  return It != FBookmarks.end() && FDataSet && FDataSet->BookmarkValid(It->second);
}

bool TppDataSetPipeline::GotoBookmark(TppBookmark Bookmark) {
  if (!IsBookmarkValid(Bookmark)) return false;
  FDataSet->GotoBookmark(FBookmarks.at(Bookmark));
  return TppDataPipeline::GotoBookmark(Bookmark);
}

int TppDataSetPipeline::CompareBookmarks(TppBookmark A, TppBookmark B) {
  if (!IsBookmarkValid(A) || !IsBookmarkValid(B)) return TppDataPipeline::CompareBookmarks(A, B);
  return FDataSet->CompareBookmarks(FBookmarks.at(A), FBookmarks.at(B));
}

// ---- fields

const TppDataSetPipeline::TChildIndex& TppDataSetPipeline::Children() const {
  if (FChildIndex) return *FChildIndex;
  auto Index = std::make_unique<TChildIndex>();
  Index->Fields = ChildrenOf<TppField>(*this);
  Index->Links = ChildrenOf<TppMasterFieldLink>(*this);
  for (TppField* F : Index->Fields) Index->ByName.emplace(F->FieldName(), F);
  FChildIndex = std::move(Index);
  return *FChildIndex;
}

void TppDataSetPipeline::ChildrenChanged() {
  FChildIndex.reset();
  ++FFieldsVersion;
}

void TppDataSetPipeline::FieldChanged() { ChildrenChanged(); }

void TppDataSetPipeline::InsertChild(int Index, TppRelative* Child) {
  TppDataPipeline::InsertChild(Index, Child);
  ChildrenChanged();
}

void TppDataSetPipeline::RemoveChild(TppRelative* Child) {
  TppDataPipeline::RemoveChild(Child);
  ChildrenChanged();
}

bool TppDataSetPipeline::GetRecordKey(TRecordKey& Key) const {
  if (!OnRecord()) return false;
  const TBookmark B = FDataSet->GetBookmark();
  if (!B.Assigned()) return false;
  Key = {B.Generation, B.Record, FFieldsVersion};
  return true;
}

void TppDataSetPipeline::CreateFields() {
  for (int I = 0; I < FDataSet->FieldCount(); ++I) {
    const TField* Source = FDataSet->Fields()[I];
    auto* F = new TppField(Owner());
    F->SetParent(this);
    F->SetFieldName(Source->FieldName());
    F->SetFieldAlias(Source->DisplayLabel());
    if (IsDataTypeSupported(DataTypeOf(Source->DataType()))) F->SetDataType(DataTypeOf(Source->DataType()));
    if (Source->Size() > 0) F->SetFieldLength(Source->Size());
  }
}

void TppDataSetPipeline::FreeFields() {
  for (TppField* F : ChildrenOf<TppField>(*this)) F->Free();
}

int TppDataSetPipeline::GetFieldCount() const { return static_cast<int>(Children().Fields.size()); }

TppField* TppDataSetPipeline::GetFieldAt(int Index) const {
  const auto& L = Children().Fields;
  if (Index < 0 || Index >= static_cast<int>(L.size())) throw EListError(Format(SListIndexError, {Index}));
  return L[static_cast<size_t>(Index)];
}

TppField* TppDataSetPipeline::GetFieldForName(const std::string& FieldName) {
  const auto& ByName = Children().ByName;
  auto It = ByName.find(FieldName);
  return It == ByName.end() ? nullptr : It->second;
}

std::string TppDataSetPipeline::GetFieldAlias(const std::string& FieldName) {
  TppField* F = GetFieldForName(FieldName);
  return F && !F->FieldAlias().empty() ? F->FieldAlias() : FieldName;
}

std::string TppDataSetPipeline::GetFieldNameForAlias(const std::string& Alias) {
  for (TppField* F : Children().Fields)
    if (AnsiSameText(F->FieldAlias(), Alias)) return F->FieldName();
  return Alias;
}

bool TppDataSetPipeline::GetFieldNames(TStrings& List) {
  List.Clear();
  const auto& Fields = Children().Fields;
  if (!Fields.empty()) {
    for (TppField* F : Fields) List.Add(F->FieldName());
  } else if (GetActive()) {
    for (int I = 0; I < FDataSet->FieldCount(); ++I) List.Add(FDataSet->Fields()[I]->FieldName());
  }
  return FDataSet != nullptr;
}

bool TppDataSetPipeline::IsDataTypeSupported(TppDataType DataType) const {
  return DataType != dtVariant && DataType != dtGUID && DataType != dtNotKnown;
}

TField* TppDataSetPipeline::DataField(const std::string& FieldName, const char* Operation) const {
  TField* F = FDataSet->FindField(FieldName);
  if (!F) throw EDataError(ppErrorText(ClassName(), Operation, Format(SppNoField, {FieldName})));
  return F;
}

// A linked detail without records for its master keeps its cursor where the range would begin,
// on a record of another master: nothing of that record is this master's to read.
bool TppDataSetPipeline::OnRecord() const { return GetActive() && !(NoLinkedRecords() && IsLinked()); }

TField* TppDataSetPipeline::RecordField(const std::string& FieldName, const char* Operation) const {
  if (!GetActive()) return nullptr;
  TField* F = DataField(FieldName, Operation);
  return OnRecord() ? F : nullptr;
}

bool TppDataSetPipeline::IsFieldNull(const std::string& FieldName) {
  TField* F = RecordField(FieldName, "IsFieldNull");
  return !F || F->IsNull();
}

Variant TppDataSetPipeline::GetFieldValue(const std::string& FieldName) {
  TField* F = RecordField(FieldName, "GetFieldValue");
  return F ? F->AsVariant() : Variant();
}

double TppDataSetPipeline::GetFieldAsDouble(const std::string& FieldName) {
  TField* F = RecordField(FieldName, "GetFieldAsDouble");
  return !F || F->IsNull() ? 0 : F->AsFloat();
}

std::string TppDataSetPipeline::GetFieldAsString(const std::string& FieldName) {
  TField* F = RecordField(FieldName, "GetFieldAsString");
  return F ? F->AsString() : std::string();
}

TppDataType TppDataSetPipeline::GetFieldDataType(const std::string& FieldName) {
  if (TppField* F = GetFieldForName(FieldName)) return F->DataType();
  if (TField* F = GetActive() ? FDataSet->FindField(FieldName) : nullptr) return DataTypeOf(F->DataType());
  return dtNotKnown;
}

TPicture* TppDataSetPipeline::GetFieldAsPicture(const std::string& FieldName) {
  if (!GetActive()) return nullptr;
  TField* F = DataField(FieldName, "GetFieldAsPicture");
  if (!F->IsBlob()) return nullptr;
  if (!FPicture) FPicture = std::make_unique<TPicture>();
  FPicture->SetGraphic(nullptr);
  if (OnRecord() && !F->IsNull()) {
    std::unique_ptr<TStream> Bytes = FDataSet->CreateBlobStream(F);
    FPicture->LoadFromStream(*Bytes);
  }
  return FPicture.get();
}

void TppDataSetPipeline::GetFieldAsStream(const std::string& FieldName, TStream& Stream) {
  TField* F = RecordField(FieldName, "GetFieldAsStream");
  if (!F) return;
  if (F->IsBlob()) {
    std::unique_ptr<TStream> Bytes = FDataSet->CreateBlobStream(F);
    if (Bytes->Size() > 0) Stream.CopyFrom(*Bytes, 0);
  } else {
    const std::string Text = F->AsString();
    Stream.WriteBuffer(Text.data(), static_cast<int64_t>(Text.size()));
  }
}

bool TppDataSetPipeline::Locate(const std::string& FieldName, const Variant& Value, TLocateOptions Options) {
  if (!GetActive()) return false;
  TField* F = DataField(FieldName, "Locate");
  const std::string Wanted = VarToStr(Value);
  const bool CaseInsensitive = (Options & (1u << loCaseInsensitive)) != 0;
  const bool Partial = (Options & (1u << loPartialKey)) != 0;
  const int64_t Here = RecordIndex();
  for (FDataSet->First(); !FDataSet->Eof(); FDataSet->Next()) {
    std::string Text = F->IsNull() ? std::string() : F->AsString();
    if (Partial && Text.size() > Wanted.size()) Text.resize(Wanted.size());
    if (CaseInsensitive ? AnsiSameText(Text, Wanted) : Text == Wanted) {
      DoOnRecordPositionChange();
      return true;
    }
  }
  GotoRecordIndex(Here);
  return false;
}

// ---- links

TppMasterFieldLink* TppDataSetPipeline::AddLink(TppDataPipeline* Master, const std::string& MasterFieldAlias,
                                               const std::string& DetailFieldAlias) {
  if (!Master) return nullptr;
  if (MasterDataPipeline() != Master) SetMasterDataPipeline(Master);
  if (MasterDataPipeline() != Master) return nullptr;  // refused: it would close a circle
  auto* Link = new TppMasterFieldLink(Owner());
  Link->SetParent(this);
  Link->MasterFieldName = Master->GetFieldNameForAlias(MasterFieldAlias);
  Link->DetailFieldName = GetFieldNameForAlias(DetailFieldAlias);
  return Link;
}

int TppDataSetPipeline::GetLinkCount() const { return static_cast<int>(Children().Links.size()); }

TppMasterFieldLink* TppDataSetPipeline::GetLinkAt(int Index) const {
  const auto& L = Children().Links;
  if (Index < 0 || Index >= static_cast<int>(L.size())) throw EListError(Format(SListIndexError, {Index}));
  return L[static_cast<size_t>(Index)];
}

bool TppDataSetPipeline::IsLinked() const { return MasterDataPipeline() && GetLinkCount() > 0; }

void TppDataSetPipeline::FreeLinks() {
  for (TppMasterFieldLink* L : ChildrenOf<TppMasterFieldLink>(*this)) L->Free();
}

int TppDataSetPipeline::CompareLinkValues() {
  TppDataPipeline* Master = MasterDataPipeline();
  if (!Master || !GetActive() || FDataSet->RecNo() == 0) return 1;
  const auto& Links = Children().Links;
  DetailLinkValues().resize(Links.size());
  MasterLinkValues().resize(Links.size());
  for (size_t I = 0; I < Links.size(); ++I) {
    DetailLinkValues()[I] = DataField(Links[I]->DetailFieldName, "CompareLinkValues")->AsVariant();
    MasterLinkValues()[I] = Master->GetFieldValue(Links[I]->MasterFieldName);
    int C = CompareLinkValue(DetailLinkValues()[I], MasterLinkValues()[I], *Links[I]);
    if (Links[I]->DetailSortOrder == soDescending) C = -C;
    if (C != 0) return C;
  }
  return 0;
}

// The detail is sorted by its link fields, so the range is found by search. Masters are mostly
// walked in the detail's order: the search gallops from where the detail stands, which keeps a
// query that holds only a window of its records reading forward instead of from the start.
bool TppDataSetPipeline::FindLinkedRange(int& Start, int& End) {
  const int64_t Count = FDataSet->RecordCount();
  if (Count <= 0) return false;
  auto At = [this](int64_t I) {
    GotoRecordIndex(I);
    return CompareLinkValues();
  };
  // The first record at or after Here (whose comparison is below Limit) for which the
  // comparison reaches Limit; Count when none.
  auto GallopForward = [&](int64_t Here, int Limit) {
    int64_t Lo = Here + 1, Hi = Count;
    for (int64_t Step = 1, Prev = Here;; Step *= 2) {
      const int64_t Probe = Prev + Step;
      if (Probe >= Count) { Lo = Prev + 1; break; }
      if (At(Probe) < Limit) { Prev = Probe; continue; }
      Lo = Prev + 1;
      Hi = Probe;
      break;
    }
    while (Lo < Hi) {
      const int64_t Mid = Lo + (Hi - Lo) / 2;
      if (At(Mid) < Limit) Lo = Mid + 1; else Hi = Mid;
    }
    return Lo;
  };
  const int64_t Here = std::clamp<int64_t>(RecordIndex(), 0, Count - 1);
  int64_t First;
  if (At(Here) < 0) {
    First = GallopForward(Here, 0);
  } else {
    int64_t Lo = 0, Hi = Here;  // the first record not before the range lies in [Lo, Hi]
    for (int64_t Step = 1, Prev = Here;; Step *= 2) {
      const int64_t Probe = Prev - Step;
      if (Probe < 0) break;
      if (At(Probe) >= 0) { Prev = Probe; Hi = Probe; continue; }
      Lo = Probe + 1;
      break;
    }
    while (Lo < Hi) {
      const int64_t Mid = Lo + (Hi - Lo) / 2;
      if (At(Mid) < 0) Lo = Mid + 1; else Hi = Mid;
    }
    First = Lo;
  }
  if (First >= Count || At(First) != 0) {
    GotoRecordIndex(std::min(First, Count - 1));
    return false;
  }
  const int64_t After = GallopForward(First, 1);
  Start = static_cast<int>(std::min<int64_t>(First, INT32_MAX));
  End = static_cast<int>(std::min<int64_t>(After - 1, INT32_MAX));
  return true;
}

void TppDataSetPipeline::LinkedFirst() {
  SetNoLinkedRecords(false);
  TppDataPipeline* Master = MasterDataPipeline();
  if (!GetActive() || !Master || Master->NoRecords()) {
    SetNoLinkedRecords(true);
    return;
  }
  TppLinkRangeIndex& Index = EnsureLinkRangeIndex();
  const int Key = Master->RecordNo();
  int Start = -1, End = -1;
  // A remembered range is used only when the data still bears it out: its ends inside, the
  // records beyond them outside.
  auto Holds = [&](int S, int E) {
    const int64_t Last = FDataSet->RecordCount() - 1;
    if (S < 0 || E < S || E > Last) return false;
    if (!GotoRecordIndex(E) || CompareLinkValues() != 0) return false;
    if (E < Last && (!GotoRecordIndex(E + 1) || CompareLinkValues() == 0)) return false;
    if (S > 0 && (!GotoRecordIndex(S - 1) || CompareLinkValues() == 0)) return false;
    return GotoRecordIndex(S) && CompareLinkValues() == 0;
  };
  if (!(Index.GetRangeStart(Key, Start) && Index.GetRangeEnd(Key, End) && Holds(Start, End))) {
    if (!FindLinkedRange(Start, End)) {
      SetNoLinkedRecords(true);
      StoreRecordNo(static_cast<int>(RecordIndex()));
      DoOnRecordPositionChange();
      return;
    }
    Index.SetRange(Key, Start, End);
  }
  GotoRecordIndex(Start);
  StoreRecordNo(Start);
  DoOnRecordPositionChange();
}

void TppDataSetPipeline::LinkedLast() {
  LinkedFirst();
  if (NoLinkedRecords() || !MasterDataPipeline()) return;
  int End;
  if (!LinkRangeIndex()->GetRangeEnd(MasterDataPipeline()->RecordNo(), End)) return;
  GotoRecordIndex(End);
  StoreRecordNo(End);
  DoOnRecordPositionChange();
}

int TppDataSetPipeline::LinkedMoveBy(int Count) {
  const int Moved = MoveDataBy(Count);
  StoreRecordNo(static_cast<int>(RecordIndex()));
  DoOnRecordPositionChange();
  return Moved;
}

void TppDataSetPipeline::DoOnMasterRecordPositionChange() {
  TppDataPipeline::DoOnMasterRecordPositionChange();
  if (IsLinked() && LinksReady() && GetActive() && MasterDataPipeline()->GetActive()) {
    LinkedFirst();
    UpdateState();
  }
}

// ---- the unit

void InitializeDataSetPipeUnit() { RegisterPPClasses({&TppDataSetPipeline::StaticClassInfo()}); }

void FinalizeDataSetPipeUnit() { UnregisterPPClasses({&TppDataSetPipeline::StaticClassInfo()}); }
