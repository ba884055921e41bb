// Makes the viewer's sample report: a SQLite table of products it creates, printed grouped by
// category (a header per group, one line per product, a group total, a page footer with the page
// number) into a report printer's stored pages, saved as a report file.
//   mivoreport_sample <output.lxp> [<database>]
#include <cstdio>
#include <map>
#include <string>
#include <vector>

#include "lxreport/LXPrntr.h"
#include "lxreport/LXReport.h"
#include "platform/app/Application.h"
#include "platform/data/DBTables.h"
#include "platform/printing/PrinterList.h"
#include "platform/rtl/FloatFormat.h"

namespace {
const char* const Categories[] = {"Bebidas", "Cereais", "Laticínios", "Limpeza", "Padaria", "Papelaria"};

void CreateTable(const std::string& Database) {
  std::remove(Database.c_str());
  TQuery Q(nullptr);
  Q.SetDatabaseName(Database);
  Q.SetSQLText("CREATE TABLE PRODUCTS (ID INTEGER PRIMARY KEY, CATEGORY VARCHAR(20), NAME VARCHAR(40), "
               "QTY INTEGER, PRICE FLOAT)");
  Q.ExecSQL();
  std::string Insert = "INSERT INTO PRODUCTS (CATEGORY, NAME, QTY, PRICE) VALUES ";
  for (int I = 0; I < 240; ++I) {
    if (I) Insert += ",";
    Insert += "('" + std::string(Categories[I % 6]) + "','Produto " + std::to_string(1000 + I) + "'," +
              std::to_string(1 + (I * 7) % 23) + "," + std::to_string(1.5 + (I * 13) % 97 / 4.0) + ")";
  }
  Q.SetSQLText(Insert);
  Q.ExecSQL();
}

class TSampleReport {
public:
  explicit TSampleReport(TLXPrinter& P) : FP(P) {}

  void Run(const std::string& Database) {
    TQuery Q(nullptr);
    Q.SetDatabaseName(Database);
    Q.SetSQLText("SELECT CATEGORY, NAME, QTY, PRICE FROM PRODUCTS ORDER BY CATEGORY, NAME");
    Q.Open();
    FP.BeginDoc();
    NewPage();
    Text(100, FY, "Produtos por categoria", 16, true);
    FY += 120;
    std::string Group;
    double GroupTotal = 0, Total = 0;
    while (!Q.Eof()) {
      std::string Category = Q.FieldByName("CATEGORY")->AsString();
      if (Category != Group) {
        if (!Group.empty()) GroupFooter(Group, GroupTotal);
        Group = Category, GroupTotal = 0;
        Room(130);
        Text(100, FY, Group, 12, true);
        FY += 70;
      }
      Room(50);
      double Amount = Q.FieldByName("QTY")->AsInteger() * Q.FieldByName("PRICE")->AsFloat();
      Text(150, FY, Q.FieldByName("NAME")->AsString(), 10, false);
      Text(900, FY, std::to_string(Q.FieldByName("QTY")->AsInteger()), 10, false);
      Text(1200, FY, FormatFloat("0.00", Q.FieldByName("PRICE")->AsFloat()), 10, false);
      Text(1600, FY, FormatFloat("0.00", Amount), 10, false);
      FY += 50;
      GroupTotal += Amount, Total += Amount;
      Q.Next();
    }
    if (!Group.empty()) GroupFooter(Group, GroupTotal);
    Room(80);
    Text(100, FY + 20, "Total geral: " + FormatFloat("0.00", Total), 12, true);
    Footer();
    FP.EndDoc();
  }

private:
  static constexpr int PageBottom = 2650;  // tenths of a millimetre, above the footer

  void NewPage() {
    if (FPage) Footer();
    FP.NewPage();
    ++FPage;
    FY = 150;
  }
  void Room(int H) {
    if (FY + H > PageBottom) NewPage();
  }
  void GroupFooter(const std::string& Group, double Amount) {
    Room(80);
    FP.Canvas()->Pen().SetColor(clBlack);
    FP.Canvas()->MoveTo(FP.XPos(150), FP.YPos(FY));
    FP.Canvas()->LineTo(FP.XPos(1900), FP.YPos(FY));
    Text(150, FY + 10, "Total de " + Group + ": " + FormatFloat("0.00", Amount), 10, true);
    FY += 90;
  }
  void Footer() { Text(1700, 2750, "Página " + std::to_string(FPage), 9, false); }
  void Text(int X, int Y, const std::string& S, int Points, bool Bold) {
    TCanvas* C = FP.Canvas();
    C->Font().SetName("Liberation Sans");
    C->Font().SetSize(Points);
    C->Font().SetStyle(Bold ? fsBold : 0);
    C->Brush().SetStyle(bsClear);
    C->TextOut(FP.XPos(X), FP.YPos(Y), S);
  }

  TLXPrinter& FP;
  int FPage = 0, FY = 0;
};
}  // namespace

int main(int argc, char** argv) {
  if (argc < 2) {
    std::fprintf(stderr, "usage: %s <output.lxp> [<database>]\n", argv[0]);
    return 2;
  }
  std::string Output = argv[1], Database = argc > 2 ? argv[2] : Output + ".db";
  InitializeApplication(argc, argv, TDisplayMode::Offscreen);
  InitializeLXReport();
  SetSystemPrintersEnabled(false);  // stored pages on A4 whatever printers the machine has
  int Status = 0;
  try {
    CreateTable(Database);
    TLXPrinter P;
    P.SetTitle("Produtos por categoria");
    TSampleReport(P).Run(Database);
    P.Save(Output);
    std::remove(Database.c_str());
    std::printf("%s: %d pages\n", Output.c_str(), P.PageCount());
  } catch (const std::exception& E) {
    std::fprintf(stderr, "%s\n", E.what());
    Status = 1;
  }
  FinalizeLXReport();
  FinalizeApplication();
  return Status;
}
