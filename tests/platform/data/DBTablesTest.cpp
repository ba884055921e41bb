#include "platform/data/DBTables.h"

#include <gtest/gtest.h>

#include "platform/classes/TempFiles.h"

namespace {

// A database file made for each test and removed after it.
class SQLiteFile : public ::testing::Test {
protected:
  void SetUp() override {
    Path = GetTempFileName(GetTempPath(), "db");
    DeleteFile(Path);  // ExecSQL creates it
  }
  void TearDown() override { DeleteFile(Path); }
  void Exec(const std::string& SQL) {
    TQuery Q(nullptr);
    Q.SetDatabaseName(Path);
    Q.SetSQLText(SQL);
    Q.ExecSQL();
  }
  std::string Path;
};

}  // namespace

TEST_F(SQLiteFile, QueryWithParamsWalksItsRowsWithTheEofRule) {
  Exec(
      "CREATE TABLE Orders (Id INTEGER PRIMARY KEY, Customer VARCHAR(30), Total MONEY, Placed DATE);\n"
      "INSERT INTO Orders VALUES (1, 'Ana', 10.5, '2024-01-10');\n"
      "INSERT INTO Orders VALUES (2, 'Bia', 99.25, '2024-02-01');\n"
      "INSERT INTO Orders VALUES (3, 'Ana', 7, '2024-03-15');\n"
      "INSERT INTO Orders VALUES (4, 'Caio', 1, '2024-03-20');");
  TQuery Q(nullptr);
  Q.SetDatabaseName(Path);
  Q.SetSQL({"SELECT Id, Customer, Total, Placed FROM Orders",
            "WHERE Customer = :Who AND Placed >= :Since -- not :InAComment",
            "AND ':NotAParam' <> '' ORDER BY Id"});
  ASSERT_EQ(Q.ParamCount(), 2);
  EXPECT_EQ(Q.Params()[0]->Name(), "Who");
  Q.ParamByName("WHO")->SetAsString("Ana");
  Q.ParamByName("since")->SetAsDate(EncodeDate(2024, 1, 1));
  Q.Open();
  EXPECT_TRUE(Q.Bof());
  TField* Id = Q.FieldByName("id");
  TField* Total = Q.FieldByName("Total");
  EXPECT_STREQ(Q.FieldByName("Customer")->ClassName().c_str(), "TStringField");
  EXPECT_EQ(Q.FieldByName("Customer")->Size(), 30);
  EXPECT_EQ(Total->ClassName(), "TCurrencyField");
  EXPECT_EQ(Q.FieldByName("Placed")->ClassName(), "TDateField");
  std::string Seen;
  for (Q.First(); !Q.Eof(); Q.Next())
    Seen += Id->AsString() + " " + Total->DisplayText() + " " + Q.FieldByName("Placed")->DisplayText() + "; ";
  EXPECT_EQ(Seen, "1 R$ 10,50 10/01/2024; 3 R$ 7,00 15/03/2024; ");
  EXPECT_EQ(Id->AsInteger(), 3);  // EOF stays on the last row
  Q.Prior();
  EXPECT_EQ(Id->AsInteger(), 1);
  EXPECT_EQ(Q.RecordCount(), 2);

  // New values take effect on the next opening; the types stay when the text changes.
  Q.Close();
  Q.ParamByName("Since")->SetAsDate(EncodeDate(2024, 3, 1));
  Q.Open();
  EXPECT_EQ(Q.RecordCount(), 1);
  Q.SetSQLText("SELECT COUNT(*) AS N, MAX(Total) AS M FROM Orders WHERE Placed >= :since");
  EXPECT_FALSE(Q.Active());
  ASSERT_EQ(Q.ParamCount(), 1);
  EXPECT_EQ(Q.Params()[0]->DataType(), ftDate);
  Q.Open();
  EXPECT_EQ(Q.FieldByName("N")->ClassName(), "TIntegerField");
  EXPECT_EQ(Q.FieldByName("N")->AsInteger(), 2);
  EXPECT_EQ(Q.FieldByName("M")->ClassName(), "TIntegerField");  // 7 is stored as an integer
}

TEST_F(SQLiteFile, BlobFieldsGiveTheirBytes) {
  std::string Bytes;
  for (int I = 0; I < 300; ++I) Bytes += static_cast<char>(I * 7);
  Exec("CREATE TABLE Pics (Name TEXT, Pic IMAGE, Data BLOB, Notes MEMO)");
  TQuery Ins(nullptr);
  Ins.SetDatabaseName(Path);
  Ins.SetSQLText("INSERT INTO Pics VALUES (:N, :P, :P, :M)");
  Ins.ParamByName("N")->SetAsString("logo");
  Ins.ParamByName("P")->SetAsBlob(Bytes);
  Ins.ParamByName("M")->SetAsMemo("line 1\nline 2");
  Ins.ExecSQL();
  EXPECT_EQ(Ins.RowsAffected(), 1);
  Ins.ParamByName("N")->SetAsString("empty");
  Ins.ParamByName("P")->Clear();
  Ins.ExecSQL();

  TTable T(nullptr);
  T.SetDatabaseName(Path);
  T.SetTableName("Pics");
  T.Open();
  auto* Pic = dynamic_cast<TGraphicField*>(T.FieldByName("Pic"));
  ASSERT_NE(Pic, nullptr);
  EXPECT_EQ(T.FieldByName("Data")->ClassName(), "TBlobField");
  EXPECT_EQ(T.FieldByName("Notes")->ClassName(), "TMemoField");
  EXPECT_EQ(Pic->BlobSize(), 300);
  auto S = T.CreateBlobStream(Pic);
  std::string Got(300, '\0');
  S->ReadBuffer(Got.data(), 300);
  EXPECT_EQ(Got, Bytes);
  EXPECT_EQ(T.FieldByName("Data")->AsString(), Bytes);
  EXPECT_EQ(T.FieldByName("Notes")->AsString(), "line 1\nline 2");
  T.Next();
  EXPECT_EQ(T.FieldByName("Name")->AsString(), "empty");
  EXPECT_TRUE(Pic->IsNull());
  EXPECT_EQ(Pic->DisplayText(), "(Graphic)");
  T.Next();
  EXPECT_TRUE(T.Eof());
}

TEST_F(SQLiteFile, DatesAsIsoTextOrDayCountsAndTypedParams) {
  Exec(
      "CREATE TABLE Ev (At DATETIME, T TIME, Ok BOOLEAN, Amount DECIMAL(10,2), F REAL, S SMALLINT, W WORD);\n"
      "INSERT INTO Ev VALUES ('2024-03-05 14:30:00', '08:15', 1, 12.345, 1.5, -3, 65535);\n"
      "INSERT INTO Ev VALUES (45356.5, 0.75, 'false', NULL, NULL, NULL, NULL);");
  TQuery Q(nullptr);
  Q.SetDatabaseName(Path);
  Q.SetSQLText("SELECT * FROM Ev WHERE Ok = :Ok OR At > :After OR F = :F");
  Q.ParamByName("Ok")->SetAsBoolean(true);
  Q.ParamByName("After")->SetAsDateTime(EncodeDate(2030, 1, 1));
  Q.ParamByName("F")->SetAsFloat(-1);
  Q.Open();
  EXPECT_EQ(Q.FieldByName("Amount")->ClassName(), "TBCDField");
  EXPECT_EQ(Q.FieldByName("Amount")->Size(), 2);
  EXPECT_EQ(Q.FieldByName("S")->ClassName(), "TSmallintField");
  EXPECT_EQ(Q.FieldByName("W")->ClassName(), "TWordField");
  EXPECT_EQ(Q.FieldByName("Ok")->ClassName(), "TBooleanField");
  EXPECT_EQ(Q.FieldByName("T")->ClassName(), "TTimeField");
  EXPECT_EQ(Q.RecordCount(), 1);
  EXPECT_EQ(Q.FieldByName("At")->DisplayText(), "05/03/2024 14:30:00");
  EXPECT_EQ(Q.FieldByName("T")->DisplayText(), "08:15:00");
  EXPECT_TRUE(Q.FieldByName("Ok")->AsBoolean());
  EXPECT_DOUBLE_EQ(Q.FieldByName("Amount")->AsFloat(), 12.345);

  // A date-time parameter binds as ISO text, so it compares with ISO text; a
  // day count is a number, which SQLite orders before any text.
  Q.SetSQLText("SELECT * FROM Ev WHERE At >= :After");
  Q.ParamByName("After")->SetAsDateTime(EncodeDate(2024, 3, 5) + EncodeTime(14, 0, 0, 0));
  Q.Open();
  EXPECT_EQ(Q.RecordCount(), 1);
  Q.ParamByName("After")->SetAsDateTime(EncodeDate(2024, 3, 5) + EncodeTime(15, 0, 0, 0));
  Q.Close();
  Q.Open();
  EXPECT_TRUE(Q.IsEmpty());

  // Numbers in date and time columns are day counts since 1899-12-30.
  Q.SetSQLText("SELECT * FROM Ev");
  Q.Open();
  Q.Last();
  EXPECT_EQ(Q.FieldByName("At")->DisplayText(), "05/03/2024 12:00:00");
  EXPECT_EQ(Q.FieldByName("T")->DisplayText(), "18:00:00");
  EXPECT_FALSE(Q.FieldByName("Ok")->AsBoolean());
  EXPECT_EQ(Q.FieldByName("Amount")->DisplayText(), "");
}

TEST_F(SQLiteFile, FailuresRaiseAndLeaveTheDataSetClosed) {
  Exec("CREATE TABLE A (X INTEGER)");
  TQuery Q(nullptr);
  Q.SetDatabaseName(Path + ".missing");
  Q.SetSQLText("SELECT * FROM A");
  EXPECT_THROW(Q.Open(), EDatabaseError);  // opening never creates a database
  EXPECT_FALSE(FileExists(Path + ".missing"));
  Q.SetDatabaseName(Path);
  Q.SetSQLText("SELECT * FROM Nowhere");
  EXPECT_THROW(Q.Open(), EDatabaseError);
  EXPECT_FALSE(Q.Active());
  Q.SetSQLText("INSERT INTO A VALUES (1)");
  EXPECT_THROW(Q.Open(), EDatabaseError);  // no result set; nothing written
  Q.SetSQLText("SELECT * FROM A WHERE X = ?");
  EXPECT_THROW(Q.Open(), EDatabaseError);
  Q.SetSQLText("SELECT * FROM A WHERE X = :x");
  Q.ParamByName("x")->SetAsInteger(1);
  Q.Open();
  EXPECT_TRUE(Q.IsEmpty());
  EXPECT_THROW(Q.SetDatabaseName("other"), EDatabaseError);
  TTable T(nullptr);
  T.SetDatabaseName(Path);
  EXPECT_THROW(T.Open(), EDatabaseError);
  T.SetTableName("a\"; DROP TABLE A; --");
  EXPECT_THROW(T.Open(), EDatabaseError);
  T.SetTableName("A");
  T.Open();
  EXPECT_EQ(T.FieldCount(), 1);
  Q.SetSQLText("UPDATE A SET X = X + 1; DELETE FROM A WHERE X = :x");
  Q.ExecSQL();
  Q.SetSQLText("BROKEN SQL");
  EXPECT_THROW(Q.ExecSQL(), EDatabaseError);
}

TEST(SQLParamTest, NamesSkipQuotesAndComments) {
  struct Case {
    const char* SQL;
    std::vector<std::string> Names;
  } Cases[] = {
      {"SELECT * FROM T WHERE A = :A AND B = :b2 OR C = :a", {"A", "b2"}},
      {"SELECT ':x', \":y\", [z:w] FROM T /* :c */ WHERE D = :D -- :e", {"D"}},
      {"SELECT 'it''s :not' , :Yes", {"Yes"}},
      {"SELECT : FROM T", {}},
      {"SELECT 'open", {}},
  };
  for (auto& C : Cases) EXPECT_EQ(ParseSQLParamNames(C.SQL), C.Names) << C.SQL;
}

namespace {
// How many records the query holds.
class TWindowQuery : public TQuery {
public:
  using TQuery::TQuery;
  int64_t Held() { return Records().Count(); }
};
}  // namespace

// A count goes without the statement's final ordering, which only orders; an ordering that decides
// which rows there are (a LIMIT after it) stays, and so does anything that merely reads like one.
TEST_F(SQLiteFile, RecordCountOfStatementsWithOrderings) {
  Exec(
      "CREATE TABLE N (I INTEGER, Name VARCHAR(20));\n"
      "WITH RECURSIVE C(X) AS (SELECT 1 UNION ALL SELECT X + 1 FROM C WHERE X < 10)\n"
      "INSERT INTO N SELECT X, 'n' || X FROM C;");
  const struct {
    const char* SQL;
    int64_t Count;
  } Cases[] = {
      {"SELECT I FROM N ORDER BY I DESC", 10},
      {"SELECT I FROM N WHERE I > :Min ORDER BY Name COLLATE NOCASE, I", 7},
      {"SELECT I FROM N ORDER BY I LIMIT 3", 3},
      {"SELECT I FROM N ORDER BY I LIMIT 4 OFFSET 8", 2},
      {"select I from N order by I limit (select 5)", 5},
      {"SELECT I FROM N WHERE Name <> 'x ORDER BY' ORDER BY (SELECT I FROM N LIMIT 1), I", 10},
      {"SELECT I, ROW_NUMBER() OVER (ORDER BY I) FROM N ORDER BY I DESC LIMIT 6", 6},
      {"SELECT I FROM N ORDER BY I /* LIMIT 1 */", 10},
      {"SELECT I FROM N -- ORDER BY I LIMIT 1\nLIMIT 9", 9},
      {"SELECT I FROM N UNION ALL SELECT I FROM N WHERE I < 4 ORDER BY 1", 13},
      {"SELECT \"I\" AS \"ORDER\" FROM N WHERE I % 2 = 0 ORDER BY [ORDER] LIMIT 2", 2},
  };
  for (const auto& C : Cases) {
    SCOPED_TRACE(C.SQL);
    TQuery Q(nullptr);
    Q.SetDatabaseName(Path);
    Q.SetSQLText(C.SQL);
    if (Q.ParamCount()) Q.ParamByName("Min")->SetAsInteger(3);
    Q.Open();
    EXPECT_EQ(Q.RecordCount(), C.Count);
  }
}

TEST_F(SQLiteFile, AQueryHoldsAWindowOfRecordsYetStepsBackCountsAndReturnsToBookmarks) {
  Exec(
      "CREATE TABLE N (I INTEGER, Pad BLOB);\n"
      "WITH RECURSIVE C(X) AS (SELECT 1 UNION ALL SELECT X + 1 FROM C WHERE X < 5000)\n"
      "INSERT INTO N SELECT X, CASE WHEN X <= 60 THEN zeroblob(300000) END FROM C;");
  TWindowQuery Q(nullptr);
  Q.SetDatabaseName(Path);
  Q.SetSQLText("SELECT I, Pad FROM N WHERE I <= :Last ORDER BY I;");
  Q.ParamByName("Last")->SetAsInteger(4990);
  Q.Open();
  TField* I = Q.FieldByName("I");
  // Counted by the database: nothing read ahead, the current record stays.
  EXPECT_EQ(Q.RecordCount(), 4990);
  EXPECT_EQ(Q.Held(), 1);
  EXPECT_EQ(I->AsInteger(), 1);
  // The engine's walk: forward, and one back and forth again at every group break.
  TBookmark At10, At3000;
  int64_t Expected = 1, MostHeld = 0;
  for (; !Q.Eof(); Q.Next(), ++Expected) {
    ASSERT_EQ(I->AsInteger(), Expected);
    if (Expected == 10) At10 = Q.GetBookmark();
    if (Expected == 3000) At3000 = Q.GetBookmark();
    if (Expected % 7 == 0) {
      Q.Prior();
      ASSERT_EQ(I->AsInteger(), Expected - 1);
      Q.Next();
    }
    // The first records are 300 KB each: the window holds fewer of them.
    if (Expected == 60) EXPECT_LE(Q.Held() * 300000, 20 << 20);
    MostHeld = std::max(MostHeld, Q.Held());
  }
  EXPECT_EQ(Expected, 4991);
  EXPECT_LE(MostHeld, 1024);
  // Back beyond the window: read again up to there.
  Q.GotoBookmark(At10);
  EXPECT_EQ(I->AsInteger(), 10);
  Q.Prior();
  EXPECT_EQ(I->AsInteger(), 9);
  Q.Last();
  EXPECT_EQ(I->AsInteger(), 4990);
  EXPECT_LE(Q.Held(), 1024);
  // Far back: what lies before the window is passed over, what lies around the record is there.
  Q.GotoBookmark(At3000);
  EXPECT_EQ(I->AsInteger(), 3000);
  Q.Prior();
  EXPECT_EQ(I->AsInteger(), 2999);
  Q.Next();
  Q.Next();
  EXPECT_EQ(I->AsInteger(), 3001);
  EXPECT_LE(Q.Held(), 1024);
  Q.First();
  EXPECT_EQ(I->AsInteger(), 1);
  EXPECT_EQ(Q.RecordCount(), 4990);
}

// A jump far back reads the select again from its start, passing over the rows before the window;
// when rows went meanwhile, the records left are found and none beyond them.
TEST_F(SQLiteFile, AFarJumpBackIntoRowsDeletedMeanwhileFindsWhatIsLeft) {
  Exec(
      "CREATE TABLE N (I INTEGER);\n"
      "WITH RECURSIVE C(X) AS (SELECT 1 UNION ALL SELECT X + 1 FROM C WHERE X < 5000)\n"
      "INSERT INTO N SELECT X FROM C;");
  TWindowQuery Q(nullptr);
  Q.SetDatabaseName(Path);
  Q.SetSQLText("SELECT I FROM N ORDER BY I -- the rows in order");
  Q.Open();
  TField* I = Q.FieldByName("I");
  ASSERT_TRUE(Q.MoveTo(4000));
  ASSERT_TRUE(Q.MoveTo(2999));
  EXPECT_EQ(I->AsInteger(), 3000);
  Q.Last();  // done: the statement lets go of the file
  EXPECT_EQ(I->AsInteger(), 5000);
  Exec("DELETE FROM N WHERE I > 100");
  EXPECT_FALSE(Q.MoveTo(2999));
  ASSERT_TRUE(Q.MoveTo(49));
  EXPECT_EQ(I->AsInteger(), 50);
  ASSERT_TRUE(Q.MoveTo(99));
  EXPECT_EQ(I->AsInteger(), 100);
  EXPECT_FALSE(Q.MoveTo(100));
}
