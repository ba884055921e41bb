#include "exceptions/deliver/TarvikSmtp.h"

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cctype>
#include <fstream>
#include <mutex>
#include <random>
#include <iterator>

#include "exceptions/base/TarvikErrors.h"
#include "exceptions/base/TarvikOptions.h"
#include "exceptions/base/TarvikTexts.h"
#include "exceptions/base/TarvikTrace.h"
#include "exceptions/deliver/TarvikMail.h"
#include "exceptions/deliver/TarvikPipelineHooks.h"
#include "exceptions/report/TarvikReport.h"
#include "platform/sys/SystemInfo.h"

namespace {
constexpr int SmtpTimeoutMs = 30000;
// The whole delivery, every recipient together: a crashed program waits for it.
std::atomic<int> DeliveryTimeoutMs{15000};
// RFC 5321's line limit, CR LF not counted.
constexpr size_t MaxLineLength = 998;

bool IsDigit(char C) { return C >= '0' && C <= '9'; }

bool Is7BitText(std::string_view Text) {
  size_t Line = 0;
  for (char C : Text) {
    if (C == '\0' || uint8_t(C) >= 0x80) return false;
    if (C == '\n' || C == '\r')
      Line = 0;
    else if (++Line > MaxLineLength)
      return false;
  }
  return true;
}

// An address that can stand between "<" and ">" in a command and a header.
bool SendableAddress(const std::string& A) {
  if (A.empty() || A.size() > 254) return false;
  for (char C : A)
    if (uint8_t(C) <= ' ' || uint8_t(C) == 0x7F || C == '<' || C == '>') return false;
  return true;
}

// A file name in a quoted parameter.
std::string QuotedFileName(const std::string& Name) {
  std::string Encoded = EncodeHeaderText(Name), R = "\"";
  for (char C : Encoded) {
    if (C == '"' || C == '\\') R += '\\';
    R += C;
  }
  return R + "\"";
}

bool ReadWholeFile(const std::string& Path, std::string& Bytes) {
  std::ifstream F(Path, std::ios::binary);
  if (!F) return false;
  Bytes.assign(std::istreambuf_iterator<char>(F), std::istreambuf_iterator<char>());
  return !F.bad();
}

std::string AttachmentPart(const std::string& Path) {
  std::string Bytes;
  if (Path.empty() || !ReadWholeFile(Path, Bytes)) return "";
  std::string Name = ExtractFileName(Path);
  std::string Ext = UpperCaseAscii(ExtractFileExt(Name));
  std::string Type = Ext == ".PNG" ? "image/png" : "application/octet-stream";
  return "\r\n--" + std::string(TarvikText::MailBoundary) + "\r\nContent-Type: " + Type + ";\r\n        name=" +
         QuotedFileName(Name) +
         "\r\nContent-Transfer-Encoding: base64\r\nContent-Disposition: attachment;\r\n        filename=" +
         QuotedFileName(Name) + "\r\n\r\n" + Base64Encode(Bytes);
}

[[noreturn]] void Refused(const TTarvikClientSMTP& S) { throw ETarvikSocketError(S.Log); }

std::string Text(const TTarvikModuleOptions* O, int Index) {
  return O ? O->GetText(Index) : std::string(DefaultCustomizedTexts[size_t(Index)]);
}

std::string LocalHostName() {
  std::string H = HostName();
  return H.empty() ? "localhost" : H;
}

struct TSmtpJob {
  std::chrono::steady_clock::time_point Deadline;
  bool Direct;
  std::string Sender, Host;
  const std::vector<std::string>& Attachments;
  const std::string &Body, &Subject, &Password, &UserName;
  int Port;
  const TTarvikModuleOptions* Options;
};

void SendSmtpMessage(const TSmtpJob& J, const std::string& Host, const std::string& Recipient, int Index, int Count) {
  for (const std::string& A : {J.Sender, Recipient})
    if (!SendableAddress(A)) throw ETarvikSocketError(Format(TarvikText::SmtpBadAddress, {A}));
  SetSmtpStatus(Index, Count, Text(J.Options, 56));
  TTarvikClientSMTP S(Host, SmtpTimeoutMs, J.Port);
  S.Deadline = J.Deadline;
  S.Connect();
  SetSmtpStatus(Index, Count, Text(J.Options, 57));
  auto Command = [&S](const std::string& C, std::initializer_list<int> Codes) {
    if (!S.SendCommand(C, Codes)) Refused(S);
  };
  if (!J.UserName.empty() || !J.Password.empty()) {
    Command("EHLO " + LocalHostName(), {250});
    Command("RSET", {250});
    Command("AUTH LOGIN", {334});
    // One line each: a long name must not be cut into lines like an attachment.
    auto OneLine = [](const std::string& V) {
      std::string B = Base64Encode(V), R;
      for (char C : B)
        if (C != '\r' && C != '\n') R += C;
      return R;
    };
    Command(OneLine(J.UserName), {334});
    Command(OneLine(J.Password), {235});
  } else {
    Command("HELO " + LocalHostName(), {250});
    Command("RSET", {250});
  }
  Command("MAIL FROM:<" + J.Sender + ">", {250});
  SetSmtpStatus(Index, Count, Text(J.Options, 58));
  TMailMessage M{J.Sender, Recipient, J.Subject, J.Body, J.Attachments, Now(), {}};
  std::string Data = DotStuff(BuildMailMessage(M)) + ".";
  Command("RCPT TO:<" + Recipient + ">", {250, 251});
  Command("DATA", {354});
  S.OnProgress = [](TTarvikClientSocket*, int64_t Position, int64_t Total) {
    SetSmtpProgress(int(Position * 100 / (Total ? Total : 1)));
  };
  Command(Data, {250});
  S.OnProgress = nullptr;
  // The message is delivered; a server that does not say goodbye changes nothing.
  try {
    S.SendCommand("QUIT", {221});
  } catch (const ETarvikSocketError&) {
  }
}
}  // namespace

// ---- The client ----

void TTarvikClientSMTP::Connect() {
  TTarvikClientSocket::Connect();
  if (!CheckReply({220})) Refused(*this);
}

bool TTarvikClientSMTP::CheckReply(std::initializer_list<int> Codes) {
  auto Until = std::chrono::steady_clock::now() + std::chrono::milliseconds(WaitLimitMs());
  std::string Reply;
  while (!SmtpReplyComplete(Reply)) {
    if (Reply.size() > SmtpReplyMax) RaiseError(Format(TarvikText::SmtpReplyTooLong, {int(SmtpReplyMax)}));
    auto Left = std::chrono::duration_cast<std::chrono::milliseconds>(Until - std::chrono::steady_clock::now());
    if (Left.count() <= 0 || !WaitReadable(int(Left.count()))) RaiseError(TarvikText::SocketTimeout);
    if (!ReadWaiting(Reply)) RaiseError(TarvikText::SocketClosedByPeer);
  }
  int Code = SmtpReplyCode(Reply);
  for (int C : Codes)
    if (C == Code) return true;
  return false;
}

bool TTarvikClientSMTP::SendCommand(const std::string& Text, std::initializer_list<int> Codes) {
  if (Text.empty()) return false;
  std::string Line = Text;
  if (Line.size() < 2 || Line.compare(Line.size() - 2, 2, "\r\n") != 0) Line += "\r\n";
  if (SendText(Line) != int(Line.size())) Refused(*this);
  // The message itself is not kept whole: the conversation becomes an error text.
  if (Line.size() <= 1024)
    Log += Line;
  else
    Log += Format(TarvikText::SmtpLoggedMessage, {int(Line.size())});
  if (!CheckReply(Codes)) Refused(*this);
  return true;
}

bool SmtpReplyComplete(std::string_view Reply) {
  if (Reply.empty() || Reply.back() != '\n') return false;
  std::string_view Body = Reply.substr(0, Reply.size() - 1);
  size_t Start = Body.rfind('\n');
  std::string_view Last = Start == std::string_view::npos ? Body : Body.substr(Start + 1);
  // "250-..." continues; anything else (the last line, or no reply at all) ends it.
  return !(Last.size() >= 4 && IsDigit(Last[0]) && IsDigit(Last[1]) && IsDigit(Last[2]) && Last[3] == '-');
}

int SmtpReplyCode(std::string_view Reply) {
  int Code = 0;
  size_t I = 0;
  for (; I < Reply.size() && I < 9 && IsDigit(Reply[I]); ++I) Code = Code * 10 + (Reply[I] - '0');
  if (I == 0) {
    std::string Shown(Reply.substr(0, Reply.find_first_of("\r\n")));
    throw EConvertError(Format(TarvikText::SmtpNoReplyCode, {Shown.substr(0, 80)}));
  }
  return Code;
}

// ---- The message ----

std::string Base64Encode(std::string_view Bytes) {
  static const char Alphabet[] = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+/";
  std::string R;
  R.reserve(Bytes.size() / 3 * 4 + Bytes.size() / 60 * 2 + 8);
  for (size_t Line = 0; Line < Bytes.size(); Line += 60) {
    size_t End = std::min(Bytes.size(), Line + 60);
    for (size_t I = Line; I < End; I += 3) {
      uint32_t V = uint32_t(uint8_t(Bytes[I])) << 16;
      if (I + 1 < End) V |= uint32_t(uint8_t(Bytes[I + 1])) << 8;
      if (I + 2 < End) V |= uint8_t(Bytes[I + 2]);
      R += Alphabet[V >> 18 & 63];
      R += Alphabet[V >> 12 & 63];
      R += I + 1 < End ? Alphabet[V >> 6 & 63] : '=';
      R += I + 2 < End ? Alphabet[V & 63] : '=';
    }
    R += "\r\n";
  }
  return R;
}

std::string EncodeHeaderText(std::string_view Text) {
  std::string Clean;
  bool Plain = true;
  for (char C : Text) {
    if (uint8_t(C) < ' ' || C == 0x7F) C = ' ';
    if (uint8_t(C) >= 0x80) Plain = false;
    Clean += C;
  }
  if (Plain) return Clean;
  // Words of at most 45 bytes (60 Base64 characters, 72 with the frame), cut between characters.
  std::string R;
  for (size_t I = 0; I < Clean.size();) {
    size_t End = std::min(Clean.size(), I + 45);
    while (End < Clean.size() && End > I + 1 && (uint8_t(Clean[End]) & 0xC0) == 0x80) --End;
    std::string B = Base64Encode(std::string_view(Clean).substr(I, End - I));
    B.resize(B.size() - 2);
    if (!R.empty()) R += "\r\n ";
    R += "=?UTF-8?B?" + B + "?=";
    I = End;
  }
  return R;
}

std::string DotStuff(std::string_view Text) {
  std::string R;
  R.reserve(Text.size() + Text.size() / 64);
  bool LineStart = true;
  for (size_t I = 0; I < Text.size(); ++I) {
    char C = Text[I];
    if (C == '\r' || C == '\n') {
      if (C == '\r' && I + 1 < Text.size() && Text[I + 1] == '\n') ++I;
      R += "\r\n";
      LineStart = true;
      continue;
    }
    if (LineStart && C == '.') R += '.';
    R += C;
    LineStart = false;
  }
  return R;
}

std::string NewMessageId(const std::string& Sender) {
  static std::mutex Lock;
  static std::mt19937_64 Random{std::random_device{}()};
  uint64_t A, B;
  {
    std::lock_guard<std::mutex> L(Lock);
    A = Random();
    B = Random();
  }
  // The sender's domain when it is one, else this machine's name.
  size_t At = Sender.rfind('@');
  std::string Domain = At == std::string::npos ? std::string() : Sender.substr(At + 1);
  bool Usable = !Domain.empty();
  for (char C : Domain) Usable &= std::isalnum(static_cast<unsigned char>(C)) || C == '.' || C == '-';
  if (!Usable) Domain = LocalHostName();
  if (Domain.empty()) Domain = "localhost";
  return "<" + IntToHex(A, 16) + "." + IntToHex(B, 16) + "@" + Domain + ">";
}

std::string BuildMailMessage(const TMailMessage& M) {
  const std::string Boundary = TarvikText::MailBoundary;
  std::string R = "Date: " + FormatRfc822Date(M.Date) + "\r\nMessage-ID: " +
                  (M.MessageId.empty() ? NewMessageId(M.Sender) : M.MessageId) + "\r\nFrom: <" + M.Sender + ">\r\nSubject: " +
                  EncodeHeaderText(M.Subject) + "\r\nTo: <" + M.Recipient +
                  ">\r\nContent-Type: multipart/mixed; boundary=\"" + Boundary +
                  "\";\r\nMIME-Version: 1.0\r\nX-Priority: 1\r\nX-Library: " + TarvikText::ReportHeader +
                  "\r\n\r\nThis is a multi-part message in MIME format\r\n\r\n--" + Boundary +
                  "\r\nContent-Type: text/plain; charset=\"UTF-8\"\r\n";
  // Plain short-lined ASCII goes as it is; anything else in Base64, which survives every server.
  if (Is7BitText(M.Body))
    R += "Content-Transfer-Encoding: 7bit\r\n\r\n" + M.Body + "\r\n";
  else
    R += "Content-Transfer-Encoding: base64\r\n\r\n" + Base64Encode(M.Body);
  for (const std::string& A : M.Attachments) R += AttachmentPart(A);
  R += "--" + Boundary + "--\r\n";
  return R;
}

// ---- Sending ----

int SmtpDeliveryTimeoutMs() { return DeliveryTimeoutMs.load(); }

void SetSmtpDeliveryTimeoutMs(int Ms) { DeliveryTimeoutMs.store(Ms < 1 ? 1 : Ms); }

bool SmtpSendMail(bool Direct, const std::string& Sender, const std::string& Host,
                  const std::vector<std::string>& Attachments, const std::string& Body, const std::string& Subject,
                  const std::string& Recipients, const std::string& Password, const std::string& UserName, int Port,
                  const TTarvikModuleOptions* Options) {
  TraceEntry("SmtpSendMail", {Host, Recipients});
  auto Deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(DeliveryTimeoutMs.load());
  TSmtpJob J{Deadline, Direct, Sender, Host, Attachments, Body, Subject, Password, UserName, Port, Options};
  std::vector<std::string> List;
  for (std::string& R : SplitMailRecipients(Recipients))
    if (!R.empty()) List.push_back(std::move(R));
  int Count = int(List.size()), Sent = 0;
  try {
    for (int I = 0; I < Count; ++I) {
      SetSmtpProgress(0);
      std::string Target = Host;
      if (Direct) {
        SetSmtpStatus(I + 1, Count, Text(Options, 55));
        auto Left = std::chrono::duration_cast<std::chrono::milliseconds>(Deadline - std::chrono::steady_clock::now());
        if (Left.count() <= 0) throw ETarvikSocketError(TarvikText::SocketTimeout);
        Target = ResolveMxHost(List[size_t(I)], int(std::min<int64_t>(Left.count(), SmtpTimeoutMs)));
      }
      try {
        SendSmtpMessage(J, Target, List[size_t(I)], I + 1, Count);
        ++Sent;
      } catch (const std::exception& E) {
        TraceEntry(Format(TarvikText::SmtpRecipientFailed, {List[size_t(I)], std::string(E.what())}));
        RecordSectionError(eeEmailSMTPError, TarvikText::SmtpSection);
      }
    }
  } catch (const std::exception&) {
    RecordSectionError(eeEmailSMTPError, TarvikText::SmtpSection);
  }
  StopSmtpProgress();
  return Count > 0 && Sent == Count;
}
