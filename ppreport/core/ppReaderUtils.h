#pragma once
// Reading ahead in a component stream: old templates name things in properties that newer ones
// store elsewhere, so a reader peeks before the normal read.
#include <cstdint>
#include <string>
#include <string_view>

class TReader;

class TFiler;

struct TppHReaderUtils {
  // Reads property names of the current object, skipping each value, up to one named exactly Name
  // (true: the reader stands before its value) or the end of the property list (false).
  static bool FindProperty(TReader& Reader, std::string_view Name);
  // The identifier stored as property Name, without any dotted prefix ("Form1.Pipeline1" gives
  // "Pipeline1"); empty when there is no such property or its value is not an identifier. The
  // reader is put back where it was in every case.
  static std::string PeekIdentProperty(TReader& Reader, std::string_view Name);
  // The next value as an integer; a stored floating value is taken to the nearest integer (halves
  // to even, as every length conversion) and kept within range.
  static int32_t ReadIntegerOrFloat(TReader& Reader);
  // Defines a length in microns as the extra property Name: written as an integer always, or
  // against an ancestor (Ancestor, null without one) only when different; read with
  // ReadIntegerOrFloat (old streams stored some lengths as floats).
  static void DefineMicrons(TFiler& Filer, const char* Name, int32_t& Field, const int32_t* Ancestor);
};
