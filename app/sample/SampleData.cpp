#include "app/sample/SampleData.h"

#include <cstdio>

#include "platform/data/DBTables.h"

namespace {
const char* const Categories[] = {"Bebidas", "Cereais", "Laticínios", "Limpeza", "Padaria", "Papelaria"};
}

void CreateProductsTable(const std::string& Database) {
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
