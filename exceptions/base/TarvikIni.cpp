#include "exceptions/base/TarvikIni.h"

#include <cstdio>
#include <vector>

#include "platform/classes/Streams.h"
#include "platform/rtl/SysUtils.h"
#include "platform/rtl/Win1252.h"
#include "platform/sys/Process.h"

namespace {
constexpr size_t MaxValueLength = 2048;

std::vector<std::string> ReadLines(const std::string& FileName) {
  TMemoryStream S;
  S.LoadFromFile(FileName);
  std::string Text = Win1252ToUtf8(std::string_view(reinterpret_cast<const char*>(S.Memory()),
                                                    static_cast<size_t>(S.Size())));
  std::vector<std::string> Lines;
  size_t I = 0;
  while (I < Text.size()) {
    size_t End = Text.find_first_of("\r\n", I);
    if (End == std::string::npos) End = Text.size();
    Lines.push_back(Text.substr(I, End - I));
    I = End;
    if (I < Text.size() && Text[I] == '\r') ++I;
    if (I < Text.size() && Text[I] == '\n') ++I;
  }
  return Lines;
}

// The section's name when Line is a section header.
bool SectionName(const std::string& Line, std::string& Name) {
  std::string T = Trim(Line);
  if (T.size() < 2 || T.front() != '[') return false;
  size_t Close = T.find(']');
  if (Close == std::string::npos) return false;
  Name = Trim(std::string_view(T).substr(1, Close - 1));
  return true;
}

bool KeyMatches(const std::string& Line, const std::string& Key, std::string* Value) {
  size_t Eq = Line.find('=');
  if (Eq == std::string::npos) return false;
  std::string_view L(Line);
  if (!SameTextAscii(Trim(L.substr(0, Eq)), Trim(Key))) return false;
  if (Value) *Value = Trim(L.substr(Eq + 1));
  return true;
}

std::string Unquoted(std::string V) {
  if (V.size() >= 2 && (V.front() == '"' || V.front() == '\'') && V.back() == V.front()) V = V.substr(1, V.size() - 2);
  return V;
}

// At most N characters (code points) of a UTF-8 text.
std::string Characters(const std::string& S, size_t N) {
  size_t I = 0, Count = 0;
  while (I < S.size() && Count < N) {
    NextUtf8(S, I);
    ++Count;
  }
  return S.substr(0, I);
}

std::string OneLine(const std::string& S) {
  std::string R;
  for (char C : S)
    if (C != '\r' && C != '\n') R += C;
  return R;
}
}  // namespace

std::string ReadIniText(const std::string& FileName, const std::string& Section, const std::string& Key,
                        const std::string& Default) {
  try {
    bool InSection = false;
    std::string Name, Value;
    for (const std::string& Line : ReadLines(FileName)) {
      if (SectionName(Line, Name)) {
        InSection = SameTextAscii(Name, Trim(Section));
      } else if (InSection && KeyMatches(Line, Key, &Value)) {
        return Characters(Unquoted(Value), MaxValueLength);
      }
    }
  } catch (...) {
  }
  return Default;
}

void WriteIniText(const std::string& FileName, const std::string& Section, const std::string& Key,
                  const std::string& Value) {
  try {
    std::string Sec = OneLine(Trim(Section)), K = OneLine(Trim(Key)), V = OneLine(Value);
    if (K.empty()) return;
    std::vector<std::string> Lines;
    if (FileExists(FileName)) Lines = ReadLines(FileName);
    std::string Entry = K + "=" + V;
    // Where the section starts and the index after its last non-blank line.
    long Start = -1, InsertAt = -1;
    bool Done = false;
    std::string Name;
    for (size_t I = 0; I < Lines.size() && !Done; ++I) {
      if (SectionName(Lines[I], Name)) {
        if (Start >= 0) break;
        if (SameTextAscii(Name, Sec)) Start = InsertAt = static_cast<long>(I) + 1;
      } else if (Start >= 0) {
        if (KeyMatches(Lines[I], K, nullptr)) {
          Lines[I] = Entry;
          Done = true;
        } else if (!Trim(Lines[I]).empty()) {
          InsertAt = static_cast<long>(I) + 1;
        }
      }
    }
    if (!Done) {
      if (Start >= 0) {
        Lines.insert(Lines.begin() + InsertAt, Entry);
      } else {
        Lines.push_back("[" + Sec + "]");
        Lines.push_back(Entry);
      }
    }
    std::string Text;
    for (const std::string& L : Lines) Text += L + "\r\n";
    std::string Bytes = Utf8ToWin1252(Text);
    std::string Temp = FileName + ".tmp" + std::to_string(ProcessId());
    {
      TFileStream F(Temp, fmCreate);
      F.WriteBuffer(Bytes.data(), static_cast<int64_t>(Bytes.size()));
    }
    if (std::rename(Temp.c_str(), FileName.c_str()) != 0) DeleteFile(Temp);
  } catch (...) {
  }
}
