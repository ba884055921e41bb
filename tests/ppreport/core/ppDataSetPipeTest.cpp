#include "ppreport/core/ppDataSetPipe.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <functional>
#include <string>
#include <vector>

#include "platform/classes/Filer.h"
#include "platform/classes/ObjectText.h"
#include "platform/data/DBTables.h"
#include "platform/data/MemDataSet.h"
#include "ppreport/core/ppEvents.h"
#include "tests/TestTemp.h"

namespace {

TMemoryDataSet* NumberSet(TComponent* Owner, int Count) {
  auto* D = new TMemoryDataSet(Owner);
  D->FieldDefs().Add("Id", ftInteger);
  D->FieldDefs().Add("Name", ftString, 20);
  D->FieldDefs().Add("Amount", ftInteger);
  for (int I = 1; I <= Count; ++I) D->AppendRecord({I, "N" + std::to_string(I), TDbValue::Null()});
  return D;
}

// Ids of one traversal as the engine walks it: First, then Next until EOF.
std::vector<int64_t> Traverse(TppDataPipeline& P, const std::vector<TppDataPipeline*>& All = {}) {
  std::vector<int64_t> Ids;
  P.InitializeTraversal(All);
  P.First();
  for (int Guard = 0; !P.GetEOF() && Guard < 100; ++Guard) {
    Ids.push_back(P.GetFieldValue("Id").AsInteger());
    P.Next();
  }
  return Ids;
}

using TIds = std::vector<int64_t>;

// Counts the events a pipeline broadcasts.
struct TEventCounter {
  TppCommunicator Listener{nullptr};
  std::vector<int> Seen;
  explicit TEventCounter(TppDataPipeline& P) {
    for (int E : {ciPipelineFirst, ciPipelineNext, ciPipelineGotoBookmark, ciPipelineBeforeOpen, ciPipelineAfterClose})
      Listener.EventMask().Include(E);
    Listener.OnEventNotify = [this](TppCommunicator*, TppCommunicator*, int Id, TraParamList*) { Seen.push_back(Id); };
    P.AddEventNotify(&Listener);
  }
  int Count(int Id) const { return static_cast<int>(std::count(Seen.begin(), Seen.end(), Id)); }
};

TEST(TppDataSetPipelineTest, TraversesItsRecordsWithTheirEvents) {
  TComponent Form(nullptr);
  TMemoryDataSet* Data = NumberSet(&Form, 5);
  auto* P = new TppDataSetPipeline(&Form);
  P->SetDataSet(Data);
  TEventCounter Events(*P);
  int OnFirst = 0;
  P->OnFirst = [&](TObject*) { ++OnFirst; };
  P->Open();
  EXPECT_TRUE(Data->Active());
  EXPECT_EQ(3, P->GetFieldCount());  // made from the data set's fields
  EXPECT_EQ((TIds{1, 2, 3, 4, 5}), Traverse(*P));
  EXPECT_EQ(4, P->RecordCount());  // the record number where the range ended, counted from 0
  EXPECT_TRUE(P->DataTraversed());
  EXPECT_EQ(1, OnFirst);
  EXPECT_EQ(1, Events.Count(ciPipelineBeforeOpen));
  EXPECT_EQ(5, Events.Count(ciPipelineNext));
  P->Close();
  EXPECT_FALSE(Data->Active());  // it opened the data set, so it closes it
  EXPECT_EQ(1, Events.Count(ciPipelineAfterClose));

  // No records: the bit is set, and a second First announces nothing.
  TMemoryDataSet* Empty = NumberSet(&Form, 0);
  P->SetDataSet(Empty);
  P->Open();
  EXPECT_TRUE(Traverse(*P).empty());
  EXPECT_TRUE(P->NoRecords());
  const int Firsts = Events.Count(ciPipelineFirst);
  P->First();
  EXPECT_EQ(Firsts, Events.Count(ciPipelineFirst));
  EXPECT_EQ(1, OnFirst);
}

TEST(TppDataSetPipelineTest, RangesBeginAndEnd) {
  TComponent Form(nullptr);
  auto* P = new TppDataSetPipeline(&Form);
  P->SetDataSet(NumberSet(&Form, 5));
  P->Open();
  auto ToRecord = [&](int Id) {
    P->GotoFirstRecord();
    P->MoveDataBy(Id - 1);
    return P->GetBookmark();
  };

  // Backward from the last record: RecordNo counts 0, 1, 2 in the direction of travel.
  P->SetMoveBy(-1);
  P->SetRangeBegin(rbLastRecord);
  P->SetRangeEnd(reFirstRecord);
  P->InitializeTraversal({});
  P->First();
  std::vector<int> RecordNos;
  TIds Ids;
  while (!P->GetEOF()) {
    Ids.push_back(P->GetFieldValue("Id").AsInteger());
    RecordNos.push_back(P->RecordNo());
    P->Next();
  }
  EXPECT_EQ((TIds{5, 4, 3, 2, 1}), Ids);
  EXPECT_EQ((std::vector<int>{0, 1, 2, 3, 4}), RecordNos);
  P->SetMoveBy(1);

  struct TCase {
    TppRangeBeginType Begin;
    TppRangeEndType End;
    int Count;
    TIds Expected;
  };
  const TCase Cases[] = {
      {rbCurrentRecord, reCurrentRecord, 0, {3}},
      {rbCurrentRecord, reLastRecord, 0, {3, 4, 5}},
      {rbFirstRecord, reCurrentRecord, 0, {1, 2, 3}},
      {rbFirstRecord, reCount, 2, {1, 2}},
      {rbCurrentRecord, reCount, 9, {3, 4, 5}},
  };
  for (const TCase& C : Cases) {
    P->SetCurrentRecordBookmark(ToRecord(3));
    P->SetRangeBegin(C.Begin);
    P->SetRangeEnd(C.End);
    P->SetRangeEndCount(C.Count);
    P->UpdateState();
    EXPECT_EQ(C.Expected, Traverse(*P)) << C.Begin << " " << C.End;
  }

  // Last with a count: TraversalCount stops at the count, or where the data ends.
  P->SetRangeBegin(rbFirstRecord);
  P->SetRangeEnd(reCount);
  for (int Count : {3, 9}) {
    P->SetRangeEndCount(Count);
    P->InitializeTraversal({});
    P->Last();
    EXPECT_EQ(std::min(Count, 5), P->TraversalCount()) << Count;
    EXPECT_TRUE(P->GetEOF());
  }
}

TEST(TppDataSetPipelineTest, BookmarksComeFromThePipelineOrAreRefused) {
  TComponent Form(nullptr);
  TMemoryDataSet* Data = NumberSet(&Form, 5);
  auto* P = new TppDataSetPipeline(&Form);
  P->SetDataSet(Data);
  TEventCounter Events(*P);
  P->Open();
  std::vector<TppBookmark> Marks;
  for (int I = 0; I < 5; ++I) {
    Marks.push_back(P->GetBookmark());
    P->MoveDataBy(1);
  }
  EXPECT_EQ(-1, P->CompareBookmarks(Marks[1], Marks[3]));
  EXPECT_EQ(0, P->CompareBookmarks(Marks[2], Marks[2]));

  // A list replaces the range: exactly these records, in this order.
  P->SetBookmarkList({Marks[3], Marks[1], Marks[4]});
  EXPECT_EQ((TIds{4, 2, 5}), Traverse(*P));
  P->Prior();  // from past the end back to the list's last entry
  EXPECT_EQ(2, P->TraversalCount());
  EXPECT_EQ(5, P->GetFieldValue("Id").AsInteger());

  // Handles the pipeline never made, or freed, go nowhere and announce nothing.
  const int Gotos = Events.Count(ciPipelineGotoBookmark);
  P->FreeBookmark(Marks[0]);
  for (TppBookmark B : {TppBookmark(0), TppBookmark(987654), Marks[0]}) {
    EXPECT_FALSE(P->IsBookmarkValid(B));
    EXPECT_FALSE(P->GotoBookmark(B));
    EXPECT_THROW(P->SetCurrentRecordBookmark(B == 0 ? 987654 : B), EDataError);
    EXPECT_THROW(P->SetBookmarkList({Marks[2], B}), EDataError);
  }
  EXPECT_EQ(Gotos, Events.Count(ciPipelineGotoBookmark));
  EXPECT_EQ(3u, P->BookmarkList().size());  // the refused lists changed nothing

  // Closed and opened again, the data's old positions are gone: the traversal of the old list
  // stops with an error instead of repeating a record.
  P->Close();
  P->Open();
  EXPECT_FALSE(P->IsBookmarkValid(Marks[3]));
  P->InitializeTraversal({});
  EXPECT_THROW(P->First(), EDataError);
  P->ClearBookmarkList();
  EXPECT_EQ((TIds{1, 2, 3, 4, 5}), Traverse(*P));
}

// Customers and their orders in two SQLite tables, the orders sorted by customer.
class TppMasterDetailTest : public ::testing::Test {
protected:
  void SetUp() override {
    Path = Temp.Path("orders.db");
    TQuery Q(nullptr);
    Q.SetDatabaseName(Path);
    for (const char* Sql :
         {"CREATE TABLE Customer (CustNo INTEGER, Name TEXT)",
          "INSERT INTO Customer VALUES (1,'Ana'),(2,'Bia'),(3,'Caio'),(4,'Davi'),(5,'Eva'),(6,'Fabio')",
          "CREATE TABLE Orders (OrderNo INTEGER, CustNo INTEGER)",
          "INSERT INTO Orders VALUES (60,6),(10,1),(11,1),(40,4),(20,2),(41,4),(42,4)"}) {
      Q.SetSQLText(Sql);
      Q.ExecSQL();
    }
    auto* Customers = new TTable(&Form);
    Customers->SetDatabaseName(Path);
    Customers->SetTableName("Customer");
    auto* Orders = new TQuery(&Form);
    Orders->SetDatabaseName(Path);
    Orders->SetSQLText("SELECT OrderNo AS Id, CustNo FROM Orders ORDER BY CustNo, OrderNo");
    Master = new TppDataSetPipeline(&Form);
    Master->SetName("Customers");
    Master->SetDataSet(Customers);
    Detail = new TppDataSetPipeline(&Form);
    Detail->SetName("Orders");
    Detail->SetDataSet(Orders);
    Master->Open();
    Detail->Open();
    ASSERT_NE(nullptr, Detail->AddLink(Master, "CustNo", "CustNo"));
  }

  // "customer: orders" for each customer the traversal visits.
  std::string Walk() {
    std::vector<TppDataPipeline*> All{Master, Detail};
    Master->InitializeTraversal(All);
    Detail->InitializeTraversal(All);
    std::string Out;
    Master->First();
    for (int Guard = 0; !Master->GetEOF() && Guard < 50; ++Guard) {
      Out += (Out.empty() ? "" : " ") + Master->GetFieldAsString("CustNo") + ":";
      Detail->First();
      for (int G = 0; !Detail->GetEOF() && G < 50; ++G) {
        Out += Detail->GetFieldAsString("Id") + ",";
        Detail->Next();
      }
      Master->Next();
    }
    return Out;
  }

  TTestTempFiles Temp;
  std::string Path;
  TComponent Form{nullptr};
  TppDataSetPipeline* Master = nullptr;
  TppDataSetPipeline* Detail = nullptr;
};

TEST_F(TppMasterDetailTest, MastersWithoutDetailsAreSkipped) {
  EXPECT_TRUE(Detail->IsLinked());
  EXPECT_EQ(Master, Detail->MasterDataPipeline());
  EXPECT_EQ("1:10,11, 2:20, 4:40,41,42, 6:60,", Walk());
  EXPECT_EQ(4, Master->TraversalCount());
  // Each master record with details has its range in the index, found once.
  EXPECT_EQ(4, Detail->LinkRangeIndex()->Count());
  EXPECT_EQ("1:10,11, 2:20, 4:40,41,42, 6:60,", Walk());

  // One detail that wants empty masters shown switches the skipping off.
  Detail->SetSkipWhenNoRecords(false);
  EXPECT_EQ("1:10,11, 2:20, 3: 4:40,41,42, 5: 6:60,", Walk());
  // A master without details reads nothing, though the detail's cursor stands on the next
  // master's first record; a name the data lacks still raises.
  Master->First();
  for (int Guard = 0; Master->GetFieldAsString("CustNo") != "3" && Guard < 9; ++Guard) Master->Next();
  Detail->First();
  ASSERT_TRUE(Detail->NoRecords());
  EXPECT_EQ("", Detail->GetFieldAsString("Id"));
  EXPECT_TRUE(Detail->GetFieldValue("Id").IsEmpty());
  EXPECT_TRUE(Detail->IsFieldNull("Id"));
  EXPECT_EQ(0, Detail->GetFieldAsDouble("Id"));
  EXPECT_THROW(Detail->GetFieldValue("Nope"), EDataError);
  Master->Next();
  Detail->First();
  EXPECT_EQ("40", Detail->GetFieldAsString("Id"));
}

TEST_F(TppMasterDetailTest, ARangeAndBookmarksOfTheMaster) {
  // From customer 2, three records counted: the skipped ones do not count.
  Master->GotoFirstRecord();
  Master->MoveDataBy(1);
  Master->SetCurrentRecordBookmark(Master->GetBookmark());
  Master->SetRangeBegin(rbCurrentRecord);
  Master->SetRangeEnd(reCount);
  Master->SetRangeEndCount(3);
  EXPECT_EQ("2:20, 4:40,41,42, 6:60,", Walk());

  // A list of bookmarks, in its own order.
  std::vector<TppBookmark> Marks;
  for (int Id : {6, 1, 4}) {
    Master->GotoFirstRecord();
    Master->MoveDataBy(Id - 1);
    Marks.push_back(Master->GetBookmark());
  }
  Master->SetBookmarkList(Marks);
  EXPECT_EQ("6:60, 1:10,11, 4:40,41,42,", Walk());
}

// The range index holds record numbers; one that no longer fits the data is not trusted.
TEST_F(TppMasterDetailTest, AWrongRangeIndexEntryIsNotTrusted) {
  EXPECT_EQ("1:10,11, 2:20, 4:40,41,42, 6:60,", Walk());
  const std::vector<TppDataPipeline*> All{Master, Detail};
  Master->InitializeTraversal(All);
  Detail->InitializeTraversal(All);
  TppLinkRangeIndex& Index = *Detail->LinkRangeIndex();
  Index.SetRange(0, 3, 5);     // customer 1 (master record 0) said to own orders 40..42
  Index.SetRange(1, -7, 900);  // and record 1 positions that do not exist
  Master->First();
  Detail->First();
  EXPECT_EQ(10, Detail->GetFieldValue("Id").AsInteger());
  Master->Next();
  Detail->First();
  EXPECT_EQ(20, Detail->GetFieldValue("Id").AsInteger());
  Detail->Next();
  EXPECT_TRUE(Detail->GetEOF());
}

TEST_F(TppMasterDetailTest, FreeingTheMasterUnlinksTheDetail) {
  EXPECT_EQ(1, Detail->GetLinkCount());
  EXPECT_EQ("CustNo", Detail->GetLinkAt(0)->MasterFieldName);
  // No circles: the master cannot become its detail's detail.
  Master->SetMasterDataPipeline(Detail);
  EXPECT_EQ(nullptr, Master->MasterDataPipeline());
  Master->SetMasterDataPipeline(Master);
  EXPECT_EQ(nullptr, Master->MasterDataPipeline());
  EXPECT_TRUE(Detail->IsDetailOf(Master));
  Master->Free();
  EXPECT_EQ(nullptr, Detail->MasterDataPipeline());
  EXPECT_EQ(0, Detail->GetLinkCount());
  EXPECT_FALSE(Detail->IsLinked());
}

// Details beyond what a query keeps in memory: every master still gets exactly its own records,
// walked forward and again from the start.
TEST(TppMasterDetailLargeTest, DetailsBeyondTheQuerysWindow) {
  TTestTempFiles Temp;
  const std::string Path = Temp.Path("big.db");
  TQuery Q(nullptr);
  Q.SetDatabaseName(Path);
  for (const char* Sql :
       {"CREATE TABLE Customer (CustNo INTEGER)",
        "WITH RECURSIVE N(I) AS (SELECT 1 UNION ALL SELECT I + 1 FROM N WHERE I < 400) "
        "INSERT INTO Customer SELECT I FROM N",
        // Customer c has c % 7 orders (none for multiples of 7): about 1200 orders.
        "CREATE TABLE Orders (CustNo INTEGER, K INTEGER)",
        "WITH RECURSIVE N(I) AS (SELECT 1 UNION ALL SELECT I + 1 FROM N WHERE I < 400), "
        "K(J) AS (SELECT 1 UNION ALL SELECT J + 1 FROM K WHERE J < 6) "
        "INSERT INTO Orders SELECT I, J FROM N, K WHERE J <= I % 7"}) {
    Q.SetSQLText(Sql);
    Q.ExecSQL();
  }
  TComponent Form(nullptr);
  auto* Customers = new TQuery(&Form);
  Customers->SetDatabaseName(Path);
  Customers->SetSQLText("SELECT CustNo FROM Customer ORDER BY CustNo");
  auto* Orders = new TQuery(&Form);
  Orders->SetDatabaseName(Path);
  Orders->SetSQLText("SELECT CustNo, K FROM Orders ORDER BY CustNo, K");
  auto* Master = new TppDataSetPipeline(&Form);
  Master->SetDataSet(Customers);
  auto* Detail = new TppDataSetPipeline(&Form);
  Detail->SetDataSet(Orders);
  Master->Open();
  Detail->Open();
  ASSERT_NE(nullptr, Detail->AddLink(Master, "CustNo", "CustNo"));
  Detail->SetSkipWhenNoRecords(false);

  std::string Expected;
  for (int C = 1; C <= 400; ++C) {
    Expected += std::to_string(C) + ":";
    for (int K = 1; K <= C % 7; ++K) Expected += std::to_string(K);
    Expected += " ";
  }
  for (int Pass = 0; Pass < 2; ++Pass) {
    std::vector<TppDataPipeline*> All{Master, Detail};
    Master->InitializeTraversal(All);
    Detail->InitializeTraversal(All);
    std::string Out;
    Master->First();
    for (int Guard = 0; !Master->GetEOF() && Guard < 1000; ++Guard) {
      const std::string C = Master->GetFieldAsString("CustNo");
      Out += C + ":";
      Detail->First();
      for (int G = 0; !Detail->GetEOF() && G < 10; ++G) {
        if (Detail->GetFieldAsString("CustNo") != C) Out += "!";
        Out += Detail->GetFieldAsString("K");
        Detail->Next();
      }
      Out += " ";
      Master->Next();
    }
    EXPECT_EQ(Expected, Out) << "pass " << Pass;
  }
}

TEST(TppDataSetPipelineTest, FieldsAndValues) {
  TComponent Form(nullptr);
  TMemoryDataSet* Data = NumberSet(&Form, 2);
  auto* P = new TppDataSetPipeline(&Form);
  P->SetDataSet(Data);
  EXPECT_EQ("", P->GetFieldAsString("Name"));  // closed: nothing, no error
  P->Open();
  // Empty values become the type's empty value.
  EXPECT_EQ(Variant(0), P->GetFieldValues("Amount"));
  EXPECT_TRUE(P->GetFieldValue("Amount").IsNull());
  TppField* Name = P->GetFieldForName("name");
  ASSERT_NE(nullptr, Name);
  EXPECT_EQ(dtString, Name->DataType());
  EXPECT_EQ(20, Name->FieldLength());
  EXPECT_EQ("N1", Name->GetAsString());
  EXPECT_FALSE(Name->GetIsNull());
  EXPECT_EQ(1, P->IndexOfFieldName("NAME"));
  // An alias of its own leads to the field.
  Name->SetFieldAlias("Nome");
  EXPECT_EQ("Name", P->GetFieldNameForAlias("nome"));
  EXPECT_EQ("Nome", P->GetFieldAlias("Name"));
  P->MoveDataBy(1);
  EXPECT_EQ(Variant(std::string("N2")), P->GetFieldValues("Nome"));
  // A name the data does not have is an error, not a crash; so is a type the pipeline cannot hold.
  EXPECT_THROW(P->GetFieldValue("Missing"), EDataError);
  try {
    Name->SetDataType(dtGUID);
    ADD_FAILURE();
  } catch (const EInvalidPropertyError& E) {
    EXPECT_EQ("DataType not supported by TppDataSetPipeline", E.Message());
  }
  EXPECT_EQ(dtString, Name->DataType());

  // Locate finds a record, or leaves the position alone.
  EXPECT_TRUE(P->Locate("Name", Variant(std::string("n1")), 1u << loCaseInsensitive));
  EXPECT_EQ(1, P->GetFieldValue("Id").AsInteger());
  P->MoveDataBy(1);
  EXPECT_FALSE(P->Locate("Name", Variant(std::string("n1")), 0));
  EXPECT_EQ(2, P->GetFieldValue("Id").AsInteger());
  EXPECT_TRUE(P->Locate("Name", Variant(std::string("N")), 1u << loPartialKey));
}

// Fields are found by name through an index of the children, and values are known to stay while
// the record key does: both must follow every change of the fields and of the position.
TEST(TppDataSetPipelineTest, FieldsByNameAndTheRecordKeyFollowEveryChange) {
  TComponent Form(nullptr);
  TMemoryDataSet* Data = NumberSet(&Form, 2);
  auto* P = new TppDataSetPipeline(&Form);
  P->SetDataSet(Data);
  TppDataPipeline::TRecordKey Key, Now;
  EXPECT_FALSE(P->GetRecordKey(Key));  // closed
  P->Open();
  TppField* Name = P->GetFieldForName("NAME");
  ASSERT_NE(nullptr, Name);
  ASSERT_TRUE(P->GetRecordKey(Key));
  ASSERT_TRUE(P->GetRecordKey(Now));
  EXPECT_EQ(Key, Now);

  Name->SetFieldName("Nome");
  EXPECT_EQ(nullptr, P->GetFieldForName("Name"));
  EXPECT_EQ(Name, P->GetFieldForName("nome"));
  // A second field of a name is found only once the first has gone.
  auto* Second = new TppField(&Form);
  Second->SetFieldName("NOME");
  Second->SetParent(P);
  EXPECT_EQ(Name, P->GetFieldForName("Nome"));
  EXPECT_EQ(4, P->GetFieldCount());
  Name->Free();
  EXPECT_EQ(Second, P->GetFieldForName("Nome"));
  EXPECT_EQ(3, P->GetFieldCount());
  Second->SetDataType(dtInteger);
  EXPECT_EQ(dtInteger, P->GetFieldDataType("Nome"));
  ASSERT_TRUE(P->GetRecordKey(Now));
  EXPECT_NE(Key, Now) << "the fields changed";

  struct TStep {
    const char* What;
    std::function<void()> Change;
  };
  const TStep Steps[] = {
      {"a field's type", [&] { Second->SetDataType(dtString); }},
      {"the next record", [&] { P->Next(); }},
      {"the data set opened again", [&] {
         P->Close();
         P->Open();
         P->MoveDataBy(1);
       }},
  };
  for (const TStep& S : Steps) {
    SCOPED_TRACE(S.What);
    ASSERT_TRUE(P->GetRecordKey(Key));
    S.Change();
    ASSERT_TRUE(P->GetRecordKey(Now));
    EXPECT_NE(Key, Now);
  }
}

TEST(TppDataSetPipelineTest, StreamsItsMasterAndReadsOlderForms) {
  TComponent Form(nullptr);
  Form.SetName("Form1");
  auto* Master = new TppDataSetPipeline(&Form);
  Master->SetName("Customers");
  auto* Detail = new TppDataSetPipeline(&Form);
  Detail->SetName("Orders");
  Detail->SetMasterDataPipeline(Master);
  Detail->SetMoveBy(2);
  TMemoryStream S;
  WriteComponentToStream(S, Detail);
  S.SetPosition(0);
  TMemoryStream Text;
  ObjectBinaryToText(S, Text);
  const std::string Written(reinterpret_cast<const char*>(Text.Memory()), static_cast<size_t>(Text.Size()));
  EXPECT_NE(std::string::npos, Written.find("MasterDataPipelineName = 'Customers'")) << Written;
  EXPECT_NE(std::string::npos, Written.find("MoveBy = 2")) << Written;

  // An older stream: the master as a reference and the handler of OnOpen; both read.
  const std::string Old =
      "object Old: TppDataSetPipeline\n"
      "  MasterDataPipeline = Form1.Customers\n"
      "  OnOpen = Missing\n"
      "end\n";
  TMemoryStream In, Bin;
  In.Write(Old.data(), static_cast<int64_t>(Old.size()));
  In.SetPosition(0);
  ObjectTextToBinary(In, Bin);
  Bin.SetPosition(0);
  auto* Read = new TppDataSetPipeline(&Form);
  ReadComponentFromStream(Bin, Read);
  EXPECT_EQ("Customers", Read->MasterDataPipelineName());
  EXPECT_FALSE(static_cast<bool>(Read->AfterOpen));  // no such handler anywhere: nothing bound
  TppDataPipelineList List(nullptr);
  List.AddPipeline(Master);
  Read->ResolveMasterDataPipeline(List);
  EXPECT_EQ(Master, Read->MasterDataPipeline());
}

}  // namespace
