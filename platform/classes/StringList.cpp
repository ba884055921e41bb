#include "platform/classes/StringList.h"

#include <algorithm>

#include "platform/classes/ClassesConsts.h"
#include "platform/classes/Filer.h"
#include "platform/classes/ScopeGuard.h"
#include "platform/classes/Streams.h"
#include "platform/rtl/Win1252.h"

namespace {
// ASCII case-insensitive order, then bytes, so that the order is total.
int CompareTextAscii(const std::string& A, const std::string& B) {
  size_t N = std::min(A.size(), B.size());
  for (size_t I = 0; I < N; ++I) {
    unsigned char X = static_cast<unsigned char>(A[I]), Y = static_cast<unsigned char>(B[I]);
    if (X >= 'A' && X <= 'Z') X += 32;
    if (Y >= 'A' && Y <= 'Z') Y += 32;
    if (X != Y) return X < Y ? -1 : 1;
  }
  return A.size() < B.size() ? -1 : A.size() > B.size() ? 1 : 0;
}
}  // namespace

const TClassInfo& TStrings::StaticClassInfo() {
  static const TClassInfo Info = TClassDef<TStrings>("TStrings", &TPersistent::StaticClassInfo());
  return Info;
}

const TClassInfo& TStringList::StaticClassInfo() {
  static const TClassInfo Info = TClassDef<TStringList>("TStringList", &TStrings::StaticClassInfo());
  return Info;
}

void TStrings::Error(const char* Fmt, int Index) const { throw EListError(Format(Fmt, {Index})); }

void TStrings::Put(int Index, const std::string& S) {
  TObject* O = GetObject(Index);
  Delete(Index);
  InsertObject(Index, S, O);
}

TObject* TStrings::GetObject(int) const { return nullptr; }

void TStrings::PutObject(int, TObject*) {}

int TStrings::Add(const std::string& S) {
  int I = Count();
  Insert(I, S);
  return I;
}

int TStrings::AddObject(const std::string& S, TObject* AObject) {
  int I = Add(S);
  PutObject(I, AObject);
  return I;
}

void TStrings::InsertObject(int Index, const std::string& S, TObject* AObject) {
  Insert(Index, S);
  PutObject(Index, AObject);
}

void TStrings::AddStrings(const TStrings& Source) {
  TUpdateScope Update(*this);
  for (int I = 0; I < Source.Count(); ++I) AddObject(Source.Get(I), Source.GetObject(I));
}

void TStrings::Exchange(int Index1, int Index2) {
  std::string S = Get(Index1);
  TObject* O = GetObject(Index1);
  Put(Index1, Get(Index2));
  PutObject(Index1, GetObject(Index2));
  Put(Index2, S);
  PutObject(Index2, O);
}

void TStrings::Move(int CurIndex, int NewIndex) {
  if (CurIndex == NewIndex) return;
  TUpdateScope Update(*this);
  std::string S = Get(CurIndex);
  TObject* O = GetObject(CurIndex);
  Delete(CurIndex);
  InsertObject(NewIndex, S, O);
}

int TStrings::CompareStrings(const std::string& A, const std::string& B) const { return CompareTextAscii(A, B); }

int TStrings::IndexOf(const std::string& S) const {
  for (int I = 0; I < Count(); ++I)
    if (CompareStrings(Get(I), S) == 0) return I;
  return -1;
}

int TStrings::IndexOfName(const std::string& Name) const {
  for (int I = 0; I < Count(); ++I) {
    std::string S = Get(I);
    size_t P = S.find(FNameValueSeparator);
    if (P != std::string::npos && CompareStrings(S.substr(0, P), Name) == 0) return I;
  }
  return -1;
}

int TStrings::IndexOfObject(const TObject* AObject) const {
  for (int I = 0; I < Count(); ++I)
    if (GetObject(I) == AObject) return I;
  return -1;
}

bool TStrings::Equals(const TStrings& Other) const {
  if (Count() != Other.Count()) return false;
  for (int I = 0; I < Count(); ++I)
    if (Get(I) != Other.Get(I)) return false;
  return true;
}

std::string TStrings::Text() const {
  std::string R;
  for (int I = 0; I < Count(); ++I) {
    R += Get(I);
    R += "\r\n";
  }
  return R;
}

void TStrings::SetText(std::string_view Value) {
  TUpdateScope Update(*this);
  Clear();
  size_t I = 0;
  while (I < Value.size()) {
    size_t Start = I;
    while (I < Value.size() && Value[I] != '\r' && Value[I] != '\n') ++I;
    Add(std::string(Value.substr(Start, I - Start)));
    if (I < Value.size() && Value[I] == '\r') ++I;
    if (I < Value.size() && Value[I] == '\n') ++I;
  }
}

std::string TStrings::DelimitedText() const {
  if (Count() == 1 && Get(0).empty()) return std::string(2, FQuoteChar);
  std::string R;
  for (int I = 0; I < Count(); ++I) {
    std::string S = Get(I);
    bool Quote = std::any_of(S.begin(), S.end(), [this](char C) {
      return (static_cast<unsigned char>(C) <= ' ') || C == FQuoteChar || C == FDelimiter;
    });
    if (Quote) {
      std::string Q(1, FQuoteChar);
      for (char C : S) {
        Q += C;
        if (C == FQuoteChar) Q += C;
      }
      Q += FQuoteChar;
      S = std::move(Q);
    }
    if (I > 0) R += FDelimiter;
    R += S;
  }
  return R;
}

void TStrings::SetDelimitedText(std::string_view Value) {
  auto Blank = [](char C) { return C != 0 && static_cast<unsigned char>(C) <= ' '; };
  TUpdateScope Update(*this);
  Clear();
  size_t P = 0, N = Value.size();
  while (P < N && Blank(Value[P])) ++P;
  while (P < N) {
    std::string S;
    if (Value[P] == FQuoteChar) {
      ++P;  // a quoted item ends at a single quote char; two stand for one
      while (P < N) {
        if (Value[P] == FQuoteChar) {
          if (P + 1 < N && Value[P + 1] == FQuoteChar) {
            S += FQuoteChar;
            P += 2;
            continue;
          }
          ++P;
          break;
        }
        S += Value[P++];
      }
    } else {
      size_t Start = P;
      while (P < N && static_cast<unsigned char>(Value[P]) > ' ' && Value[P] != FDelimiter) ++P;
      S = std::string(Value.substr(Start, P - Start));
    }
    Add(S);
    while (P < N && Blank(Value[P])) ++P;
    if (P < N && Value[P] == FDelimiter) {
      if (P + 1 == N) Add("");
      do ++P;
      while (P < N && Blank(Value[P]));
    }
  }
}

std::string TStrings::CommaText() const {
  TStrings& Self = const_cast<TStrings&>(*this);
  TRestore<char> Delimiter(Self.FDelimiter, ','), Quote(Self.FQuoteChar, '"');
  return DelimitedText();
}

void TStrings::SetCommaText(std::string_view Value) {
  TRestore<char> Delimiter(FDelimiter, ','), Quote(FQuoteChar, '"');
  SetDelimitedText(Value);
}

std::string TStrings::Names(int Index) const {
  std::string S = Get(Index);
  size_t P = S.find(FNameValueSeparator);
  return P == std::string::npos ? std::string() : S.substr(0, P);
}

std::string TStrings::ValueFromIndex(int Index) const {
  std::string S = Get(Index);
  size_t P = S.find(FNameValueSeparator);
  return P == std::string::npos ? std::string() : S.substr(P + 1);
}

std::string TStrings::Values(const std::string& Name) const {
  int I = IndexOfName(Name);
  return I < 0 ? std::string() : ValueFromIndex(I);
}

void TStrings::SetValues(const std::string& Name, const std::string& Value) {
  int I = IndexOfName(Name);
  if (!Value.empty()) {
    std::string S = Name + FNameValueSeparator + Value;
    if (I < 0)
      Add(S);
    else
      Put(I, S);
  } else if (I >= 0) {
    Delete(I);
  }
}

void TStrings::BeginUpdate() {
  if (FUpdateCount == 0) SetUpdateState(true);
  ++FUpdateCount;
}

void TStrings::EndUpdate() {
  if (FUpdateCount > 0 && --FUpdateCount == 0) SetUpdateState(false);
}

void TStrings::LoadFromStream(TStream& Stream) {
  int64_t Size = Stream.Size() - Stream.Position();
  std::string Bytes(static_cast<size_t>(std::max<int64_t>(Size, 0)), '\0');
  Bytes.resize(static_cast<size_t>(Stream.Read(Bytes.data(), static_cast<int64_t>(Bytes.size()))));
  if (Bytes.rfind("\xEF\xBB\xBF", 0) == 0)
    SetText(std::string_view(Bytes).substr(3));
  else
    SetText(Win1252ToUtf8(Bytes));
}

void TStrings::SaveToStream(TStream& Stream) const {
  std::string Bytes = Utf8ToWin1252(Text());
  Stream.WriteBuffer(Bytes.data(), static_cast<int64_t>(Bytes.size()));
}

void TStrings::LoadFromFile(const std::string& FileName) {
  TFileStream F(FileName, fmOpenRead | fmShareDenyWrite);
  LoadFromStream(F);
}

void TStrings::SaveToFile(const std::string& FileName) const {
  TFileStream F(FileName, fmCreate);
  SaveToStream(F);
}

void TStrings::Assign(const TPersistent* Source) {
  auto* Src = dynamic_cast<const TStrings*>(Source);
  if (!Src) {
    TPersistent::Assign(Source);
    return;
  }
  if (Src == this) return;
  TUpdateScope Update(*this);
  Clear();
  FDelimiter = Src->FDelimiter;
  FQuoteChar = Src->FQuoteChar;
  FNameValueSeparator = Src->FNameValueSeparator;
  AddStrings(*Src);
}

void TStrings::DefineProperties(TFiler* Filer) {
  Filer->DefineProperty(
      "Strings",
      [this](TReader& R) {
        R.ReadListBegin();
        {
          TUpdateScope Update(*this);
          Clear();
          while (!R.EndOfList()) Add(R.ReadString());
        }
        R.ReadListEnd();
      },
      [this](TWriter& W) {
        W.WriteListBegin();
        for (int I = 0; I < Count(); ++I) W.WriteString(Get(I));
        W.WriteListEnd();
      },
      [&] {
        // Against an ancestor list: written when the strings differ.
        if (auto* Anc = dynamic_cast<const TStrings*>(Filer->Ancestor())) return !Equals(*Anc);
        return Count() > 0;
      }());
}

// ---- TStringList

TStringList::~TStringList() {
  OnChange = nullptr;
  OnChanging = nullptr;
  if (FOwnsObjects)
    for (TItem& I : FList) delete I.Object;
}

void TStringList::CheckIndex(int Index) const {
  if (Index < 0 || Index >= Count()) Error(SListIndexError, Index);
}

std::string TStringList::Get(int Index) const {
  CheckIndex(Index);
  return FList[static_cast<size_t>(Index)].S;
}

void TStringList::Put(int Index, const std::string& S) {
  if (FSorted) throw EListError(SSortedListError);
  CheckIndex(Index);
  Changing();
  FList[static_cast<size_t>(Index)].S = S;
  Changed();
}

TObject* TStringList::GetObject(int Index) const {
  CheckIndex(Index);
  return FList[static_cast<size_t>(Index)].Object;
}

void TStringList::PutObject(int Index, TObject* AObject) {
  CheckIndex(Index);
  Changing();
  TObject*& Slot = FList[static_cast<size_t>(Index)].Object;
  if (FOwnsObjects && Slot != AObject) delete Slot;
  Slot = AObject;
  Changed();
}

int TStringList::AddObject(const std::string& S, TObject* AObject) {
  int Index = Count();
  if (FSorted && Find(S, Index)) {
    if (FDuplicates == dupIgnore) return Index;
    if (FDuplicates == dupError) throw EListError(SDuplicateString);
  }
  InsertItem(Index, S, AObject);
  return Index;
}

void TStringList::Insert(int Index, const std::string& S) {
  if (FSorted) throw EListError(SSortedListError);
  if (Index < 0 || Index > Count()) Error(SListIndexError, Index);
  InsertItem(Index, S, nullptr);
}

void TStringList::InsertItem(int Index, const std::string& S, TObject* AObject) {
  Changing();
  FList.insert(FList.begin() + Index, TItem{S, AObject});
  Changed();
}

void TStringList::Delete(int Index) {
  CheckIndex(Index);
  Changing();
  TObject* O = FList[static_cast<size_t>(Index)].Object;
  FList.erase(FList.begin() + Index);
  if (FOwnsObjects) delete O;
  Changed();
}

void TStringList::Clear() {
  if (FList.empty()) return;
  Changing();
  std::vector<TItem> Old;
  Old.swap(FList);
  if (FOwnsObjects)
    for (TItem& I : Old) delete I.Object;
  Changed();
}

void TStringList::Exchange(int Index1, int Index2) {
  CheckIndex(Index1);
  CheckIndex(Index2);
  Changing();
  std::swap(FList[static_cast<size_t>(Index1)], FList[static_cast<size_t>(Index2)]);
  Changed();
}

int TStringList::CompareStrings(const std::string& A, const std::string& B) const {
  if (FCaseSensitive) return A.compare(B) < 0 ? -1 : A == B ? 0 : 1;
  return CompareTextAscii(A, B);
}

bool TStringList::Find(const std::string& S, int& Index) const {
  int L = 0, H = Count() - 1;
  bool Found = false;
  while (L <= H) {
    int I = (L + H) / 2;
    int C = CompareStrings(FList[static_cast<size_t>(I)].S, S);
    if (C < 0) {
      L = I + 1;
    } else {
      H = I - 1;
      if (C == 0) {
        Found = true;
        if (FDuplicates != dupAccept) L = I;
      }
    }
  }
  Index = L;
  return Found;
}

int TStringList::IndexOf(const std::string& S) const {
  if (!FSorted) return TStrings::IndexOf(S);
  int I;
  return Find(S, I) ? I : -1;
}

void TStringList::Sort() {
  CustomSort([](TStringList& L, int A, int B) { return L.CompareStrings(L.FList[size_t(A)].S, L.FList[size_t(B)].S); });
}

void TStringList::CustomSort(const std::function<int(TStringList& List, int Index1, int Index2)>& Compare) {
  if (FList.size() < 2) return;
  Changing();
  // Sort positions, then apply, so Compare sees the list as it was.
  std::vector<int> Order(FList.size());
  for (size_t I = 0; I < Order.size(); ++I) Order[I] = static_cast<int>(I);
  std::stable_sort(Order.begin(), Order.end(), [&](int A, int B) { return Compare(*this, A, B) < 0; });
  std::vector<TItem> Sorted;
  Sorted.reserve(FList.size());
  for (int I : Order) Sorted.push_back(FList[static_cast<size_t>(I)]);
  FList.swap(Sorted);
  Changed();
}

void TStringList::SetSorted(bool Value) {
  if (Value == FSorted) return;
  if (Value) Sort();
  FSorted = Value;
}

void TStringList::SetCaseSensitive(bool Value) {
  if (Value == FCaseSensitive) return;
  FCaseSensitive = Value;
  if (FSorted) Sort();
}

void TStringList::SetUpdateState(bool Updating) {
  if (Updating)
    Changing();
  else
    Changed();
}

void TStringList::Changed() {
  if (UpdateCount() == 0 && OnChange) OnChange(this);
}

void TStringList::Changing() {
  if (UpdateCount() == 0 && OnChanging) OnChanging(this);
}
