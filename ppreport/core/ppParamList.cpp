#include "ppreport/core/ppParamList.h"

#include "platform/classes/ClassesConsts.h"
#include "platform/rtl/Win1252.h"
#include "ppreport/core/ppConsts.h"
#include "ppreport/core/ppTypes.h"

std::string TraShortText(std::string_view S) {
  constexpr size_t MaxChars = 255;
  size_t I = 0;
  for (size_t Chars = 0; I < S.size() && Chars < MaxChars; ++Chars) NextUtf8(S, I);
  return std::string(S.substr(0, I));
}

void tra_detail::BadBinding(std::string_view Operation, const std::string& ParamName) {
  throw ETalvorError(ppErrorText("TraParamList", Operation, Format(SppParamTypeMismatch, {ParamName})));
}

int TraParamList::IndexOfParam(std::string_view Name) const {
  for (size_t I = 0; I < FParams.size(); ++I)
    if (SameTextAscii(FParams[I].Name, Name)) return static_cast<int>(I);
  return -1;
}

int TraParamList::AddParam(std::string_view Name, TraValueKind DataType, const TClassInfo* ClassType,
                           std::string_view TypeName, bool IsConst, bool IsVar) {
  TraParamRec R;
  R.Name = TraShortText(Name);
  R.DataType = DataType;
  R.ClassType = ClassType;
  R.TypeName = TraShortText(TypeName);
  R.IsConst = IsConst;
  R.IsVar = IsVar;
  FParams.push_back(std::move(R));
  return Count() - 1;
}

const TraParamRec& TraParamList::GetParamRec(int Index) const {
  if (Index < 0 || Index >= Count()) throw EListError(Format(SListIndexError, {Index}));
  return FParams[static_cast<size_t>(Index)];
}

TraParamRec& TraParamList::Rec(int Index) { return const_cast<TraParamRec&>(GetParamRec(Index)); }

void TraParamList::BindConstParam(int Index, TObject* Value) {
  TraParamRec& R = Rec(Index);
  R.ValueRef = Value;
  R.RefOps = nullptr;
}

TObject* TraParamList::ParamObject(int Index) const {
  const TraParamRec& R = GetParamRec(Index);
  if (!R.RefOps) return static_cast<TObject*>(R.ValueRef);
  TraValue V;
  R.RefOps->Read(R.DataType, R.ValueRef, V);
  return V.Obj;
}

namespace {
bool MovesValue(TraValueKind K) { return K != vkNone && K != vkPointer && K != vkMethod; }
}  // namespace

bool TraParamList::GetParamValue(int Index, TraValue& Dest) const {
  const TraParamRec& R = GetParamRec(Index);
  if (!R.ValueRef || !R.RefOps || !MovesValue(R.DataType)) return false;
  R.RefOps->Read(R.DataType, R.ValueRef, Dest);
  return true;
}

bool TraParamList::SetParamValue(int Index, const TraValue& Source) {
  TraParamRec& R = Rec(Index);
  if (!R.ValueRef || !R.RefOps || !MovesValue(R.DataType)) return false;
  return R.RefOps->Write(R.DataType, R.ValueRef, Source);
}
