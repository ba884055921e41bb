#pragma once
// DNS replies to an MX query, well-formed and hostile, for the reporter's DNS tests and the
// seeds of its fuzz target.
#include <cstdint>
#include <string>
#include <utility>
#include <vector>

namespace DnsReplies {
inline void Put16(std::string& S, unsigned V) {
  S += char(V >> 8 & 0xFF);
  S += char(V & 0xFF);
}

// Labels of Name, ended by the root label.
inline std::string Name(const std::string& N) {
  std::string R;
  size_t Start = 0;
  while (Start < N.size()) {
    size_t Dot = N.find('.', Start);
    if (Dot == std::string::npos) Dot = N.size();
    R += char(Dot - Start);
    R += N.substr(Start, Dot - Start);
    Start = Dot + 1;
  }
  return R + '\0';
}

struct TAnswer {
  TAnswer(int P, std::string E, unsigned T = 15, std::string Raw = "")
      : Preference(P), Exchanger(std::move(E)), Type(T), RawData(std::move(Raw)) {}
  int Preference = 10;
  std::string Exchanger;  // as a name; one ending in "." + the domain points at the question's name
  unsigned Type = 15;
  std::string RawData;  // used as the record's data when not empty
};

// The reply to query Id for Domain: flags 0x8180 (a recursive answer), one question, the answers
// with a pointer to the question's name as owner.
inline std::string MxReply(unsigned Id, const std::string& Domain, const std::vector<TAnswer>& Answers,
                           unsigned Flags = 0x8180) {
  std::string R;
  Put16(R, Id);
  Put16(R, Flags);
  Put16(R, 1);
  Put16(R, unsigned(Answers.size()));
  Put16(R, 0);
  Put16(R, 0);
  R += Name(Domain);
  Put16(R, 15);
  Put16(R, 1);
  for (const TAnswer& A : Answers) {
    R += "\xC0\x0C";
    Put16(R, A.Type);
    Put16(R, 1);
    R += std::string("\x00\x00\x0E\x10", 4);
    std::string Data = A.RawData;
    if (Data.empty()) {
      Put16(Data, unsigned(A.Preference));
      std::string Suffix = "." + Domain;
      if (A.Exchanger.size() > Suffix.size() &&
          A.Exchanger.compare(A.Exchanger.size() - Suffix.size(), Suffix.size(), Suffix) == 0) {
        std::string Head = Name(A.Exchanger.substr(0, A.Exchanger.size() - Suffix.size()));
        Data += Head.substr(0, Head.size() - 1) + "\xC0\x0C";
      } else {
        Data += Name(A.Exchanger);
      }
    }
    Put16(R, unsigned(Data.size()));
    R += Data;
  }
  return R;
}
}  // namespace DnsReplies
