#pragma once
// A stand-in for the PDF writer component that records every call (built as a
// shared library of its own, loaded by the filter by name like the real one).
#include <cstdint>
#include <string>
#include <vector>

struct TLXPDFRecordedCall {
  std::string Entry;
  std::vector<uint8_t> Record;                    // the 136 bytes, for the item calls
  std::string FontName, Text, PictureFile;        // what the record's slots name
  bool PictureExisted = false;                    // the picture file was there during the call
  std::string PictureText;                        // and held this
  std::vector<long double> Floats;                // SetPageParams
  std::string FileName;                           // FinishDoc
  int32_t Integer = -1;                           // AddImageItem's second argument
};

// Exported by the stand-in as "RecordedCalls": its log, cleared by InitLib.
using TLXPDFRecordedCalls = std::vector<TLXPDFRecordedCall>* (*)();
inline constexpr char LXPDFRecorderName[] = "LXPDFRecorder.so";
