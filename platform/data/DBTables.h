#pragma once
// Tables and queries over SQLite, the embedded database. DatabaseName is the
// path of the database file. Opening reads (the file must exist); ExecSQL
// writes and creates the file when it is missing.
//
// Field classes by the column's declared type (upper-cased, first match wins):
//   contains BOOL                          -> TBooleanField
//   contains DATETIME or TIMESTAMP         -> TDateTimeField
//   contains DATE                          -> TDateField
//   contains TIME                          -> TTimeField
//   contains WORD                          -> TWordField
//   contains SMALLINT or TINYINT           -> TSmallintField
//   contains INT                           -> TIntegerField (64-bit values)
//   contains MONEY or CURRENCY             -> TCurrencyField
//   contains DECIMAL or NUMERIC            -> TBCDField (Size = scale, "(p,s)")
//   contains REAL, FLOA or DOUB            -> TFloatField
//   contains MEMO or CLOB                  -> TMemoField
//   contains CHAR, TEXT or STRING          -> TStringField (Size = "(n)", else 0)
//   contains GRAPHIC, IMAGE or PICTURE     -> TGraphicField
//   contains BLOB or BINARY                -> TBlobField
//   no declared type (expressions, untyped columns): by the first record's
//   value: integer -> TIntegerField, real -> TFloatField, blob -> TBlobField,
//   text, null or no record -> TStringField.
// Dates and times in the database: ISO text ("2024-03-05", "14:30:00",
// "2024-03-05 14:30:00", 'T' and a trailing 'Z' accepted) or a number of days
// since 1899-12-30 with the time as fraction. Date, time and date-time
// parameters are bound as ISO text, booleans as 0 and 1.
//
// An open data set keeps only a window of the latest records it read (DB.h): a step back
// beyond it runs the statement again from the start, and RecordCount asks SQLite to count.
// Both see the database as it is then.
#include <string>
#include <vector>

#include "platform/data/DB.h"

struct sqlite3;
struct sqlite3_stmt;

class TDBDataSet : public TDataSet {
  DECLARE_CLASSINFO(TDBDataSet)
public:
  explicit TDBDataSet(TComponent* AOwner);
  ~TDBDataSet() override;
  const std::string& DatabaseName() const { return FDatabaseName; }
  // The data set must be closed.
  void SetDatabaseName(const std::string& V);

protected:
  virtual std::string SelectSQL() const = 0;
  virtual void BindParams(sqlite3_stmt*) const {}
  void InternalOpen() override;
  void InternalClose() override;
  bool FetchRecord() override;
  int64_t SkipRecords(int64_t Count) override;
  bool CanRefetch() const override { return true; }
  void Refetch() override;
  int64_t CountRecords() override;
  // Raises EDatabaseError with SQLite's message.
  [[noreturn]] static void RaiseSQLite(sqlite3* Db, const std::string& Context);
  static sqlite3* OpenDatabase(const std::string& Path, bool Write);

private:
  // Prepares the select statement with its parameters bound.
  void PrepareSelect();
  // Makes FStmt the select less its first Count rows, which SQLite passes over without making
  // them; false, changing nothing, when SQLite will not take the select as a subquery.
  bool StartAfter(int64_t Count);
  bool StepRow();
  std::string FDatabaseName;
  sqlite3* FDb = nullptr;
  sqlite3_stmt* FStmt = nullptr;
  bool FAtStart = false;  // FStmt has not been stepped since it was prepared or reset
  bool FOffset = false;   // FStmt is the select less its first rows (StartAfter)
  int64_t FCount = -1;    // counted once an opening
};

class TTable : public TDBDataSet {
  DECLARE_CLASSINFO(TTable)
public:
  explicit TTable(TComponent* AOwner);
  const std::string& TableName() const { return FTableName; }
  void SetTableName(const std::string& V);

protected:
  std::string SelectSQL() const override;

private:
  std::string FTableName;
};

// Parameters are written ":Name" in the SQL text; Params is rebuilt whenever
// the text changes, keeping the types and values of names that remain. A
// parameter without a value is bound as NULL.
class TQuery : public TDBDataSet {
  DECLARE_CLASSINFO(TQuery)
public:
  explicit TQuery(TComponent* AOwner);

  const std::vector<std::string>& SQL() const { return FSQL; }
  // Changing the text closes the query.
  void SetSQL(const std::vector<std::string>& Lines);
  std::string SQLText() const;
  void SetSQLText(const std::string& Text);

  TParams& Params() { return FParams; }
  int ParamCount() const { return FParams.Count(); }
  TParam* ParamByName(std::string_view Name) const { return FParams.ParamByName(Name); }

  // Runs every statement of the text on its own connection.
  void ExecSQL();
  // Rows changed by the last statement ExecSQL ran.
  int64_t RowsAffected() const { return FRowsAffected; }

protected:
  std::string SelectSQL() const override { return SQLText(); }
  void BindParams(sqlite3_stmt* Stmt) const override;

private:
  std::vector<std::string> FSQL;
  TParams FParams;
  int64_t FRowsAffected = 0;
};

// The names of the ":Name" parameters in SQL text, first appearances in order,
// skipping quoted text and comments.
std::vector<std::string> ParseSQLParamNames(std::string_view SQL);
// The field type for a declared column type; ftUnknown when the declaration is empty
// or says nothing known. Size receives the declared length or scale.
TFieldType FieldTypeOfDeclared(std::string_view Declared, int& Size);
