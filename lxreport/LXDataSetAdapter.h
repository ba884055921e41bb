#pragma once
// The expression language's view of a platform data set (TDataSet).
#include <memory>
#include <vector>

#include "lxreport/LXDataAccess.h"

class TDataSet;
class TField;

// Field kind by class, tested in the order the expressions test them:
// string, integer (small integer, word), float (currency, BCD), boolean,
// date, date-time (time); anything else is fkOther.
TLXFieldKind LXFieldKindOf(const TField* Field);

// Wraps a data set without owning it. The data set makes new field objects
// at every opening, so each field view looks its field up by index when read.
class TLXDataSetAdapter : public TLXDataSetAccess {
public:
  explicit TLXDataSetAdapter(TDataSet* DataSet);
  ~TLXDataSetAdapter() override;
  TDataSet* DataSet() const { return FDataSet; }

  std::string Name() const override;
  int FieldCount() const override;
  TLXFieldAccess* Fields(int Index) const override;
  bool DefaultFields() const override;
  bool Active() const override;

private:
  class TFieldView;
  TDataSet* FDataSet;
  mutable std::vector<std::unique_ptr<TFieldView>> FViews;
};
