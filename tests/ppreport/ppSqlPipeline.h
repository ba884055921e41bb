#pragma once
// A named pipeline over a query of a SQLite file, both owned by Owner.
#include <string>

#include "platform/data/DBTables.h"
#include "ppreport/core/ppDataSetPipe.h"

inline TppDataSetPipeline* ppSqlPipeline(TComponent* Owner, const std::string& Path, const char* Name, const char* Sql) {
  auto* Set = new TQuery(Owner);
  Set->SetDatabaseName(Path);
  Set->SetSQLText(Sql);
  auto* P = new TppDataSetPipeline(Owner);
  P->SetName(Name);
  P->SetDataSet(Set);
  return P;
}
