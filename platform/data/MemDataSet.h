#pragma once
// A data set whose records are fed from code: define the fields, append
// records, open. Records survive Close, so the data set can be walked again.
#include <initializer_list>
#include <vector>

#include "platform/data/DB.h"

class TMemoryDataSet : public TDataSet {
  DECLARE_CLASSINFO(TMemoryDataSet)
public:
  explicit TMemoryDataSet(TComponent* AOwner);
  ~TMemoryDataSet() override;

  // One value per field definition, in order (EDatabaseError otherwise). The
  // values are kept as given; the fields convert them when read.
  void AppendRecord(const std::vector<TDbValue>& Values);
  void AppendRecord(std::initializer_list<TDbValue> Values) { AppendRecord(std::vector<TDbValue>(Values)); }
  // Drops every record; the data set must be closed.
  void EmptyDataSet();

protected:
  void InternalOpen() override;
  bool KeepRecordsOnClose() const override { return true; }
};
