#pragma once
// The products table both sample programs report on: 240 products in six categories, made afresh
// in a SQLite file.
#include <string>

void CreateProductsTable(const std::string& Database);
