#include "platform/data/MemDataSet.h"

const TClassInfo& TMemoryDataSet::StaticClassInfo() {
  static const TClassInfo Info = TClassDef<TMemoryDataSet>("TMemoryDataSet", &TDataSet::StaticClassInfo());
  return Info;
}

TMemoryDataSet::TMemoryDataSet(TComponent* AOwner) : TDataSet(AOwner) {}

TMemoryDataSet::~TMemoryDataSet() { Close(); }

void TMemoryDataSet::AppendRecord(const std::vector<TDbValue>& Values) {
  if (static_cast<int>(Values.size()) != FieldDefs().Count())
    throw EDatabaseError("O registro tem " + IntToStr(static_cast<int64_t>(Values.size())) + " valores para " +
                         IntToStr(FieldDefs().Count()) + " campos");
  TRecordStore& R = Records();
  if (R.Columns() != FieldDefs().Count()) {
    if (R.Count() != 0) throw EDatabaseError("Os registros não correspondem às definições de campo");
    R.Reset(FieldDefs().Count());
  }
  for (const TDbValue& V : Values) R.Put(V);
  RecordsAppended();
}

void TMemoryDataSet::EmptyDataSet() {
  CheckInactive();
  Records().Reset(FieldDefs().Count());
}

void TMemoryDataSet::InternalOpen() {
  if (FieldDefs().Count() == 0) throw EDatabaseError("O conjunto de dados não tem campos");
}
