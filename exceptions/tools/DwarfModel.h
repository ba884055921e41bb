#pragma once
// The debug data of a linked program or library, made from its DWARF line tables and function
// entries (libdw): per source file a unit for every run of contiguous code, each line with the
// procedure that holds it. Code inlined into a function counts as that function's, at the line
// of the call, so that every address names the function whose frame it runs in.
#include <cstddef>
#include <string>

#include "exceptions/tools/DebugDataWriter.h"

struct TDwarfModel {
  TDebugModel Model;
  size_t CompileUnits = 0, Functions = 0, LineRows = 0;
  bool HasDebugInfo = false;  // false: the file has no DWARF (built without -g); the model is empty
};

// Reads FileName. Units inside SourceRoot are named by their path relative to it, others by their
// file name; the name index holds the functions declared inside SourceRoot (all of them when it is
// empty). Raises std::runtime_error when the file cannot be read as ELF.
TDwarfModel ReadDwarfModel(const std::string& FileName, const std::string& SourceRoot);
