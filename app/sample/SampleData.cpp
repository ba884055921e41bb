#include "app/sample/SampleData.h"

#include <fcntl.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>

#include "platform/classes/ClassesConsts.h"
#include "platform/classes/TempFiles.h"
#include "platform/data/DBTables.h"

namespace {
const char* const Categories[] = {"Bebidas", "Cereais", "Laticínios", "Limpeza", "Padaria", "Papelaria"};
}

TSampleDatabase::TSampleDatabase(const std::string& Path) {
  if (Path.empty()) {
    FPath = GetTempFileName(GetTempPath(), "mivoreport-sample-");
    return;
  }
  // Made here or refused: an existing file is never opened, so it cannot be lost.
  const int Fd = ::open(Path.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0644);
  if (Fd < 0) {
    if (errno == EEXIST) throw ESampleFileExists(Format(SSampleFileExists, {Path}));
    throw EFCreateError(Format(SFCreateError, {Path, SysErrorMessage(errno)}));
  }
  ::close(Fd);
  FPath = Path;
}

TSampleDatabase::~TSampleDatabase() { std::remove(FPath.c_str()); }

void TSampleDatabase::CreateProductsTable() {
  TQuery Q(nullptr);
  Q.SetDatabaseName(FPath);
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
