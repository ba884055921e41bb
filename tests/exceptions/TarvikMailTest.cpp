#include <arpa/inet.h>
#include <gtest/gtest.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <unistd.h>

#include <atomic>
#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <map>
#include <memory>
#include <mutex>
#include <sstream>
#include <thread>

#include "exceptions/base/TarvikErrors.h"
#include "exceptions/base/TarvikOptions.h"
#include "exceptions/base/TarvikTexts.h"
#include "exceptions/deliver/TarvikMail.h"
#include "exceptions/deliver/TarvikSmtp.h"
#include "exceptions/deliver/TarvikSocket.h"
#include "exceptions/report/TarvikReport.h"
#include "platform/classes/ScopeGuard.h"
#include "platform/sys/Process.h"
#include "tests/TestEnv.h"
#include "tests/TestTemp.h"
#include "tests/exceptions/ChildProcess.h"
#include "tests/exceptions/DnsReplies.h"

namespace fs = std::filesystem;
using DnsReplies::MxReply;

namespace {
std::string ReadFile(const std::string& Path) {
  std::ifstream F(Path, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(F), std::istreambuf_iterator<char>());
}

void WriteFile(const std::string& Path, const std::string& Bytes) {
  std::ofstream F(Path, std::ios::binary);
  F << Bytes;
}

std::string Unhex(const std::string& Hex) {
  std::string R;
  for (size_t I = 0; I + 1 < Hex.size(); I += 2) R += char(std::stoi(Hex.substr(I, 2), nullptr, 16));
  return R;
}

std::string LfLines(std::string S) {
  std::string R;
  for (size_t I = 0; I < S.size(); ++I)
    if (!(S[I] == '\r' && I + 1 < S.size() && S[I + 1] == '\n')) R += S[I];
  return R;
}

std::string Python() { return "/usr/bin/python3"; }

// Every byte value, and more than one Base64 line.
std::string BinaryBytes(size_t N) {
  std::string R;
  for (size_t I = 0; I < N; ++I) R += char((I * 7 + I / 256) & 0xFF);
  return R;
}

// A UDP server on the loopback that answers each MX query through Answer (its id, its bytes).
class TFakeDnsServer {
public:
  using TAnswerFn = std::function<std::string(unsigned Id, const std::string& Query)>;
  explicit TFakeDnsServer(TAnswerFn Answer) : FAnswer(std::move(Answer)) {
    FSocket = ::socket(AF_INET, SOCK_DGRAM | SOCK_CLOEXEC, 0);
    sockaddr_in A{};
    A.sin_family = AF_INET;
    A.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    ::bind(FSocket, reinterpret_cast<sockaddr*>(&A), sizeof A);
    socklen_t Len = sizeof A;
    ::getsockname(FSocket, reinterpret_cast<sockaddr*>(&A), &Len);
    FPort = ntohs(A.sin_port);
    timeval Tv{0, 50000};
    ::setsockopt(FSocket, SOL_SOCKET, SO_RCVTIMEO, &Tv, sizeof Tv);
    FThread = std::thread([this] { Serve(); });
  }
  ~TFakeDnsServer() {
    FStop = true;
    FThread.join();
    ::close(FSocket);
  }
  int Port() const { return FPort; }
  int Queries() const { return FQueries; }
  std::string LastQuery() {
    std::lock_guard<std::mutex> L(FLock);
    return FLastQuery;
  }

private:
  void Serve() {
    while (!FStop) {
      char Buffer[1500];
      sockaddr_in From{};
      socklen_t Len = sizeof From;
      ssize_t N = ::recvfrom(FSocket, Buffer, sizeof Buffer, 0, reinterpret_cast<sockaddr*>(&From), &Len);
      if (N < 12) continue;
      std::string Query(Buffer, size_t(N));
      {
        std::lock_guard<std::mutex> L(FLock);
        FLastQuery = Query;
      }
      ++FQueries;
      std::string Reply = FAnswer(unsigned(uint8_t(Query[0])) << 8 | uint8_t(Query[1]), Query);
      if (!Reply.empty())
        ::sendto(FSocket, Reply.data(), Reply.size(), 0, reinterpret_cast<sockaddr*>(&From), Len);
    }
  }
  TAnswerFn FAnswer;
  int FSocket = -1, FPort = 0;
  std::atomic<bool> FStop{false};
  std::atomic<int> FQueries{0};
  std::mutex FLock;
  std::string FLastQuery;
  std::thread FThread;
};

// Points the MX lookup at the given servers while it lives.
struct TDnsServersScope {
  explicit TDnsServersScope(std::vector<TDnsServer> S) : Saved(SetDnsServers(std::move(S))) {}
  ~TDnsServersScope() { SetDnsServers(Saved); }
  std::vector<TDnsServer> Saved;
};

// Quiet internal errors: they go to the diagnostic output.
struct TQuietScope {
  TDebugOutputHook Saved = SetDebugOutputHook([](std::string_view) {});
  ~TQuietScope() { SetDebugOutputHook(Saved); }
};
}  // namespace

// ---- Texts and codings ----

TEST(TarvikMail, SplitsRecipients) {
  struct {
    const char* Text;
    std::vector<std::string> Expected;
  } Cases[] = {
      {"a;b,", {"a", "b"}},
      {"a,,b", {"a", "", "b"}},
      {"  x@y.com ; z@w.org  ", {"x@y.com", "z@w.org"}},
      {"", {""}},
  };
  for (const auto& C : Cases) EXPECT_EQ(SplitMailRecipients(C.Text), C.Expected) << C.Text;
}

TEST(TarvikMail, Base64LinesAndHeaderWords) {
  EXPECT_EQ(Base64Encode(""), "");
  EXPECT_EQ(Base64Encode("Man"), "TWFu\r\n");
  EXPECT_EQ(Base64Encode("Ma"), "TWE=\r\n");
  std::string Sixty(60, 'x');
  std::string One = Base64Encode(Sixty);
  EXPECT_EQ(One.size(), 82u);
  EXPECT_EQ(One.substr(80), "\r\n");
  std::string Two = Base64Encode(Sixty + "x");
  EXPECT_EQ(Two.substr(82), "eA==\r\n");

  EXPECT_EQ(EncodeHeaderText("Plain subject"), "Plain subject");
  // A line break in a subject would start a header of its own.
  EXPECT_EQ(EncodeHeaderText("Falha\r\nBcc: x@y.com"), "Falha  Bcc: x@y.com");
  std::string Word = EncodeHeaderText("ação");
  EXPECT_EQ(Word, "=?UTF-8?B?YcOnw6Nv?=");
  // Long texts are cut into words between characters, never inside one.
  std::string Long;
  for (int I = 0; I < 40; ++I) Long += "çã";
  std::string Words = EncodeHeaderText(Long);
  EXPECT_NE(Words.find("\r\n =?UTF-8?B?"), std::string::npos);
  for (size_t Start = 0; Start < Words.size();) {
    size_t End = Words.find("\r\n ", Start);
    std::string W = Words.substr(Start, End == std::string::npos ? std::string::npos : End - Start);
    EXPECT_LE(W.size(), 75u);
    Start = End == std::string::npos ? Words.size() : End + 3;
  }
}

TEST(TarvikMail, DotStuffing) {
  EXPECT_EQ(DotStuff(".\r\nabc\n.x\r..\r\n"), "..\r\nabc\r\n..x\r\n...\r\n");
  EXPECT_EQ(DotStuff("a.b"), "a.b");
}

TEST(TarvikMail, SmtpReplies) {
  struct {
    const char* Reply;
    bool Complete;
  } Cases[] = {
      {"220 ready\r\n", true},       {"220 ready", false},          {"250-a\r\n250-b\r\n", false},
      {"250-a\r\n250 b\r\n", true},  {"250\r\n", true},             {"garbage\r\n", true},
      {"", false},                   {"250-a\n250 b\n", true},
  };
  for (const auto& C : Cases) EXPECT_EQ(SmtpReplyComplete(C.Reply), C.Complete) << C.Reply;
  EXPECT_EQ(SmtpReplyCode("354 go ahead\r\n"), 354);
  EXPECT_EQ(SmtpReplyCode("250-first\r\n550 second\r\n"), 250);
  EXPECT_THROW(SmtpReplyCode("hello\r\n"), EConvertError);
}

TEST(TarvikMail, MailtoUrlRoundTrips) {
  std::string Subject = "Erro & aviso? #1 ação";
  std::string Body = "linha 1\nlinha 2 & a=b?c#d%25+\r\nfim";
  std::string Url = MailtoUrl("a@x.com; b+tag@y.org,", Subject, Body);
  EXPECT_EQ(Url.find_first_of(" \r\n#"), std::string::npos);
  TChildProcess P = StartProgram(
      Python(), {"-c",
                 "import sys,urllib.parse as u\n"
                 "r=u.urlsplit(sys.argv[1]); q=u.parse_qs(r.query, keep_blank_values=True)\n"
                 "print(r.scheme); print(u.unquote(r.path).encode().hex())\n"
                 "print(q['Subject'][0].encode().hex()); print(q['Body'][0].encode().hex())",
                 Url});
  EXPECT_EQ(ReadChildLine(P), "mailto");
  EXPECT_EQ(Unhex(ReadChildLine(P)), "a@x.com,b+tag@y.org");
  EXPECT_EQ(Unhex(ReadChildLine(P)), Subject);
  EXPECT_EQ(Unhex(ReadChildLine(P)), "linha 1\r\nlinha 2 & a=b?c#d%25+\r\nfim");
  EXPECT_EQ(WaitChild(P), 0);
}

// ---- Message ----

TEST(TarvikMail, MessageLayout) {
  TTestTempFiles Temp;
  std::string Png = Temp.Path("Screenshot.png"), Log = Temp.Path("App.tvl");
  WriteFile(Png, BinaryBytes(61));
  WriteFile(Log, "report");
  TMailMessage M{"from@x.com", "to@y.com", "Assunto", "Body", {Png, "", Temp.Path("missing.bin"), Log}, 46000.5, {}};
  std::string Text = BuildMailMessage(M);
  EXPECT_NE(Text.find("\r\nFrom: <from@x.com>\r\nSubject: Assunto\r\nTo: <to@y.com>\r\n"), std::string::npos);
  // Every message its own identifier, in the sender's domain.
  size_t Id = Text.find("\r\nMessage-ID: <");
  ASSERT_NE(Id, std::string::npos);
  std::string First = Text.substr(Id, Text.find("\r\n", Id + 2) - Id);
  EXPECT_EQ(First.size(), 2 + 12 + 33 + 7 + 1u) << First;
  EXPECT_EQ(First.substr(First.size() - 7), "@x.com>");
  EXPECT_EQ(BuildMailMessage(M).find(First), std::string::npos);
  EXPECT_NE(Text.find("Content-Type: multipart/mixed; boundary=\"=_xcjvnxkbhvfkxzhfdbvzldjhfv\";\r\n"
                      "MIME-Version: 1.0\r\nX-Priority: 1\r\nX-Library: TarvikLog 4.5.4\r\n\r\n"),
            std::string::npos);
  EXPECT_NE(Text.find("Content-Transfer-Encoding: 7bit\r\n\r\nBody\r\n"), std::string::npos);
  EXPECT_NE(Text.find("Content-Type: image/png;\r\n        name=\"" + ExtractFileName(Png) + "\""), std::string::npos);
  EXPECT_NE(Text.find("Content-Type: application/octet-stream;\r\n        name=\"" + ExtractFileName(Log) + "\""),
            std::string::npos);
  EXPECT_EQ(Text.find("missing.bin"), std::string::npos);
  EXPECT_EQ(Text.substr(Text.size() - 34), "--=_xcjvnxkbhvfkxzhfdbvzldjhfv--\r\n");
  // 8-bit text goes in Base64 with its character set.
  M.Body = "ação";
  EXPECT_NE(BuildMailMessage(M).find("charset=\"UTF-8\"\r\nContent-Transfer-Encoding: base64\r\n\r\nYcOnw6Nv\r\n"),
            std::string::npos);
}

// ---- Socket ----

TEST(TarvikSocket, NoAddressIsAFailureNotTheLocalHost) {
  for (const char* Host : {"no-such-host.invalid", "0.0.0.0", ""}) {
    TTarvikClientSocket S(Host, 1000, true, 25);
    try {
      S.Connect();
      ADD_FAILURE() << Host;
    } catch (const ETarvikSocketError& E) {
      EXPECT_EQ(std::string(E.what()).rfind("Cannot find the address of \"" + std::string(Host) + "\"", 0), 0u)
          << E.what();
    }
    EXPECT_FALSE(S.Connected);
    EXPECT_EQ(S.Address.sin_addr.s_addr, 0u);
  }
  // A port nobody listens on.
  TTarvikClientSocket S("127.0.0.1", 1000, true, 1);
  EXPECT_THROW(S.Connect(), ETarvikSocketError);
}

TEST(TarvikSocket, TextEndsAtAPause) {
  int Listener = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
  sockaddr_in A{};
  A.sin_family = AF_INET;
  A.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
  ASSERT_EQ(::bind(Listener, reinterpret_cast<sockaddr*>(&A), sizeof A), 0);
  socklen_t Len = sizeof A;
  ::getsockname(Listener, reinterpret_cast<sockaddr*>(&A), &Len);
  ::listen(Listener, 1);
  std::thread Peer([Listener] {
    int C = ::accept(Listener, nullptr, nullptr);
    auto Send = [C](const char* T) { ::send(C, T, strlen(T), MSG_NOSIGNAL); };
    Send("one ");
    std::this_thread::sleep_for(std::chrono::milliseconds(20));
    Send("piece");
    std::this_thread::sleep_for(std::chrono::milliseconds(900));
    Send("two");
    std::this_thread::sleep_for(std::chrono::milliseconds(100));
    ::close(C);
  });
  TTarvikClientSocket S("127.0.0.1", 2000, true, ntohs(A.sin_port));
  S.IdleGapMs = 300;
  S.Connect();
  EXPECT_EQ(S.Log, Format("Connected to 127.0.0.1 port %d\r\n", {int(ntohs(A.sin_port))}));
  EXPECT_EQ(S.ReceiveReply(), "one piece");
  EXPECT_EQ(S.ReceiveReply(), "two");
  // The peer closed: no wait for the time-out.
  auto Start = std::chrono::steady_clock::now();
  EXPECT_THROW(S.ReceiveReply(), ETarvikSocketError);
  EXPECT_LT(std::chrono::steady_clock::now() - Start, std::chrono::milliseconds(1800));
  Peer.join();
  ::close(Listener);
  EXPECT_EQ(S.Log.substr(S.Log.find('\n') + 1), "one piecetwo");
}

// ---- DNS ----

TEST(TarvikDns, QueryLayout) {
  std::string Q = BuildMxQuery("mail.example.com.", 0x4142);
  EXPECT_EQ(Q, std::string("AB\x01\x00\x00\x01\x00\x00\x00\x00\x00\x00", 12) + "\x04mail\x07" "example\x03" "com" +
                   std::string("\x00\x00\x0F\x00\x01", 5));
  for (const char* Bad : {"", "a..b", ".x"}) EXPECT_THROW(BuildMxQuery(Bad, 1), ETarvikSocketError) << Bad;
  EXPECT_THROW(BuildMxQuery(std::string(64, 'a') + ".com", 1), ETarvikSocketError);
}

TEST(TarvikDns, RepliesGoodAndHostile) {
  using DnsReplies::TAnswer;
  const std::string D = "example.com";
  std::string Two = MxReply(7, D, {{20, "mx20.example.com"}, {10, "mx10.other.org"}, {10, "later.example.com"}});
  std::string Cname = MxReply(7, D, {{0, "", 5, std::string("\xC0\x0C", 2)}});
  // The exchanger's name points at itself.
  std::string Loop = MxReply(7, D, {{10, "", 15, std::string("\x00\x0A\xC0\x00", 4)}});
  Loop[Loop.size() - 2] = char(0xC0 | ((Loop.size() - 2) >> 8));
  Loop[Loop.size() - 1] = char((Loop.size() - 2) & 0xFF);
  std::string PastEnd = MxReply(7, D, {{10, "", 15, std::string("\x00\x0A\xC3\xFF", 4)}});
  std::string Reserved = MxReply(7, D, {{10, "", 15, std::string("\x00\x0A\x41x\x00", 5)}});
  std::string Claims = MxReply(7, D, {{30, "only.example.com"}});
  Claims[7] = 5;  // five answers announced, one there
  struct {
    const char* Name;
    std::string Reply;
    uint16_t Id;
    std::string Expected;
  } Cases[] = {
      {"lowest preference, first of equals", Two, 7, "mx10.other.org"},
      {"wrong id", Two, 8, ""},
      {"truncated inside the third answer", Two.substr(0, Two.size() - 20), 7, "mx10.other.org"},
      {"truncated inside the second answer", Two.substr(0, Two.size() - 32), 7, "mx20.example.com"},
      {"cut inside the header", Two.substr(0, 11), 7, ""},
      {"cut inside the question", Two.substr(0, 20), 7, ""},
      {"not an MX answer", Cname, 7, ""},
      {"pointer loop", Loop, 7, ""},
      {"pointer past the end", PastEnd, 7, ""},
      {"reserved label type", Reserved, 7, ""},
      {"null MX", MxReply(7, D, {{0, ""}}), 7, ""},
      {"name error", MxReply(7, D, {{10, "mx.example.com"}}, 0x8183), 7, ""},
      {"a query, not an answer", MxReply(7, D, {{10, "mx.example.com"}}, 0x0100), 7, ""},
      {"more answers announced than sent", Claims, 7, "only.example.com"},
      {"control character in a label", MxReply(7, D, {{10, "m\nx.org"}}), 7, ""},
  };
  for (const auto& C : Cases) EXPECT_EQ(ParseMxReply(C.Reply.data(), C.Reply.size(), C.Id), C.Expected) << C.Name;
}

TEST(TarvikDns, ResolvesThroughLoopbackServers) {
  TFakeDnsServer NoMx([](unsigned Id, const std::string&) { return MxReply(Id, "example.com", {}, 0x8183); });
  TFakeDnsServer Good([](unsigned Id, const std::string&) {
    return MxReply(Id, "example.com", {{20, "b.example.com"}, {10, "a.example.com"}});
  });
  TFakeDnsServer WrongId([](unsigned Id, const std::string&) {
    return MxReply(Id ^ 1, "example.com", {{10, "spoofed.example.com"}});
  });
  TFakeDnsServer Silent([](unsigned, const std::string&) { return std::string(); });
  {
    TDnsServersScope S({{"127.0.0.1", NoMx.Port()}, {"127.0.0.1", Good.Port()}});
    EXPECT_EQ(ResolveMxHost("user@example.com"), "a.example.com");
    EXPECT_EQ(Good.LastQuery().substr(12), DnsReplies::Name("example.com") + std::string("\x00\x0F\x00\x01", 4));
    EXPECT_EQ(ResolveMxHost("example.com"), "a.example.com");
    EXPECT_EQ(NoMx.Queries(), 2);
  }
  {
    TDnsServersScope S({{"127.0.0.1", WrongId.Port()}});
    try {
      ResolveMxHost("x@example.com");
      ADD_FAILURE();
    } catch (const ETarvikSocketError& E) {
      EXPECT_STREQ(E.what(), "Cannot resolve the \"example.com\" MX record.");
    }
  }
  {
    // A server that never answers ends the lookup: the next one is not asked.
    TDnsServersScope S({{"127.0.0.1", Silent.Port()}, {"127.0.0.1", Good.Port()}});
    int Before = Good.Queries();
    try {
      ResolveMxHost("x@example.com", 300);
      ADD_FAILURE();
    } catch (const ETarvikSocketError& E) {
      EXPECT_STREQ(E.what(), "Socket timeout.");
    }
    EXPECT_EQ(Good.Queries(), Before);
  }
}

// ---- SMTP against a real server on the loopback ----

class TarvikSmtp : public ::testing::Test {
protected:
  static void SetUpTestSuite() {
    Folder = fs::temp_directory_path() / ("mor-smtp-" + std::to_string(getpid()));
    fs::create_directories(Folder);
    Server = StartProgram(Python(), {"-W", "ignore", MOR_SMTP_SERVER_SCRIPT, Folder.string()});
    Port = std::atoi(ReadChildLine(Server).c_str());
  }
  static void TearDownTestSuite() {
    ::close(Server.In);
    WaitChild(Server);
    fs::remove_all(Folder);
  }
  void SetUp() override {
    ASSERT_GT(Port, 0) << "the loopback mail server did not start";
    for (const auto& E : fs::directory_iterator(Folder)) fs::remove(E.path());
    ClearInternalError();
  }
  static std::vector<std::string> Events() {
    std::vector<std::string> R;
    std::istringstream In(ReadFile((Folder / "events").string()));
    for (std::string L; std::getline(In, L);) R.push_back(L);
    return R;
  }
  // The messages received, in order, each as its fields (attachments as name, type, bytes).
  static std::vector<std::multimap<std::string, std::string>> Messages() {
    std::vector<std::multimap<std::string, std::string>> R;
    // The server numbers the messages of its whole run.
    std::map<int, fs::path> Files;
    for (const auto& E : fs::directory_iterator(Folder))
      if (E.path().filename().string().rfind("message-", 0) == 0)
        Files[std::atoi(E.path().filename().string().c_str() + 8)] = E.path();
    for (const auto& [N, Path] : Files) {
      std::multimap<std::string, std::string> M;
      std::istringstream In(ReadFile(Path.string()));
      for (std::string L; std::getline(In, L);) {
        size_t Eq = L.find('=');
        M.emplace(L.substr(0, Eq), Unhex(L.substr(Eq + 1)));
      }
      R.push_back(M);
    }
    return R;
  }
  static std::string One(const std::multimap<std::string, std::string>& M, const std::string& Key) {
    auto I = M.find(Key);
    return I == M.end() ? "<none>" : I->second;
  }
  static bool Send(const std::string& Recipients, const std::string& Subject, const std::string& Body,
                   const std::vector<std::string>& Attachments = {}, const std::string& User = "",
                   const std::string& Password = "", const std::string& Host = "127.0.0.1", bool Direct = false) {
    return SmtpSendMail(Direct, "reporter@app.example", Host, Attachments, Body, Subject, Recipients, Password, User,
                        Port);
  }

  static inline fs::path Folder;
  static inline TChildProcess Server;
  static inline int Port = 0;
  TQuietScope Quiet;
};

TEST_F(TarvikSmtp, WholeDialogueWithAuthAndAttachments) {
  TTestTempFiles Temp;
  std::string Png = Temp.Path("Screenshot.png"), Log = Temp.Path("Programa.tvl");
  const std::string PngBytes = BinaryBytes(5000), LogBytes = "relatório\r\n.\r\nfim\r\n";
  WriteFile(Png, PngBytes);
  WriteFile(Log, LogBytes);
  const std::string Subject = "Relatório de erro: ação inválida";
  const std::string Body = "Olá,\r\n.\r\n.hidden line\r\nQUIT\r\nsegue o relatório";
  int Percent = -1;
  std::vector<std::string> Statuses;
  TSmtpProgressHooks Saved = SetSmtpProgressHooks(
      {nullptr, [&](int I, int N, const std::string& T) { Statuses.push_back(Format("%d/%d %s", {I, N, T})); },
       [&](int P) { Percent = P; }, nullptr});
  TFinally Restore([&] { SetSmtpProgressHooks(Saved); });
  EXPECT_TRUE(Send("a@x.example; b@y.example", Subject, Body, {Log, "", Png}, "user", "secret"));
  EXPECT_EQ(LastErrorCode(), eeNone) << LastErrorMessage();
  EXPECT_EQ(Percent, 100);
  EXPECT_EQ(Statuses.front(), "1/2 Connecting with SMTP server...");
  EXPECT_EQ(Statuses.back(), "2/2 Sending message...");

  std::vector<std::string> E = Events();
  ASSERT_EQ(E.size(), 10u);
  EXPECT_EQ(E[0].rfind("EHLO ", 0), 0u);
  EXPECT_EQ(E[1], "AUTH LOGIN user secret");
  EXPECT_EQ(E[2], "RCPT a@x.example 250");
  EXPECT_EQ(E[3], "DATA 1");
  EXPECT_EQ(E[4], "QUIT");
  EXPECT_EQ(E[7], "RCPT b@y.example 250");

  auto M = Messages();
  ASSERT_EQ(M.size(), 2u);
  EXPECT_EQ(One(M[0], "mail_from"), "reporter@app.example");
  EXPECT_EQ(One(M[0], "rcpt_to"), "a@x.example");
  EXPECT_EQ(One(M[1], "To"), "b@y.example");
  EXPECT_EQ(One(M[0], "Subject"), Subject);
  EXPECT_EQ(One(M[0], "X-Library"), "TarvikLog 4.5.4");
  EXPECT_EQ(One(M[0], "Message-ID").rfind("<", 0), 0u);
  EXPECT_EQ(One(M[0], "Message-ID").substr(One(M[0], "Message-ID").size() - 13), "@app.example>");
  EXPECT_EQ(One(M[0], "content_type"), "multipart/mixed");
  EXPECT_EQ(One(M[0], "body_charset"), "utf-8");
  EXPECT_EQ(LfLines(One(M[0], "body")), LfLines(Body));
  std::vector<std::string> Names, Types, Bytes;
  for (auto [I, End] = M[0].equal_range("attachment_name"); I != End; ++I) Names.push_back(I->second);
  for (auto [I, End] = M[0].equal_range("attachment_type"); I != End; ++I) Types.push_back(I->second);
  for (auto [I, End] = M[0].equal_range("attachment"); I != End; ++I) Bytes.push_back(I->second);
  EXPECT_EQ(Names, (std::vector<std::string>{ExtractFileName(Log), ExtractFileName(Png)}));
  EXPECT_EQ(Types, (std::vector<std::string>{"application/octet-stream", "image/png"}));
  ASSERT_EQ(Bytes.size(), 2u);
  EXPECT_EQ(Bytes[0], LogBytes);
  EXPECT_EQ(Bytes[1], PngBytes);
}

TEST_F(TarvikSmtp, HeloWithoutCredentialsAndNoHeaderInjection) {
  EXPECT_TRUE(Send("c@z.example,", "Falha\r\nBcc: evil@x.example", "plain"));
  std::vector<std::string> E = Events();
  ASSERT_FALSE(E.empty());
  EXPECT_EQ(E[0].rfind("HELO ", 0), 0u);
  for (const std::string& L : E) EXPECT_EQ(L.rfind("AUTH", 0), std::string::npos);
  auto M = Messages();
  ASSERT_EQ(M.size(), 1u);
  EXPECT_EQ(One(M[0], "Subject"), "Falha  Bcc: evil@x.example");
  EXPECT_EQ(One(M[0], "rcpt_to"), "c@z.example");
  // An address that would end the command early never reaches the server.
  EXPECT_FALSE(Send("d@z.example>\r\nRSET", "s", "b"));
  EXPECT_EQ(LastErrorCode(), eeEmailSMTPError);
  EXPECT_EQ(Messages().size(), 1u);
}

TEST_F(TarvikSmtp, EachFailedRecipientIsReported) {
  EXPECT_FALSE(Send("refused@x.example; later@x.example; ok@x.example", "s", "b"));
  auto M = Messages();
  ASSERT_EQ(M.size(), 1u);
  EXPECT_EQ(One(M[0], "rcpt_to"), "ok@x.example");
  EXPECT_EQ(LastErrorCode(), eeEmailSMTPError);
  // The last failure's conversation, with the server's refusal.
  EXPECT_NE(LastErrorMessage().find("RCPT TO:<later@x.example>\r\n451 try again later"), std::string::npos)
      << LastErrorMessage();
  EXPECT_EQ(LastErrorMessage().rfind("[SMTP] Connected to 127.0.0.1 port ", 0), 0u);

  // A refused password, and a password without a user name: nothing is sent.
  ClearInternalError();
  EXPECT_FALSE(Send("ok@x.example", "s", "b", {}, "user", "wrong"));
  EXPECT_NE(LastErrorMessage().find("AUTH LOGIN"), std::string::npos) << LastErrorMessage();
  ClearInternalError();
  EXPECT_FALSE(Send("ok@x.example", "s", "b", {}, "", "secret"));
  EXPECT_EQ(LastErrorCode(), eeEmailSMTPError);
  EXPECT_EQ(Messages().size(), 1u);
  // No recipient at all is no success.
  EXPECT_FALSE(Send(" , ", "s", "b"));
}

// A server that accepts and never answers: the whole delivery, every recipient together, ends
// within its bound (the connection's own time-out is 30 s per recipient).
TEST_F(TarvikSmtp, ASilentServerHoldsTheDeliveryNoLongerThanItsBound) {
  EXPECT_EQ(SmtpDeliveryTimeoutMs(), 15000);
  int Listener = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
  ASSERT_GE(Listener, 0);
  TFinally Close([Listener] { ::close(Listener); });
  sockaddr_in A{};
  A.sin_family = AF_INET;
  A.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
  socklen_t Len = sizeof A;
  ASSERT_EQ(::bind(Listener, reinterpret_cast<sockaddr*>(&A), sizeof A), 0);
  ASSERT_EQ(::listen(Listener, 8), 0);  // the kernel completes the connections; nobody speaks
  ASSERT_EQ(::getsockname(Listener, reinterpret_cast<sockaddr*>(&A), &Len), 0);
  int Saved = SmtpDeliveryTimeoutMs();
  SetSmtpDeliveryTimeoutMs(1500);
  TFinally Restore([Saved] { SetSmtpDeliveryTimeoutMs(Saved); });
  auto Start = std::chrono::steady_clock::now();
  EXPECT_FALSE(SmtpSendMail(false, "reporter@app.example", "127.0.0.1", {}, "b", "s", "a@x.example; b@x.example", "",
                            "", ntohs(A.sin_port)));
  auto Took = std::chrono::steady_clock::now() - Start;
  EXPECT_LT(Took, std::chrono::seconds(10));
  EXPECT_EQ(LastErrorCode(), eeEmailSMTPError);
  EXPECT_NE(LastErrorMessage().find("Socket timeout."), std::string::npos) << LastErrorMessage();
}

TEST_F(TarvikSmtp, DirectToTheMailExchanger) {
  TFakeDnsServer Dns([](unsigned Id, const std::string&) {
    return MxReply(Id, "dest.example", {{5, "localhost"}});
  });
  TFakeDnsServer Spoofed([](unsigned Id, const std::string&) { return MxReply(Id + 1, "dest.example", {{5, "x"}}); });
  {
    TDnsServersScope S({{"127.0.0.1", Dns.Port()}});
    EXPECT_TRUE(Send("someone@dest.example", "s", "b", {}, "", "", "", true));
    ASSERT_EQ(Messages().size(), 1u);
  }
  {
    TDnsServersScope S({{"127.0.0.1", Spoofed.Port()}});
    EXPECT_FALSE(Send("someone@dest.example; other@dest.example", "s", "b", {}, "", "", "", true));
    EXPECT_EQ(LastErrorMessage(), "[SMTP] Cannot resolve the \"dest.example\" MX record.");
    EXPECT_EQ(Spoofed.Queries(), 1);  // the lookup's failure stops the rest
    EXPECT_EQ(Messages().size(), 1u);
  }
}

TEST_F(TarvikSmtp, ReportByMailThroughTheServer) {
  TTarvikModuleOptions O("", 0);
  O.SetMailSendMode(msSmtpServer);
  O.SetSmtpHost("127.0.0.1");
  O.SetSmtpPort(uint16_t(Port));
  O.SetMailRecipients("dev@x.example");
  O.SetMailSubject("Erro");
  O.SetMailText("Veja o anexo.");
  TTarvikReport Report;
  Report.MailText = "the report\nline 2";
  TMailRequest R;
  R.Options = &O;
  R.Report = &Report;
  std::vector<std::string> Codes;
  R.Action = [&](int Code, bool&) { Codes.push_back("action " + std::to_string(Code)); };
  EXPECT_TRUE(SendReportByMail(R));
  EXPECT_EQ(Codes, (std::vector<std::string>{"action 4", "action 5"}));
  auto M = Messages();
  ASSERT_EQ(M.size(), 1u);
  EXPECT_EQ(One(M[0], "body"), "Veja o anexo.\r\n");
  EXPECT_EQ(One(M[0], "attachment_name"), ExtractFileName(O.OutputLogFile()));
  EXPECT_EQ(One(M[0], "attachment"), "the report\r\nline 2\r\n");

  // The report in the body; a handler that clears the flag at 4 stops the mail.
  O.SetMailLogInBody(true);
  R.Action = nullptr;
  EXPECT_TRUE(SendReportByMail(R));
  M = Messages();
  ASSERT_EQ(M.size(), 2u);
  EXPECT_EQ(LfLines(One(M[1], "body")), "Veja o anexo.\n\n\nthe report\nline 2");
  EXPECT_EQ(One(M[1], "attachment_name"), "<none>");
  R.Action = [](int Code, bool& Flag) {
    if (Code == 4) Flag = false;
  };
  EXPECT_FALSE(SendReportByMail(R));
  EXPECT_EQ(Messages().size(), 2u);
}

// ---- The desktop's mail program ----

// The desktop programs that exist are the test's stubs and nothing else: the path holds the stubs'
// folder and a folder of links to the few tools the stubs use, so a mail program or browser
// installed on the machine is never found, and the desktop's settings are private folders.
class TarvikMailClient : public ::testing::Test {
protected:
  void SetUp() override {
    Dir = Temp.Path("bin");
    Tools = Temp.Path("tools");
    Home = Temp.Path("xdg");
    fs::create_directories(Dir);
    fs::create_directories(Tools);
    for (const char* Tool : {"sh", "od", "tr", "cat"})
      for (const char* Folder : {"/usr/bin/", "/bin/"})
        if (fs::exists(std::string(Folder) + Tool) && !fs::exists(Tools + "/" + Tool))
          fs::create_symlink(std::string(Folder) + Tool, Tools + "/" + Tool);
    Env.push_back(std::make_unique<TEnvScope>("PATH", Dir + ":" + Tools));
    for (const char* Name : {"XDG_CONFIG_HOME", "XDG_DATA_HOME", "XDG_CONFIG_DIRS", "XDG_DATA_DIRS", "XDG_STATE_HOME"})
      Env.push_back(std::make_unique<TEnvScope>(Name, Home + "/" + Name));
    Env.push_back(std::make_unique<TEnvScope>("BROWSER", Dir + "/no-browser"));
    ClearInternalError();
  }
  void TearDown() override {
    Env.clear();
    for (const std::string& F : {Dir, Tools, Home}) fs::remove_all(F);
  }
  // A program that records its arguments (one per line, in hex), copies the file after each
  // --attach and ends with Code.
  void Stub(const std::string& Name, int Code) {
    std::string Path = Dir + "/" + Name;
    WriteFile(Path, "#!/bin/sh\n: > '" + Dir + "/" + Name + ".args'\nprev=\nfor a in \"$@\"; do\n"
                    "  printf '%s' \"$a\" | od -An -v -tx1 | tr -d ' \\n' >> '" + Dir + "/" + Name + ".args'\n"
                    "  echo >> '" + Dir + "/" + Name + ".args'\n"
                    "  [ \"$prev\" = --attach ] && cat \"$a\" >> '" + Dir + "/attached'\n  prev=$a\ndone\n"
                    "exit " + std::to_string(Code) + "\n");
    ::chmod(Path.c_str(), 0755);
  }
  std::vector<std::string> Args(const std::string& Name) {
    std::vector<std::string> R;
    std::istringstream In(ReadFile(Dir + "/" + Name + ".args"));
    for (std::string L; std::getline(In, L);) R.push_back(Unhex(L));
    return R;
  }
  TMailRequest Request() {
    O.SetMailSendMode(msMailClient);
    O.SetMailRecipients("dev@x.example; -rf, ops@y.example");
    O.SetMailSubject("Erro & aviso");
    O.SetMailText("Texto & mais");
    Report.MailText = "report\r\n.\r\n";
    TMailRequest R;
    R.Options = &O;
    R.Report = &Report;
    return R;
  }
  TTestTempFiles Temp;
  std::string Dir, Tools, Home;
  std::vector<std::unique_ptr<TEnvScope>> Env;
  TTarvikModuleOptions O{"", 0};
  TTarvikReport Report;
  TQuietScope Quiet;
};

TEST_F(TarvikMailClient, HandsTheMailToXdgEmail) {
  Stub("xdg-email", 0);
  Stub("xdg-open", 0);
  TTestTempFiles Shots;
  std::string Shot = Shots.Path("Screenshot.png");
  WriteFile(Shot, "png");
  TMailRequest R = Request();
  R.ScreenshotPath = Shot;
  EXPECT_TRUE(SendReportByMail(R));
  std::vector<std::string> A = Args("xdg-email");
  ASSERT_EQ(A.size(), 11u);
  EXPECT_EQ(std::vector<std::string>(A.begin(), A.begin() + 5),
            (std::vector<std::string>{"--utf8", "--subject", "Erro & aviso", "--body", "Texto & mais"}));
  EXPECT_EQ(A[5], "--attach");
  EXPECT_EQ(ExtractFileName(A[6]), ExtractFileName(O.OutputLogFile()));
  EXPECT_FALSE(FileExists(A[6]));  // the temporary copy is gone
  EXPECT_EQ(A[7], "--attach");
  EXPECT_EQ(A[8], Shot);
  // An entry that would read as an option is left out.
  EXPECT_EQ(std::vector<std::string>(A.begin() + 9, A.end()),
            (std::vector<std::string>{"dev@x.example", "ops@y.example"}));
  EXPECT_EQ(ReadFile(Dir + "/attached"), "report\r\n.\r\npng");
  EXPECT_FALSE(FileExists(Dir + "/xdg-open.args"));
}

TEST_F(TarvikMailClient, FallsBackToAMailtoUrl) {
  Stub("xdg-email", 3);
  Stub("xdg-open", 0);
  TMailRequest R = Request();
  EXPECT_TRUE(SendReportByMail(R));
  EXPECT_EQ(LastErrorCode(), eeEmailMAPIError);
  EXPECT_EQ(LastErrorMessage(), "The mail program \"xdg-email\" ended with code 3.");
  std::vector<std::string> A = Args("xdg-open");
  ASSERT_EQ(A.size(), 1u);
  EXPECT_EQ(A[0], MailtoUrl(O.MailRecipients(), "Erro & aviso", "Texto & mais\r\n\r\n\r\nreport\r\n.\r\n"));

  // Neither program: a failure, and a retry when the handler asks for one.
  fs::remove(Dir + "/xdg-email");
  fs::remove(Dir + "/xdg-open");
  int Tries = 0;
  R.ActionError = [&](int Code, bool& Retry) {
    EXPECT_EQ(Code, 5);
    Retry = ++Tries < 2;
  };
  EXPECT_FALSE(SendReportByMail(R));
  EXPECT_EQ(Tries, 2);
  EXPECT_EQ(LastErrorCode(), eeEmailShellError);
  EXPECT_EQ(LastErrorMessage().rfind("Cannot start the mail program \"xdg-open\": ", 0), 0u);
}
