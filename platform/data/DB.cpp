#include "platform/data/DB.h"

#include <algorithm>
#include <atomic>
#include <cstring>

#include "platform/classes/ClassesConsts.h"
#include "platform/classes/ScopeGuard.h"
#include "platform/data/DBConsts.h"
#include "platform/data/DBConvert.h"
#include "platform/rtl/LocaleCase.h"

namespace {
// Names compare as the class library compares them: case ignored, accented letters too.
bool SameName(std::string_view A, std::string_view B) {
  if (SameTextAscii(A, B)) return true;
  auto Ascii = [](std::string_view S) {
    for (char C : S)
      if (static_cast<unsigned char>(C) >= 0x80) return false;
    return true;
  };
  return !(Ascii(A) && Ascii(B)) && AnsiSameText(A, B);
}
}  // namespace

// ---- TRecordStore

void TRecordStore::Reset(int Columns) {
  std::vector<TStoredCell>().swap(FCells);
  std::string().swap(FBytes);
  FColumns = Columns;
}

TDbCell TRecordStore::Cell(int64_t Rec, int Col) const {
  const TStoredCell& S = FCells[static_cast<size_t>(Rec * FColumns + Col)];
  TDbCell C;
  C.Kind = S.Kind;
  switch (S.Kind) {
    case TDbValueKind::Integer: C.I = S.Value; break;
    case TDbValueKind::Float: std::memcpy(&C.F, &S.Value, sizeof C.F); break;
    case TDbValueKind::Text:
    case TDbValueKind::Blob: C.Bytes = std::string_view(FBytes.data() + S.Value, S.Len); break;
    case TDbValueKind::Null: break;
  }
  return C;
}

void TRecordStore::PutNull() { FCells.push_back({0, 0, TDbValueKind::Null}); }

void TRecordStore::PutInteger(int64_t V) { FCells.push_back({V, 0, TDbValueKind::Integer}); }

void TRecordStore::PutFloat(double V) {
  int64_t Bits;
  std::memcpy(&Bits, &V, sizeof Bits);
  FCells.push_back({Bits, 0, TDbValueKind::Float});
}

void TRecordStore::PutBytes(TDbValueKind Kind, const void* Data, size_t Size) {
  if (Size > UINT32_MAX) throw EDatabaseError(SValueTooLarge);
  int64_t Off = static_cast<int64_t>(FBytes.size());
  if (Size) FBytes.append(static_cast<const char*>(Data), Size);
  FCells.push_back({Off, static_cast<uint32_t>(Size), Kind});
}

void TRecordStore::Put(const TDbValue& V) {
  switch (V.Kind) {
    case TDbValueKind::Null: PutNull(); break;
    case TDbValueKind::Integer: PutInteger(V.I); break;
    case TDbValueKind::Float: PutFloat(V.F); break;
    default: PutBytes(V.Kind, V.S.data(), V.S.size()); break;
  }
}

void TRecordStore::DropFirst(int64_t N) {
  if (N <= 0 || FColumns == 0) return;
  N = std::min(N, Count());
  const auto Cut = FCells.begin() + static_cast<ptrdiff_t>(N * FColumns);
  // Texts are appended in record order: the first text left marks where the kept bytes begin.
  int64_t Start = static_cast<int64_t>(FBytes.size());
  for (auto It = Cut; It != FCells.end(); ++It)
    if (It->Kind == TDbValueKind::Text || It->Kind == TDbValueKind::Blob) {
      Start = It->Value;
      break;
    }
  FCells.erase(FCells.begin(), Cut);
  FBytes.erase(0, static_cast<size_t>(Start));
  for (auto& C : FCells)
    if (C.Kind == TDbValueKind::Text || C.Kind == TDbValueKind::Blob) C.Value -= Start;
}

// ---- TFields

TField* TFields::Fields(int Index) const {
  if (Index < 0 || Index >= Count()) throw EListError(Format(SListIndexError, {Index}));
  return FList[static_cast<size_t>(Index)];
}

TField* TFields::FindField(std::string_view Name) const {
  for (TField* F : FList)
    if (SameName(F->FieldName(), Name)) return F;
  return nullptr;
}

TField* TFields::FieldByName(std::string_view Name) const {
  TField* F = FindField(Name);
  if (!F) throw EDatabaseError(Format(SFieldNotFound, {Name}));
  return F;
}

// ---- TDataSet

namespace {
// Unique over the whole program, so a bookmark never matches a later opening.
std::atomic<uint64_t> GOpenings{0};
// The window of a source that can read again: at least this many records behind the newest,
// and no more than twice as many, or the bytes below (blobs), before the oldest go.
constexpr int64_t WindowRecords = 512;
constexpr size_t WindowBytes = 8u << 20;
}  // namespace

const TClassInfo& TDataSet::StaticClassInfo() {
  static const TClassInfo Info = TClassDef<TDataSet>("TDataSet", &TComponent::StaticClassInfo())
      .Prop("Active", &TDataSet::Active, &TDataSet::SetActive).Default(0);
  return Info;
}

TDataSet::TDataSet(TComponent* AOwner) : TComponent(AOwner) {}

TDataSet::~TDataSet() {
  // Reached without Destroying for a stack object or a plain delete: subclasses close their sources
  // in their own destructors; the fields go here, before TComponent's pass.
  DestroyFields();
  FActive = false;
}

void TDataSet::Destroying() {
  if (FActive) DoClose();
  DestroyFields();
  TComponent::Destroying();
}

void TDataSet::CheckActive() const {
  if (!FActive) throw EDatabaseError(SDataSetClosed);
}

void TDataSet::CheckInactive() const {
  if (FActive) throw EDatabaseError(SDataSetOpen);
}

void TDataSet::SetActive(bool Value) {
  if (HasState(csLoading)) {
    FStreamedActive = Value;
    return;
  }
  if (Value == FActive) return;
  if (Value)
    DoOpen();
  else
    DoClose();
}

void TDataSet::Loaded() {
  TComponent::Loaded();
  if (FStreamedActive) {
    FStreamedActive = false;
    Open();
  }
}

void TDataSet::DoOpen() {
  FGeneration = ++GOpenings;
  FFetchDone = false;
  FFirst = 0;
  {
    TOnException Undo([this] {
      InternalClose();
      DestroyFields();
      if (!KeepRecordsOnClose()) FRecords.Reset(0);
    });
    if (!KeepRecordsOnClose()) FRecords.Reset(0);
    InternalOpen();
    if (FRecords.Columns() != FFieldDefs.Count()) {
      if (FRecords.Count() != 0) throw EDatabaseError(SRecordsMismatch);
      FRecords.Reset(FFieldDefs.Count());
    }
    CreateFields();
  }
  FActive = true;
  FCurrent = Fetched(0) ? 0 : -1;
  FBOF = true;
  FEOF = FCurrent < 0;
}

void TDataSet::DoClose() {
  FActive = false;
  InternalClose();
  DestroyFields();
  if (!KeepRecordsOnClose()) FRecords.Reset(0);
  FCurrent = -1;
  FFirst = 0;
  FBOF = FEOF = true;
}

void TDataSet::CreateFields() {
  for (int I = 0; I < FFieldDefs.Count(); ++I) {
    const TFieldDef& D = FFieldDefs.Items(I);
    auto* F = static_cast<TField*>(FieldClassOf(D.DataType).Create(this));
    F->FDataSet = this;
    F->FFieldName = D.Name;
    F->FDataType = D.DataType;
    F->FSize = D.Size;
    F->FFieldNo = I + 1;
    FFields.FList.push_back(F);
  }
}

void TDataSet::DestroyFields() {
  std::vector<TField*> L;
  L.swap(FFields.FList);
  for (auto It = L.rbegin(); It != L.rend(); ++It) (*It)->Free();
}

bool TDataSet::Fetched(int64_t Rec) {
  if (Rec < FFirst) {
    // Before the window: read again from the first record.
    FRecords.Reset(FRecords.Columns());
    FFirst = 0;
    FFetchDone = false;
    Refetch();
    // What the window would drop again is passed over unread (a random page far into the data).
    if (const int64_t Skip = Rec - WindowRecords; Skip > 0)
      if (const int64_t Passed = SkipRecords(Skip); Passed > 0) FFirst = Passed;
  }
  while (Known() <= Rec && !FFetchDone) {
    if (FetchRecord())
      Trim();
    else
      FFetchDone = true;
  }
  return Rec >= FFirst && Rec < Known();
}

void TDataSet::FetchAll() {
  while (!FFetchDone) {
    if (FetchRecord())
      Trim();
    else
      FFetchDone = true;
  }
}

void TDataSet::Trim() {
  if (!CanRefetch()) return;
  const int64_t Count = FRecords.Count();
  const bool Full = FRecords.MemoryUsed() > WindowBytes;
  if (Count < 2 * WindowRecords && !(Full && Count > 2)) return;
  int64_t Drop = Full ? Count - 2 : Count - WindowRecords;
  if (!FLoose && FCurrent >= FFirst && FCurrent < Known()) Drop = std::min(Drop, FCurrent - 1 - FFirst);
  if (Drop <= 0) return;
  FRecords.DropFirst(Drop);
  FFirst += Drop;
}

void TDataSet::RecordsAppended() {
  if (FActive && FCurrent < 0 && Fetched(0)) {
    FCurrent = 0;
    FBOF = true;
    FEOF = false;
  }
}

void TDataSet::First() {
  CheckActive();
  FCurrent = Fetched(0) ? 0 : -1;
  FBOF = true;
  FEOF = FCurrent < 0;
}

void TDataSet::Next() {
  CheckActive();
  if (FEOF) return;
  FBOF = false;
  if (Fetched(FCurrent + 1))
    ++FCurrent;
  else
    FEOF = true;
}

void TDataSet::Prior() {
  CheckActive();
  if (FBOF) return;
  FEOF = false;
  if (FCurrent > 0 && Fetched(FCurrent - 1))
    --FCurrent;
  else
    FBOF = true;
}

void TDataSet::Last() {
  CheckActive();
  {
    TRestore<bool> Loose(FLoose, true);
    FetchAll();
  }
  FCurrent = Known() - 1;
  FEOF = true;
  FBOF = FCurrent < 0;
}

bool TDataSet::IsEmpty() const { return !FActive || FCurrent < 0; }

int64_t TDataSet::RecordCount() {
  CheckActive();
  if (FFetchDone) return Known();
  if (CanRefetch())
    if (int64_t N = CountRecords(); N >= 0) return N;
  FetchAll();
  return Known();
}

int64_t TDataSet::RecNo() const { return FActive && FCurrent >= 0 ? FCurrent + 1 : 0; }

TDbCell TDataSet::CurrentCell(int FieldNo) const {
  if (FCurrent < FFirst || FCurrent >= Known() || FieldNo < 1 || FieldNo > FRecords.Columns()) return TDbCell();
  return FRecords.Cell(FCurrent - FFirst, FieldNo - 1);
}

TBookmark TDataSet::GetBookmark() const {
  if (!FActive || FCurrent < 0) return TBookmark();
  return TBookmark{this, FGeneration, FCurrent};
}

bool TDataSet::BookmarkValid(const TBookmark& B) const {
  // A record before the window was seen and can be read again.
  return FActive && B.DataSet == this && B.Generation == FGeneration && B.Record >= 0 && B.Record < Known();
}

bool TDataSet::MoveTo(int64_t Index) {
  CheckActive();
  if (Index < 0 || !Fetched(Index)) return false;
  FCurrent = Index;
  FBOF = FEOF = false;
  return true;
}

void TDataSet::GotoBookmark(const TBookmark& B) {
  CheckActive();
  if (!B.Assigned()) return;
  if (!BookmarkValid(B) || !Fetched(B.Record)) throw EDatabaseError(SRecordNotFound);
  FCurrent = B.Record;
  FBOF = FEOF = false;
}

int TDataSet::CompareBookmarks(const TBookmark& A, const TBookmark& B) const {
  if (!A.Assigned() || !B.Assigned()) return A.Assigned() == B.Assigned() ? 0 : (A.Assigned() ? 1 : -1);
  return A.Record < B.Record ? -1 : (A.Record > B.Record ? 1 : 0);
}

std::unique_ptr<TStream> TDataSet::CreateBlobStream(TField* Field) const {
  if (!Field || Field->DataSet() != this || !Field->IsBlob())
    throw EDatabaseError(Format(SNotBlobField, {Field ? Field->FieldName() : std::string()}));
  auto S = std::make_unique<TMemoryStream>();
  static_cast<TBlobField*>(Field)->SaveToStream(*S);
  S->SetPosition(0);
  return S;
}

// ---- TParam, TParams

std::string TParam::AsString() const {
  if (FValue.Kind == TDbValueKind::Null) return "";
  if (FDataType == ftBoolean) return AsBoolean() ? STextTrue : STextFalse;
  return dbconv::Text(dbconv::CellOf(FValue));
}

int64_t TParam::AsInteger() const { return dbconv::Integer(dbconv::CellOf(FValue)); }
double TParam::AsFloat() const { return dbconv::Float(dbconv::CellOf(FValue)); }
bool TParam::AsBoolean() const { return dbconv::Boolean(dbconv::CellOf(FValue)); }
TDateTime TParam::AsDateTime() const { return dbconv::DateTime(dbconv::CellOf(FValue)); }

TParam* TParams::FindParam(std::string_view Name) const {
  for (auto& P : FItems)
    if (SameName(P->Name(), Name)) return P.get();
  return nullptr;
}

TParam* TParams::ParamByName(std::string_view Name) const {
  TParam* P = FindParam(Name);
  if (!P) throw EDatabaseError(Format(SParamNotFound, {Name}));
  return P;
}

TParam* TParams::CreateParam(TFieldType DataType, const std::string& Name) {
  FItems.push_back(std::make_unique<TParam>(Name, DataType));
  return FItems.back().get();
}

void TParams::AssignValues(const TParams& Source) {
  for (auto& P : FItems)
    if (TParam* S = Source.FindParam(P->Name())) P->AssignParam(*S);
}
