#pragma once
// The products table both sample programs report on: 240 products in six categories, in a SQLite
// file the program makes for the run and removes again. A path that exists is never used or
// removed: whatever it holds, it is not the sample's.
#include <string>

#include "platform/rtl/SysUtils.h"

// Texts of the sample programs.
inline constexpr char SSampleFileExists[] =
    "O arquivo \"%s\" já existe. O exemplo cria um banco de dados novo e não usa nem apaga um arquivo "
    "existente: indique um caminho que não exista, ou nenhum.";
inline constexpr char SSampleNeedsDesktop[] =
    "O exemplo precisa de uma sessão gráfica; sem uma, rode-o assim: xvfb-run -a %s";

// The exit status of a sample given a database path that exists.
inline constexpr int SampleFileExistsStatus = 2;

DECLARE_EXCEPTION(ESampleFileExists, Exception)

// The database file of one run.
class TSampleDatabase {
public:
  // Creates the file at Path, which must not exist (ESampleFileExists otherwise); an empty Path
  // makes a private file in the temporary folder.
  explicit TSampleDatabase(const std::string& Path);
  ~TSampleDatabase();
  TSampleDatabase(const TSampleDatabase&) = delete;
  TSampleDatabase& operator=(const TSampleDatabase&) = delete;

  const std::string& Path() const { return FPath; }
  // Fills the new file with the products table.
  void CreateProductsTable();

private:
  std::string FPath;
};
