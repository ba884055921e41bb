#include "platform/data/DB.h"

#include <gtest/gtest.h>

#include <charconv>

#include "platform/data/DBConsts.h"
#include "platform/data/DBFormat.h"
#include "platform/data/MemDataSet.h"
#include "platform/rtl/FormatSettings.h"

namespace {

// Three records: (1, "one"), (2, "two"), (3, "three").
void FillNumbers(TMemoryDataSet& D) {
  D.FieldDefs().Add("Id", ftInteger);
  D.FieldDefs().Add("Name", ftString, 20);
  D.AppendRecord({1, "one"});
  D.AppendRecord({2, "two"});
  D.AppendRecord({3, "three"});
}

std::string Walk(TDataSet& D) {
  std::string S;
  for (D.First(); !D.Eof(); D.Next()) S += D.FieldByName("name")->AsString() + ";";
  return S;
}

}  // namespace

TEST(DataSetTest, NextOnLastRecordSetsEofAndStays) {
  TMemoryDataSet D(nullptr);
  FillNumbers(D);
  D.Open();
  EXPECT_TRUE(D.Bof());
  EXPECT_FALSE(D.Eof());
  EXPECT_EQ(Walk(D), "one;two;three;");
  // EOF leaves the cursor on the last record, and further Next changes nothing.
  EXPECT_TRUE(D.Eof());
  EXPECT_FALSE(D.Bof());
  EXPECT_EQ(D.RecNo(), 3);
  D.Next();
  EXPECT_EQ(D.FieldByName("Id")->AsInteger(), 3);
  // The group-footer step: back one record and forward again.
  D.Prior();
  EXPECT_FALSE(D.Eof());
  EXPECT_EQ(D.RecNo(), 2);
  D.Next();
  EXPECT_EQ(D.RecNo(), 3);
  D.Prior();
  D.Prior();
  EXPECT_FALSE(D.Bof());
  D.Prior();  // before the first record: BOF, still on it
  EXPECT_TRUE(D.Bof());
  EXPECT_EQ(D.RecNo(), 1);
  D.Last();
  EXPECT_TRUE(D.Eof());
  EXPECT_EQ(D.FieldByName("Name")->AsString(), "three");
  EXPECT_EQ(D.RecordCount(), 3);
  EXPECT_FALSE(D.IsEmpty());
}

TEST(DataSetTest, SingleAndEmptyDataSets) {
  TMemoryDataSet One(nullptr);
  One.FieldDefs().Add("A", ftInteger);
  One.AppendRecord({7});
  One.Open();
  EXPECT_TRUE(One.Bof());
  EXPECT_FALSE(One.Eof());
  One.Next();
  EXPECT_TRUE(One.Eof());
  EXPECT_FALSE(One.Bof());
  EXPECT_EQ(One.Fields()[0]->AsInteger(), 7);

  TMemoryDataSet Empty(nullptr);
  Empty.FieldDefs().Add("A", ftString);
  Empty.Open();
  EXPECT_TRUE(Empty.Bof());
  EXPECT_TRUE(Empty.Eof());
  EXPECT_TRUE(Empty.IsEmpty());
  EXPECT_EQ(Empty.RecordCount(), 0);
  EXPECT_EQ(Empty.RecNo(), 0);
  Empty.Next();
  Empty.Prior();
  Empty.Last();
  EXPECT_TRUE(Empty.Eof());
  EXPECT_TRUE(Empty.Fields()[0]->IsNull());
  EXPECT_EQ(Empty.Fields()[0]->AsString(), "");
  // A record fed to an open, empty data set becomes the current one.
  Empty.AppendRecord({"x"});
  EXPECT_FALSE(Empty.Eof());
  EXPECT_EQ(Empty.Fields()[0]->AsString(), "x");
}

TEST(DataSetTest, ClosedDataSetRefusesNavigationAndHasNoFields) {
  TMemoryDataSet D(nullptr);
  FillNumbers(D);
  EXPECT_THROW(D.First(), EDatabaseError);
  EXPECT_THROW(D.Next(), EDatabaseError);
  EXPECT_THROW(D.RecordCount(), EDatabaseError);
  EXPECT_EQ(D.FindField("Id"), nullptr);
  EXPECT_TRUE(D.IsEmpty());
  D.SetActive(true);
  EXPECT_EQ(D.FieldCount(), 2);
  D.Close();
  EXPECT_EQ(D.FieldCount(), 0);
  // Records fed from code survive Close.
  D.Open();
  EXPECT_EQ(Walk(D), "one;two;three;");
  D.Close();
  D.EmptyDataSet();
  D.Open();
  EXPECT_TRUE(D.IsEmpty());
}

TEST(DataSetTest, AppendRecordNeedsOneValuePerField) {
  TMemoryDataSet D(nullptr);
  D.FieldDefs().Add("A", ftInteger);
  EXPECT_THROW(D.AppendRecord({1, 2}), EDatabaseError);
  // Records kept from before a change of the definitions no longer fit.
  D.AppendRecord({1});
  D.FieldDefs().Add("B", ftInteger);
  EXPECT_THROW(D.Open(), EDatabaseError);
  EXPECT_FALSE(D.Active());
  D.EmptyDataSet();
  D.AppendRecord({1, 2});
  D.Open();
  EXPECT_EQ(D.FieldByName("B")->AsInteger(), 2);
  TMemoryDataSet NoFields(nullptr);
  EXPECT_THROW(NoFields.Open(), EDatabaseError);
  EXPECT_FALSE(NoFields.Active());
}

TEST(DataSetTest, FieldLookupIgnoresCase) {
  TMemoryDataSet D(nullptr);
  D.FieldDefs().Add("Id", ftInteger);
  D.FieldDefs().Add("Name", ftString, 20);
  D.FieldDefs().Add("Descrição", ftMemo);
  D.Open();
  TField* F = D.FindField("NAME");
  ASSERT_NE(F, nullptr);
  EXPECT_EQ(F->FieldName(), "Name");
  EXPECT_EQ(F->FieldNo(), 2);
  EXPECT_EQ(D.FieldCount(), 3);
  EXPECT_EQ(F->Size(), 20);
  EXPECT_EQ(F->DataType(), ftString);
  EXPECT_EQ(F->DataSet(), &D);
  EXPECT_EQ(D.FindField("missing"), nullptr);
  EXPECT_EQ(D.FindField("DESCRIÇÃO"), D.Fields()[2]);  // accented letters ignore case too
  try {
    D.FieldByName("Missing");
    FAIL();
  } catch (const EDatabaseError& E) {
    EXPECT_EQ(E.Message(), Format(SFieldNotFound, {"Missing"}));
  }
  EXPECT_EQ(F->DisplayLabel(), "Name");
  F->SetDisplayLabel("Nome");
  EXPECT_EQ(F->DisplayLabel(), "Nome");
  EXPECT_THROW(D.Fields()[3], EListError);
}

TEST(DataSetTest, BookmarksReturnToTheirRecordUntilClose) {
  TMemoryDataSet D(nullptr);
  FillNumbers(D);
  D.Open();
  D.Next();
  TBookmark B = D.GetBookmark();
  D.Last();
  TBookmark L = D.GetBookmark();
  EXPECT_EQ(D.CompareBookmarks(B, L), -1);
  EXPECT_EQ(D.CompareBookmarks(L, B), 1);
  EXPECT_EQ(D.CompareBookmarks(B, B), 0);
  EXPECT_EQ(D.CompareBookmarks(TBookmark(), B), -1);
  D.GotoBookmark(B);
  EXPECT_FALSE(D.Eof());
  EXPECT_EQ(D.FieldByName("Id")->AsInteger(), 2);
  D.FreeBookmark(L);
  EXPECT_FALSE(L.Assigned());
  D.GotoBookmark(L);  // an unassigned bookmark goes nowhere
  EXPECT_EQ(D.RecNo(), 2);
  // A bookmark of an earlier opening or of another data set is refused.
  D.Close();
  D.Open();
  EXPECT_FALSE(D.BookmarkValid(B));
  EXPECT_THROW(D.GotoBookmark(B), EDatabaseError);
  TMemoryDataSet Other(nullptr);
  FillNumbers(Other);
  Other.Open();
  EXPECT_THROW(Other.GotoBookmark(D.GetBookmark()), EDatabaseError);
}

TEST(DataSetTest, DisableControlsCounts) {
  TMemoryDataSet D(nullptr);
  D.DisableControls();
  D.DisableControls();
  D.EnableControls();
  EXPECT_TRUE(D.ControlsDisabled());
  D.EnableControls();
  D.EnableControls();
  EXPECT_FALSE(D.ControlsDisabled());
  D.DisableControls();
  EXPECT_TRUE(D.ControlsDisabled());
}

TEST(DataSetTest, ActiveWhileLoadingWaitsForLoaded) {
  TMemoryDataSet D(nullptr);
  FillNumbers(D);
  D.SetState(csLoading, true);
  D.SetActive(true);
  EXPECT_FALSE(D.Active());
  D.Loaded();
  EXPECT_TRUE(D.Active());
}

TEST(DataSetTest, FieldsAreOwnedComponentsOfTheirClass) {
  struct Case {
    TFieldType T;
    const char* Class;
    const TClassInfo& Base;
  } Cases[] = {
      {ftString, "TStringField", TField::StaticClassInfo()},
      {ftSmallint, "TSmallintField", TIntegerField::StaticClassInfo()},
      {ftInteger, "TIntegerField", TIntegerField::StaticClassInfo()},
      {ftWord, "TWordField", TIntegerField::StaticClassInfo()},
      {ftBoolean, "TBooleanField", TField::StaticClassInfo()},
      {ftFloat, "TFloatField", TFloatField::StaticClassInfo()},
      {ftCurrency, "TCurrencyField", TFloatField::StaticClassInfo()},
      {ftBCD, "TBCDField", TField::StaticClassInfo()},
      {ftDate, "TDateField", TDateTimeField::StaticClassInfo()},
      {ftTime, "TTimeField", TDateTimeField::StaticClassInfo()},
      {ftDateTime, "TDateTimeField", TDateTimeField::StaticClassInfo()},
      {ftBlob, "TBlobField", TBlobField::StaticClassInfo()},
      {ftMemo, "TMemoField", TBlobField::StaticClassInfo()},
      {ftGraphic, "TGraphicField", TBlobField::StaticClassInfo()},
  };
  TMemoryDataSet D(nullptr);
  for (auto& C : Cases) D.FieldDefs().Add(FieldTypeName(C.T), C.T);
  D.Open();
  for (int I = 0; I < D.FieldCount(); ++I) {
    TField* F = D.Fields()[I];
    EXPECT_EQ(F->ClassName(), Cases[I].Class);
    EXPECT_TRUE(F->InheritsFrom(Cases[I].Base)) << Cases[I].Class;
    EXPECT_EQ(F->Owner(), &D);
    EXPECT_EQ(F->IsBlob(), F->InheritsFrom(TBlobField::StaticClassInfo()));
  }
}

// ---- conversions

namespace {

enum Reading { AsStr, AsInt, AsFlt, AsBool, AsDate, Display };

std::string Num(double V) {
  char B[64];
  auto R = std::to_chars(B, B + sizeof B, V);
  return std::string(B, R.ptr);
}

// The reading as text, or "!" and the exception's class.
std::string Read(TField* F, Reading R) {
  try {
    switch (R) {
      case AsStr: return F->AsString();
      case AsInt: return std::to_string(F->AsInteger());
      case AsFlt: return Num(F->AsFloat());
      case AsBool: return F->AsBoolean() ? "true" : "false";
      case AsDate: return Num(F->AsDateTime());
      case Display: return F->DisplayText();
    }
  } catch (const Exception& E) {
    return std::string("!") + E.ClassName();
  }
  return "?";
}

}  // namespace

TEST(FieldTest, ConversionTable) {
  const std::string Mar5 = Num(EncodeDate(2024, 3, 5));
  const std::string Mar5At = Num(EncodeDate(2024, 3, 5) + EncodeTime(14, 30, 15, 0));
  struct Case {
    TFieldType T;
    TDbValue V;
    Reading R;
    std::string Want;
  } Cases[] = {
      {ftString, "abc", AsStr, "abc"},
      {ftString, "abc", AsInt, "!EConvertError"},
      {ftString, " 42", AsInt, "42"},
      {ftString, "1.5", AsFlt, "1.5"},
      {ftString, "1,5", AsFlt, "1.5"},
      {ftString, "Yes", AsBool, "true"},
      {ftString, "no", AsBool, "false"},
      {ftString, "2024-03-05", AsDate, Mar5},
      {ftString, TDbValue::Null(), AsStr, ""},
      {ftString, TDbValue::Null(), AsInt, "!EConvertError"},
      {ftInteger, 42, AsStr, "42"},
      {ftInteger, 42, AsFlt, "42"},
      {ftInteger, 42, AsBool, "!EDatabaseError"},
      {ftInteger, 2.5, AsInt, "2"},  // a real in an integer column: halves to even
      {ftInteger, "17", AsInt, "17"},
      {ftInteger, TDbValue::Null(), AsInt, "0"},
      {ftInteger, TDbValue::Null(), Display, ""},
      {ftSmallint, -7, Display, "-7"},
      {ftWord, 65535, AsStr, "65535"},
      {ftInteger, int64_t(1) << 40, AsInt, "1099511627776"},
      {ftFloat, 1.5, AsStr, "1,5"},
      {ftFloat, 2.5, AsInt, "2"},
      {ftFloat, 3.5, AsInt, "4"},
      {ftFloat, 1e20, AsStr, "1E20"},
      {ftFloat, 1.5e-5, Display, "1,5E-5"},
      {ftFloat, 0.1 + 0.2, Display, "0,3"},
      {ftFloat, "3.25", AsFlt, "3.25"},
      {ftFloat, "x", AsFlt, "!EConvertError"},
      {ftFloat, 7, AsFlt, "7"},
      {ftFloat, TDbValue::Null(), AsStr, ""},
      {ftFloat, 1.5, AsDate, "!EDatabaseError"},
      {ftCurrency, 1234.5, Display, "R$ 1.234,50"},
      {ftCurrency, 1234567.125, Display, "R$ 1.234.567,13"},
      {ftCurrency, -0.5, Display, "-R$ 0,50"},
      {ftCurrency, 1234.5, AsStr, "1234,5"},
      {ftBCD, 1.23456, AsFlt, "1.2346"},
      {ftBCD, 1.23456, AsStr, "1,2346"},
      {ftBCD, "10.5", AsInt, "10"},
      {ftBoolean, 1, AsStr, "True"},
      {ftBoolean, 0, Display, "False"},
      {ftBoolean, "false", AsBool, "false"},
      {ftBoolean, "T", AsBool, "true"},
      {ftBoolean, "maybe", AsBool, "!EConvertError"},
      {ftBoolean, 1, AsInt, "!EDatabaseError"},
      {ftBoolean, TDbValue::Null(), AsStr, ""},
      {ftDate, "2024-03-05", AsStr, "05/03/2024"},
      {ftDate, "2024-03-05", AsDate, Mar5},
      {ftDate, EncodeDate(2024, 3, 5), Display, "05/03/2024"},
      {ftDate, "2024-02-30", AsDate, "!EConvertError"},
      {ftDateTime, "2024-03-05 14:30:15", Display, "05/03/2024 14:30:15"},
      {ftDateTime, "2024-03-05T14:30:15Z", AsDate, Mar5At},
      {ftDateTime, "2024-03-05 00:00:00", Display, "05/03/2024"},
      {ftDateTime, "yesterday", AsStr, "!EConvertError"},
      {ftDateTime, "2024-03-05", AsInt, "!EDatabaseError"},
      {ftDateTime, TDbValue::Null(), Display, ""},
      {ftTime, "14:30", Display, "14:30:00"},
      {ftTime, "14:30:15.250", AsDate, Num(EncodeTime(14, 30, 15, 250))},
      {ftBlob, TDbValue::Blob(std::string("\0\1\xff", 3)), AsStr, std::string("\0\1\xff", 3)},
      {ftBlob, TDbValue::Blob("x"), Display, "(BLOB)"},
      {ftBlob, TDbValue::Null(), Display, "(Blob)"},
      {ftBlob, TDbValue::Blob("x"), AsInt, "!EDatabaseError"},
      {ftMemo, "hello", AsStr, "hello"},
      {ftMemo, "hello", Display, "(MEMO)"},
      {ftGraphic, TDbValue::Blob("x"), Display, "(GRAPHIC)"},
  };
  for (auto& C : Cases) {
    TMemoryDataSet D(nullptr);
    D.FieldDefs().Add("F", C.T);
    D.AppendRecord({C.V});
    D.Open();
    EXPECT_EQ(Read(D.Fields()[0], C.R), C.Want)
        << FieldTypeName(C.T) << " value '" << C.V.S << "' " << C.V.I << " " << C.V.F << " reading " << C.R;
  }
}

TEST(FieldTest, AsVariantTakesTheTypeOfTheField) {
  struct Case {
    TFieldType T;
    TDbValue V;
    TVarType Want;
  } Cases[] = {
      {ftSmallint, 5, varSmallint},       {ftInteger, 5, varInteger},      {ftInteger, int64_t(1) << 40, varInt64},
      {ftWord, 5, varWord},               {ftBoolean, 1, varBoolean},      {ftFloat, 1.5, varDouble},
      {ftCurrency, 1.5, varDouble},       {ftBCD, 1.5, varCurrency},       {ftDate, "2024-03-05", varDate},
      {ftString, "x", varString},         {ftMemo, "m", varString},        {ftInteger, TDbValue::Null(), varNull},
  };
  for (auto& C : Cases) {
    TMemoryDataSet D(nullptr);
    D.FieldDefs().Add("F", C.T);
    D.AppendRecord({C.V});
    D.Open();
    Variant V = D.Fields()[0]->AsVariant();
    EXPECT_EQ(V.VarType(), C.Want) << FieldTypeName(C.T);
    if (C.Want == varDate) {
      EXPECT_EQ(V.AsDateTime(), EncodeDate(2024, 3, 5));
    }
    if (C.Want == varCurrency) {
      EXPECT_EQ(V.AsFloat(), 1.5);
    }
  }
}

TEST(FieldTest, CurrencyTextFollowsTheSettings) {
  struct Case {
    int PosFormat, NegFormat;
    double V;
    const char* Want;
  } Cases[] = {
      {3, 9, 1234.5, "1.234,50 R$"}, {0, 0, -1234.5, "(R$1.234,50)"}, {0, 8, -2, "-2,00 R$"},
      {0, 14, -2, "(R$ 2,00)"},      {2, 9, -0.001, "R$ 0,00"},  // rounds to zero: no sign
  };
  for (auto& C : Cases) {
    TFormatSettings FS = BrazilianFormatSettings();
    FS.CurrencyFormat = C.PosFormat;
    FS.NegCurrFormat = C.NegFormat;
    TFormatSettingsScope Scope(FS);
    EXPECT_EQ(DBCurrToStr(C.V), C.Want);
  }
}

TEST(FieldTest, AccessErrorNamesFieldAndType) {
  TMemoryDataSet D(nullptr);
  D.FieldDefs().Add("Flag", ftBoolean);
  D.AppendRecord({true});
  D.Open();
  try {
    D.FieldByName("Flag")->AsDateTime();
    FAIL();
  } catch (const EDatabaseError& E) {
    EXPECT_EQ(E.Message(), Format(SFieldAccessError, {"Flag", "DateTime"}));
  }
}

TEST(FieldTest, BlobGivesItsBytesAsStream) {
  std::string Bytes("\x89PNG\r\n\x1a\n\0\0", 10);
  TMemoryDataSet D(nullptr);
  D.FieldDefs().Add("Pic", ftGraphic);
  D.FieldDefs().Add("N", ftInteger);
  D.AppendRecord({TDbValue::Blob(Bytes), 1});
  D.AppendRecord({TDbValue::Null(), 2});
  D.Open();
  auto* F = static_cast<TBlobField*>(D.FieldByName("Pic"));
  EXPECT_EQ(F->BlobSize(), 10);
  auto S = D.CreateBlobStream(F);
  EXPECT_EQ(S->Position(), 0);
  ASSERT_EQ(S->Size(), 10);
  std::string Got(10, '\0');
  S->ReadBuffer(Got.data(), 10);
  EXPECT_EQ(Got, Bytes);
  TMemoryStream M;
  M.WriteByte(0xAA);
  F->SaveToStream(M);
  EXPECT_EQ(M.Size(), 11);
  D.Next();
  EXPECT_TRUE(F->IsNull());
  EXPECT_EQ(D.CreateBlobStream(F)->Size(), 0);
  EXPECT_THROW(D.CreateBlobStream(D.FieldByName("N")), EDatabaseError);
}

TEST(ParamTest, TypedSettersSetTheTypeAndLookupIgnoresCase) {
  TParams P;
  P.CreateParam(ftUnknown, "Customer");
  P.CreateParam(ftUnknown, "Since");
  P.ParamByName("customer")->SetAsInteger(12);
  EXPECT_EQ(P[0]->DataType(), ftInteger);
  EXPECT_EQ(P[0]->AsString(), "12");
  P.ParamByName("SINCE")->SetAsDate(EncodeDate(2024, 1, 31));
  EXPECT_EQ(P[1]->DataType(), ftDate);
  EXPECT_EQ(P[1]->AsDateTime(), EncodeDate(2024, 1, 31));
  P[1]->SetAsBoolean(true);
  EXPECT_EQ(P[1]->AsString(), "True");
  P[1]->Clear();
  EXPECT_TRUE(P[1]->IsNull());
  EXPECT_EQ(P.FindParam("x"), nullptr);
  try {
    P.ParamByName("x");
    FAIL();
  } catch (const EDatabaseError& E) {
    EXPECT_EQ(E.Message(), Format(SParamNotFound, {"x"}));
  }
}
