#include "platform/data/MemDataSet.h"

#include "platform/data/DBConsts.h"

const TClassInfo& TMemoryDataSet::StaticClassInfo() {
  static const TClassInfo Info = TClassDef<TMemoryDataSet>("TMemoryDataSet", &TDataSet::StaticClassInfo());
  return Info;
}

TMemoryDataSet::TMemoryDataSet(TComponent* AOwner) : TDataSet(AOwner) {}

TMemoryDataSet::~TMemoryDataSet() { Close(); }

void TMemoryDataSet::AppendRecord(const std::vector<TDbValue>& Values) {
  if (static_cast<int>(Values.size()) != FieldDefs().Count())
    throw EDatabaseError(Format(SRecordValueCount, {Values.size(), FieldDefs().Count()}));
  TRecordStore& R = Records();
  if (R.Columns() != FieldDefs().Count()) {
    if (R.Count() != 0) throw EDatabaseError(SRecordsMismatch);
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
  if (FieldDefs().Count() == 0) throw EDatabaseError(SDataSetNoFields);
}
