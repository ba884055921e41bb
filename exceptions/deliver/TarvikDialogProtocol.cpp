#include "exceptions/deliver/TarvikDialogProtocol.h"

#include "platform/rtl/SysUtils.h"

namespace {
bool NameChar(char C) { return (C >= 'a' && C <= 'z') || (C >= '0' && C <= '9'); }

bool Flag(const TDialogMessage& M, std::string_view Name) {
  std::string V = DialogField(M, Name, "0");
  if (V != "0" && V != "1") throw EReadError("The dialog program's reply has a bad \"" + std::string(Name) + "\" flag.");
  return V == "1";
}
}  // namespace

std::string EncodeDialogMessage(const TDialogMessage& Fields) {
  std::string Out;
  for (const auto& [Name, Value] : Fields) {
    Out += Name;
    Out += ' ';
    Out += std::to_string(Value.size());
    Out += '\n';
    Out += Value;
    Out += '\n';
  }
  Out += "end 0\n\n";
  return Out;
}

TDialogParse ParseDialogMessage(std::string_view Bytes, TDialogMessage& Out, size_t& Used, std::string& Error) {
  Out.clear();
  size_t Pos = 0;
  for (;;) {
    if (Pos > DialogMessageLimit) {
      Error = "the message is too long";
      return TDialogParse::Damaged;
    }
    size_t NameEnd = Pos;
    while (NameEnd < Bytes.size() && NameChar(Bytes[NameEnd]) && NameEnd - Pos < 32) ++NameEnd;
    if (NameEnd == Bytes.size()) return TDialogParse::NeedMore;
    if (NameEnd == Pos || Bytes[NameEnd] != ' ') {
      Error = "a field name is damaged at byte " + std::to_string(NameEnd);
      return TDialogParse::Damaged;
    }
    size_t P = NameEnd + 1;
    size_t Count = 0;
    size_t Digits = 0;
    while (P < Bytes.size() && Bytes[P] >= '0' && Bytes[P] <= '9' && Digits < 9) {
      Count = Count * 10 + static_cast<size_t>(Bytes[P] - '0');
      ++P;
      ++Digits;
    }
    if (P == Bytes.size()) return TDialogParse::NeedMore;
    // One spelling per count: no leading zeros.
    if (Digits == 0 || (Digits > 1 && Bytes[NameEnd + 1] == '0') || Bytes[P] != '\n' || Count > DialogMessageLimit) {
      Error = "a byte count is damaged at byte " + std::to_string(P);
      return TDialogParse::Damaged;
    }
    ++P;
    if (Bytes.size() - P < Count + 1) {
      if (P + Count > DialogMessageLimit) {
        Error = "the message is too long";
        return TDialogParse::Damaged;
      }
      return TDialogParse::NeedMore;
    }
    if (Bytes[P + Count] != '\n') {
      Error = "a value does not end at byte " + std::to_string(P + Count);
      return TDialogParse::Damaged;
    }
    std::string_view Name = Bytes.substr(Pos, NameEnd - Pos);
    if (Name == "end") {
      if (Count != 0) {
        Error = "the end field carries a value";
        return TDialogParse::Damaged;
      }
      Used = P + 1;
      return TDialogParse::Complete;
    }
    Out.emplace_back(std::string(Name), std::string(Bytes.substr(P, Count)));
    Pos = P + Count + 1;
  }
}

std::string DialogField(const TDialogMessage& M, std::string_view Name, const std::string& Default) {
  for (const auto& F : M)
    if (F.first == Name) return F.second;
  return Default;
}

std::vector<std::string> DialogFields(const TDialogMessage& M, std::string_view Name) {
  std::vector<std::string> R;
  for (const auto& F : M)
    if (F.first == Name) R.push_back(F.second);
  return R;
}

TDialogMessage EncodeDialogReply(const TDialogReply& R) {
  auto B = [](bool V) { return std::string(V ? "1" : "0"); };
  return {{"shown", B(R.Shown)},
          {"send", B(R.SendMailChecked)},
          {"shot", B(R.AttachScreenshotChecked)},
          {"copy", B(R.CopyToClipboardChecked)},
          {"terminate", B(R.TerminateRequested)},
          {"reproduce", R.ReproduceText},
          {"ready", B(R.Ready)},
          {"status", R.Status},
          {"progress", std::to_string(R.Progress)}};
}

TDialogReply DecodeDialogReply(const TDialogMessage& M) {
  TDialogReply R;
  R.Shown = Flag(M, "shown");
  R.SendMailChecked = Flag(M, "send");
  R.AttachScreenshotChecked = Flag(M, "shot");
  R.CopyToClipboardChecked = Flag(M, "copy");
  R.TerminateRequested = Flag(M, "terminate");
  R.Ready = Flag(M, "ready");
  R.ReproduceText = DialogField(M, "reproduce");
  R.Status = DialogField(M, "status");
  std::string P = DialogField(M, "progress", "0");
  int64_t V = StrToIntDef(P, -1);
  if (P.empty() || P.size() > 3 || V < 0 || V > 100 || P.find_first_not_of("0123456789") != std::string::npos)
    throw EReadError("The dialog program's reply has a bad \"progress\" value.");
  R.Progress = static_cast<int>(V);
  return R;
}
