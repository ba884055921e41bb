#pragma once
// The reporter's trace of its own work: routines write an entry line when they start and a closing
// line with their result when they end, indented by nesting depth. Held in memory and saved to a
// text file named after the program with ".log". Switched on by "DEBUG" in the program's last
// argument ("SAVE" there too rewrites the file after every line) or by a debugger at start-up.
#include <cstdint>
#include <functional>
#include <initializer_list>
#include <string>
#include <string_view>
#include <vector>

#include "platform/rtl/DateTime.h"

class TObject;

// How a trace value is written; the numbers are the trace's tags.
enum class TTraceTag : uint8_t {
  Integer = 0,      // decimal
  Boolean = 1,      // "True" / "False"
  Char = 2,         // the character
  Float = 3,        // its default text form
  ShortString = 4,  // quoted
  Pointer = 5,      // "$" + hexadecimal digits, or "nil"
  PChar = 6,        // quoted
  Object = 7,       // class name, or "nil"
  Text = 11,        // quoted
  Currency = 12,    // its default text form
};

// One argument of a trace line.
class TTraceValue {
public:
  TTraceValue(int V) : FTag(TTraceTag::Integer), FInt(V) {}
  TTraceValue(long V) : FTag(TTraceTag::Integer), FInt(V) {}
  TTraceValue(long long V) : FTag(TTraceTag::Integer), FInt(V) {}
  TTraceValue(unsigned V) : FTag(TTraceTag::Integer), FInt(V) {}
  TTraceValue(unsigned long V) : FTag(TTraceTag::Integer), FInt(static_cast<int64_t>(V)) {}
  TTraceValue(unsigned long long V) : FTag(TTraceTag::Integer), FInt(static_cast<int64_t>(V)) {}
  TTraceValue(bool V) : FTag(TTraceTag::Boolean), FInt(V) {}
  TTraceValue(char V) : FTag(TTraceTag::Char), FText(1, V) {}
  TTraceValue(double V) : FTag(TTraceTag::Float), FFloat(V) {}
  TTraceValue(const char* V) : FTag(TTraceTag::PChar), FNil(V == nullptr), FText(V ? V : "") {}
  TTraceValue(std::string_view V) : FTag(TTraceTag::Text), FText(V) {}
  TTraceValue(const std::string& V) : FTag(TTraceTag::Text), FText(V) {}
  TTraceValue(const void* V) : FTag(TTraceTag::Pointer), FInt(static_cast<int64_t>(reinterpret_cast<uintptr_t>(V))) {}
  TTraceValue(const TObject* V);
  TTraceValue(const std::exception* V);
  static TTraceValue ShortString(std::string_view V);
  // Ten-thousandths, as the runtime keeps money.
  static TTraceValue Currency(int64_t TenThousandths);
  // A value with a tag this trace does not know is written "Unknown".
  TTraceValue(TTraceTag Tag, int64_t V) : FTag(Tag), FInt(V) {}

  std::string Text() const;

private:
  TTraceTag FTag;
  bool FNil = false;
  int64_t FInt = 0;
  double FFloat = 0;
  std::string FText;
};

// Records one line while the trace is active: the local time "dd/mm/yy hh:nn:ss", two spaces, the
// indent, Name, and the values joined by ", " inside "(" ")". A negative IndentChange takes
// characters off the indent before the line, a positive one adds spaces after it.
void TraceEntry(std::string_view Name, std::initializer_list<TTraceValue> Values = {}, int IndentChange = 0);
// Writes the file when the trace is active and "DEBUG" asked for saving at the checkpoints.
void SaveTraceFile();
// Writes the file when the trace is active (internal errors).
void ForceSaveTraceFile();
// Writes the trace to another file when the trace is active; true when the file was written.
bool SaveTraceCopy(const std::string& FileName);
bool IsTraceActive();
void ActivateTrace();
// Inside a development host the reporter stays passive. No such host exists here: always false.
bool IsDesignHostMode();

// The trace unit's start-up: the switches from the program's arguments (after its name), an empty
// trace, the file beside the program (or in the state folder when that folder cannot be written).
void InitializeTrace(const std::vector<std::string>& Params);
void FinalizeTrace();

std::string TraceFileName();
void SetTraceFileName(const std::string& FileName);
// The lines recorded so far.
std::vector<std::string> TraceLines();
// The clock of the line stamps; an empty function restores the local time.
void SetTraceClock(std::function<TDateTime()> Clock);
