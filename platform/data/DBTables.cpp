#include "platform/data/DBTables.h"

#include <sqlite3.h>

#include "platform/classes/ScopeGuard.h"
#include "platform/data/DBConsts.h"
#include "platform/data/DBFormat.h"
#include "platform/rtl/LocaleCase.h"
#include "platform/rtl/SysUtils.h"

// ---- declared types

namespace {

bool Has(const std::string& S, const char* Word) { return S.find(Word) != std::string::npos; }

// The numbers in "(a)" or "(a,b)".
void Numbers(const std::string& S, int& A, int& B) {
  A = B = 0;
  size_t P = S.find('(');
  if (P == std::string::npos) return;
  int* Out = &A;
  for (++P; P < S.size() && S[P] != ')'; ++P) {
    char C = S[P];
    if (C >= '0' && C <= '9') {
      if (*Out < 100000000) *Out = *Out * 10 + (C - '0');
    } else if (C == ',') {
      if (Out == &B) return;
      Out = &B;
    }
  }
}

bool IsWordChar(char C) {
  const auto U = static_cast<unsigned char>(C);
  return (U >= 'a' && U <= 'z') || (U >= 'A' && U <= 'Z') || (U >= '0' && U <= '9') || U == '_' || U == '$' ||
         U >= 0x80;
}

// The statement without its final ORDER BY, which a count need not sort for; the statement as it
// is when it has none at the top level, when a LIMIT follows (the rows kept depend on the order)
// or when it cannot be read to its end.
std::string_view WithoutFinalOrderBy(std::string_view SQL) {
  constexpr size_t None = std::string_view::npos;
  size_t Depth = 0, OrderAt = None;
  for (size_t I = 0; I < SQL.size();) {
    const char C = SQL[I];
    const char Next = I + 1 < SQL.size() ? SQL[I + 1] : '\0';
    if (C == '\'' || C == '"' || C == '`' || C == '[') {
      // A doubled quote inside is two quoted pieces in a row, which changes nothing here.
      I = SQL.find(C == '[' ? ']' : C, I + 1);
      if (I == None) return SQL;
      ++I;
    } else if (C == '-' && Next == '-') {
      I = SQL.find('\n', I);
      if (I == None) break;
    } else if (C == '/' && Next == '*') {
      I = SQL.find("*/", I + 2);
      if (I == None) return SQL;
      I += 2;
    } else if (C == '(') {
      ++Depth;
      ++I;
    } else if (C == ')') {
      if (Depth == 0) return SQL;
      --Depth;
      ++I;
    } else if (IsWordChar(C)) {
      size_t End = I;
      while (End < SQL.size() && IsWordChar(SQL[End])) ++End;
      if (Depth == 0) {
        const std::string_view Word = SQL.substr(I, End - I);
        if (SameTextAscii(Word, "ORDER")) OrderAt = I;
        else if (OrderAt != None && (SameTextAscii(Word, "LIMIT") || SameTextAscii(Word, "OFFSET"))) return SQL;
      }
      I = End;
    } else {
      ++I;
    }
  }
  if (OrderAt == None || Depth != 0) return SQL;
  return SQL.substr(0, OrderAt);
}

}  // namespace

TFieldType FieldTypeOfDeclared(std::string_view Declared, int& Size) {
  std::string S = UpperCaseAscii(Declared);
  int A, B;
  Numbers(S, A, B);
  Size = 0;
  if (Has(S, "BOOL")) return ftBoolean;
  if (Has(S, "DATETIME") || Has(S, "TIMESTAMP")) return ftDateTime;
  if (Has(S, "DATE")) return ftDate;
  if (Has(S, "TIME")) return ftTime;
  if (Has(S, "WORD")) return ftWord;
  if (Has(S, "SMALLINT") || Has(S, "TINYINT")) return ftSmallint;
  if (Has(S, "INT")) return ftInteger;
  if (Has(S, "MONEY") || Has(S, "CURRENCY")) return ftCurrency;
  if (Has(S, "DECIMAL") || Has(S, "NUMERIC")) {
    Size = B;
    return ftBCD;
  }
  if (Has(S, "REAL") || Has(S, "FLOA") || Has(S, "DOUB")) return ftFloat;
  if (Has(S, "MEMO") || Has(S, "CLOB")) return ftMemo;
  if (Has(S, "CHAR") || Has(S, "TEXT") || Has(S, "STRING")) {
    Size = A;
    return ftString;
  }
  if (Has(S, "GRAPHIC") || Has(S, "IMAGE") || Has(S, "PICTURE")) return ftGraphic;
  if (Has(S, "BLOB") || Has(S, "BINARY")) return ftBlob;
  return ftUnknown;
}

std::vector<std::string> ParseSQLParamNames(std::string_view SQL) {
  std::vector<std::string> Names;
  auto IdChar = [](unsigned char C) {
    return (C >= 'A' && C <= 'Z') || (C >= 'a' && C <= 'z') || (C >= '0' && C <= '9') || C == '_' || C == '$' ||
           C >= 0x80;
  };
  size_t I = 0, N = SQL.size();
  while (I < N) {
    char C = SQL[I];
    if (C == '\'' || C == '"' || C == '`' || C == '[') {
      char Close = C == '[' ? ']' : C;
      size_t E = SQL.find(Close, I + 1);
      I = E == std::string_view::npos ? N : E + 1;  // a doubled quote reopens: skipped the same way
    } else if (C == '-' && I + 1 < N && SQL[I + 1] == '-') {
      size_t E = SQL.find('\n', I);
      I = E == std::string_view::npos ? N : E + 1;
    } else if (C == '/' && I + 1 < N && SQL[I + 1] == '*') {
      size_t E = SQL.find("*/", I + 2);
      I = E == std::string_view::npos ? N : E + 2;
    } else if (C == ':') {
      size_t S = ++I;
      while (I < N && IdChar(static_cast<unsigned char>(SQL[I]))) ++I;
      if (I > S) {
        std::string Name(SQL.substr(S, I - S));
        bool Seen = false;
        for (auto& Old : Names) Seen = Seen || SameTextAscii(Old, Name) || AnsiSameText(Old, Name);
        if (!Seen) Names.push_back(std::move(Name));
      }
    } else {
      ++I;
    }
  }
  return Names;
}

// ---- TDBDataSet

const TClassInfo& TDBDataSet::StaticClassInfo() {
  static const TClassInfo Info = TClassDef<TDBDataSet>("TDBDataSet", &TDataSet::StaticClassInfo())
      .Prop("DatabaseName", &TDBDataSet::DatabaseName, &TDBDataSet::SetDatabaseName);
  return Info;
}

TDBDataSet::TDBDataSet(TComponent* AOwner) : TDataSet(AOwner) {}

TDBDataSet::~TDBDataSet() { InternalClose(); }

void TDBDataSet::SetDatabaseName(const std::string& V) {
  CheckInactive();
  FDatabaseName = V;
}

void TDBDataSet::RaiseSQLite(sqlite3* Db, const std::string& Context) {
  throw EDatabaseError(Format(SSQLiteError, {Context, Db ? sqlite3_errmsg(Db) : SOutOfMemory}));
}

sqlite3* TDBDataSet::OpenDatabase(const std::string& Path, bool Write) {
  if (Path.empty()) throw EDatabaseError(SDatabaseNameMissing);
  sqlite3* Db = nullptr;
  int Flags = Write ? SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE : SQLITE_OPEN_READONLY;
  if (sqlite3_open_v2(Path.c_str(), &Db, Flags, nullptr) != SQLITE_OK) {
    std::string Msg = Db ? sqlite3_errmsg(Db) : SOutOfMemory;
    sqlite3_close(Db);
    throw EDatabaseError(Format(SDatabaseOpenError, {Path, Msg}));
  }
  sqlite3_busy_timeout(Db, 5000);
  return Db;
}

void TDBDataSet::PrepareSelect() {
  std::string SQL = SelectSQL();
  const char* Tail = nullptr;
  if (sqlite3_prepare_v2(FDb, SQL.c_str(), static_cast<int>(SQL.size()), &FStmt, &Tail) != SQLITE_OK)
    RaiseSQLite(FDb, SSQLErrorInSQL);
  if (!FStmt) throw EDatabaseError(SEmptySQL);
  if (sqlite3_column_count(FStmt) == 0) throw EDatabaseError(SNoResultSet);
  BindParams(FStmt);
  FAtStart = true;
  FOffset = false;
}

void TDBDataSet::Refetch() {
  if (FStmt && !FOffset) {
    sqlite3_reset(FStmt);
    FAtStart = true;
    return;
  }
  // The statement went when it was done, or starts further on; a fresh one reads from the first row.
  sqlite3_finalize(FStmt);
  FStmt = nullptr;
  FOffset = false;
  if (!FDb) return;
  PrepareSelect();
  if (sqlite3_column_count(FStmt) != Records().Columns()) throw EDatabaseError(SRecordsMismatch);
}

bool TDBDataSet::StartAfter(int64_t Count) {
  std::string SQL = SelectSQL();
  while (!SQL.empty() && (SQL.back() == ';' || static_cast<unsigned char>(SQL.back()) <= ' ')) SQL.pop_back();
  // A line break ends a comment the select may end with.
  const std::string Wrapped = "SELECT * FROM (" + SQL + "\n) LIMIT -1 OFFSET " + std::to_string(Count);
  sqlite3_stmt* Stmt = nullptr;
  if (sqlite3_prepare_v2(FDb, Wrapped.c_str(), static_cast<int>(Wrapped.size()), &Stmt, nullptr) != SQLITE_OK ||
      !Stmt || sqlite3_column_count(Stmt) != Records().Columns()) {
    sqlite3_finalize(Stmt);
    return false;
  }
  BindParams(Stmt);
  sqlite3_finalize(FStmt);
  FStmt = Stmt;
  FAtStart = true;
  FOffset = true;
  return true;
}

int64_t TDBDataSet::CountRecords() {
  if (FCount >= 0 || !FDb) return FCount;
  // SQLite counts the rows of the statement itself, without handing them over; a statement it
  // will not take as a subquery is stepped through as a second statement instead.
  const char* Text = FStmt && !FOffset ? sqlite3_sql(FStmt) : nullptr;
  std::string SQL = Text ? Text : SelectSQL();
  while (!SQL.empty() && (SQL.back() == ';' || static_cast<unsigned char>(SQL.back()) <= ' ')) SQL.pop_back();
  sqlite3_stmt* Count = nullptr;
  TFinally Free([&] { sqlite3_finalize(Count); });
  // SQLite sorts a subquery's rows even to count them: the count goes without the ordering.
  for (std::string_view Counted : {WithoutFinalOrderBy(SQL), std::string_view(SQL)}) {
    const std::string Wrapped = "SELECT COUNT(*) FROM (" + std::string(Counted) + "\n)";
    if (sqlite3_prepare_v2(FDb, Wrapped.c_str(), static_cast<int>(Wrapped.size()), &Count, nullptr) == SQLITE_OK &&
        Count) {
      BindParams(Count);
      if (sqlite3_step(Count) != SQLITE_ROW) RaiseSQLite(FDb, SSQLErrorReading);
      FCount = sqlite3_column_int64(Count, 0);
      return FCount;
    }
    sqlite3_finalize(Count);
    Count = nullptr;
  }
  if (sqlite3_prepare_v2(FDb, SQL.c_str(), static_cast<int>(SQL.size()), &Count, nullptr) != SQLITE_OK || !Count)
    RaiseSQLite(FDb, SSQLErrorInSQL);
  BindParams(Count);
  int64_t N = 0;
  int Rc;
  while ((Rc = sqlite3_step(Count)) == SQLITE_ROW) ++N;
  if (Rc != SQLITE_DONE) RaiseSQLite(FDb, SSQLErrorReading);
  FCount = N;
  return FCount;
}

void TDBDataSet::InternalOpen() {
  FCount = -1;
  FDb = OpenDatabase(FDatabaseName, false);
  PrepareSelect();
  int Cols = sqlite3_column_count(FStmt);

  // Names and declared types before the first step: a statement that has no
  // records is released by that step.
  FieldDefs().Clear();
  std::vector<bool> Untyped(static_cast<size_t>(Cols));
  for (int I = 0; I < Cols; ++I) {
    const char* Name = sqlite3_column_name(FStmt, I);
    const char* Decl = sqlite3_column_decltype(FStmt, I);
    int Size = 0;
    TFieldType T = FieldTypeOfDeclared(Decl ? Decl : "", Size);
    Untyped[static_cast<size_t>(I)] = T == ftUnknown;
    FieldDefs().Add(Name ? Name : "", T, Size);
  }
  Records().Reset(Cols);
  bool HasRow = StepRow();
  TFieldDefs Defs;
  for (int I = 0; I < Cols; ++I) {
    TFieldDef D = FieldDefs().Items(I);
    if (Untyped[static_cast<size_t>(I)]) {
      TDbValueKind K = HasRow ? Records().Cell(0, I).Kind : TDbValueKind::Null;
      D.DataType = K == TDbValueKind::Integer ? ftInteger
                   : K == TDbValueKind::Float ? ftFloat
                   : K == TDbValueKind::Blob  ? ftBlob
                                              : ftString;
    }
    Defs.Add(D.Name, D.DataType, D.Size);
  }
  FieldDefs() = Defs;
}

void TDBDataSet::InternalClose() {
  FCount = -1;
  sqlite3_finalize(FStmt);
  FStmt = nullptr;
  FOffset = false;
  sqlite3_close(FDb);
  FDb = nullptr;
}

bool TDBDataSet::StepRow() {
  if (!FStmt) return false;
  FAtStart = false;
  int Rc = sqlite3_step(FStmt);
  if (Rc == SQLITE_DONE) {
    // Done: release the statement and its read lock now, not at Close.
    sqlite3_finalize(FStmt);
    FStmt = nullptr;
    return false;
  }
  if (Rc != SQLITE_ROW) RaiseSQLite(FDb, SSQLErrorReading);
  TRecordStore& R = Records();
  int Cols = R.Columns();
  for (int I = 0; I < Cols; ++I) {
    switch (sqlite3_column_type(FStmt, I)) {
      case SQLITE_INTEGER: R.PutInteger(sqlite3_column_int64(FStmt, I)); break;
      case SQLITE_FLOAT: R.PutFloat(sqlite3_column_double(FStmt, I)); break;
      case SQLITE_TEXT: {
        const unsigned char* T = sqlite3_column_text(FStmt, I);
        R.PutBytes(TDbValueKind::Text, T, static_cast<size_t>(sqlite3_column_bytes(FStmt, I)));
        break;
      }
      case SQLITE_BLOB: {
        const void* B = sqlite3_column_blob(FStmt, I);
        R.PutBytes(TDbValueKind::Blob, B, static_cast<size_t>(sqlite3_column_bytes(FStmt, I)));
        break;
      }
      default: R.PutNull(); break;
    }
  }
  return true;
}

bool TDBDataSet::FetchRecord() { return StepRow(); }

int64_t TDBDataSet::SkipRecords(int64_t Count) {
  // From the first row, SQLite's own OFFSET passes over rows several times faster than stepping
  // over them here (a random page far into the data). The last row passed over is stepped: a
  // select that has fewer rows (its data changed) is passed over again row by row, to count them.
  if (Count > 1 && FStmt && FAtStart && StartAfter(Count - 1)) {
    FAtStart = false;
    const int Rc = sqlite3_step(FStmt);
    if (Rc == SQLITE_ROW) return Count;
    if (Rc != SQLITE_DONE) RaiseSQLite(FDb, SSQLErrorReading);
    Refetch();
  }
  FAtStart = false;
  int64_t Passed = 0;
  while (Passed < Count && FStmt) {
    const int Rc = sqlite3_step(FStmt);
    if (Rc == SQLITE_DONE) {
      sqlite3_finalize(FStmt);
      FStmt = nullptr;
      break;
    }
    if (Rc != SQLITE_ROW) RaiseSQLite(FDb, SSQLErrorReading);
    ++Passed;
  }
  return Passed;
}

// ---- TTable

const TClassInfo& TTable::StaticClassInfo() {
  static const TClassInfo Info = TClassDef<TTable>("TTable", &TDBDataSet::StaticClassInfo())
      .Prop("TableName", &TTable::TableName, &TTable::SetTableName);
  return Info;
}

TTable::TTable(TComponent* AOwner) : TDBDataSet(AOwner) {}

void TTable::SetTableName(const std::string& V) {
  CheckInactive();
  FTableName = V;
}

std::string TTable::SelectSQL() const {
  if (FTableName.empty()) throw EDatabaseError(STableNameMissing);
  std::string Quoted = "\"";
  for (char C : FTableName) {
    if (C == '"') Quoted += '"';
    Quoted += C;
  }
  return "SELECT * FROM " + Quoted + "\"";
}

// ---- TQuery

const TClassInfo& TQuery::StaticClassInfo() {
  // SQL is a list of lines here, not yet a streamed string list: not published.
  static const TClassInfo Info = TClassDef<TQuery>("TQuery", &TDBDataSet::StaticClassInfo());
  return Info;
}

TQuery::TQuery(TComponent* AOwner) : TDBDataSet(AOwner) {}

void TQuery::SetSQL(const std::vector<std::string>& Lines) {
  Close();
  FSQL = Lines;
  TParams Old;
  std::swap(Old, FParams);
  for (const std::string& Name : ParseSQLParamNames(SQLText())) FParams.CreateParam(ftUnknown, Name);
  FParams.AssignValues(Old);
}

std::string TQuery::SQLText() const {
  std::string S;
  for (const std::string& L : FSQL) {
    S += L;
    S += '\n';
  }
  return S;
}

void TQuery::SetSQLText(const std::string& Text) {
  std::vector<std::string> Lines;
  size_t P = 0;
  while (P < Text.size()) {
    size_t E = Text.find('\n', P);
    if (E == std::string::npos) E = Text.size();
    std::string L = Text.substr(P, E - P);
    if (!L.empty() && L.back() == '\r') L.pop_back();
    Lines.push_back(std::move(L));
    P = E + 1;
  }
  SetSQL(Lines);
}

void TQuery::BindParams(sqlite3_stmt* Stmt) const {
  int N = sqlite3_bind_parameter_count(Stmt);
  for (int I = 1; I <= N; ++I) {
    const char* Raw = sqlite3_bind_parameter_name(Stmt, I);
    if (!Raw || Raw[0] != ':') throw EDatabaseError(SUnnamedParam);
    TParam* P = FParams.ParamByName(Raw + 1);
    const TDbValue& V = P->Value();
    int Rc;
    if (V.Kind == TDbValueKind::Null) {
      Rc = sqlite3_bind_null(Stmt, I);
    } else {
      std::string Text;
      bool AsText = false;
      switch (P->DataType()) {
        case ftSmallint:
        case ftInteger:
        case ftWord:
        case ftBoolean:
          Rc = sqlite3_bind_int64(Stmt, I, P->DataType() == ftBoolean ? (P->AsBoolean() ? 1 : 0) : P->AsInteger());
          break;
        case ftFloat:
        case ftCurrency:
        case ftBCD: Rc = sqlite3_bind_double(Stmt, I, P->AsFloat()); break;
        case ftDate:
        case ftTime:
        case ftDateTime:
          if (V.Kind == TDbValueKind::Text) {
            Text = V.S;
          } else {
            TDateTime D = P->AsDateTime();
            Text = P->DataType() == ftDate ? DateToIso(D) : P->DataType() == ftTime ? TimeToIso(D) : DateTimeToIso(D);
          }
          AsText = true;
          Rc = SQLITE_OK;
          break;
        case ftBlob:
        case ftGraphic:
          Rc = sqlite3_bind_blob64(Stmt, I, V.S.data(), V.S.size(), SQLITE_TRANSIENT);
          break;
        case ftString:
        case ftMemo:
          Text = P->AsString();
          AsText = true;
          Rc = SQLITE_OK;
          break;
        default:  // no type: as the value came
          if (V.Kind == TDbValueKind::Integer)
            Rc = sqlite3_bind_int64(Stmt, I, V.I);
          else if (V.Kind == TDbValueKind::Float)
            Rc = sqlite3_bind_double(Stmt, I, V.F);
          else if (V.Kind == TDbValueKind::Blob)
            Rc = sqlite3_bind_blob64(Stmt, I, V.S.data(), V.S.size(), SQLITE_TRANSIENT);
          else {
            Text = V.S;
            AsText = true;
            Rc = SQLITE_OK;
          }
          break;
      }
      if (AsText) Rc = sqlite3_bind_text64(Stmt, I, Text.data(), Text.size(), SQLITE_TRANSIENT, SQLITE_UTF8);
    }
    if (Rc != SQLITE_OK) RaiseSQLite(sqlite3_db_handle(Stmt), Format(SSQLErrorInParam, {P->Name()}));
  }
}

void TQuery::ExecSQL() {
  sqlite3* Db = OpenDatabase(DatabaseName(), true);
  sqlite3_stmt* Stmt = nullptr;
  // Both handles go, whatever raises.
  TFinally Close([&] {
    sqlite3_finalize(Stmt);
    sqlite3_close(Db);
  });
  std::string SQL = SQLText();
  const char* P = SQL.c_str();
  const char* End = P + SQL.size();
  FRowsAffected = 0;
  while (P < End) {
    const char* Tail = nullptr;
    if (sqlite3_prepare_v2(Db, P, static_cast<int>(End - P), &Stmt, &Tail) != SQLITE_OK) RaiseSQLite(Db, SSQLErrorInSQL);
    P = Tail;
    if (!Stmt) continue;  // only blanks or comments left
    BindParams(Stmt);
    int Rc;
    while ((Rc = sqlite3_step(Stmt)) == SQLITE_ROW) {
    }
    if (Rc != SQLITE_DONE) RaiseSQLite(Db, SSQLErrorExecuting);
    FRowsAffected = sqlite3_changes64(Db);
    sqlite3_finalize(Stmt);
    Stmt = nullptr;
  }
}
