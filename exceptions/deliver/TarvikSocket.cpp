#include "exceptions/deliver/TarvikSocket.h"

#include <arpa/inet.h>
#include <fcntl.h>
#include <netdb.h>
#include <poll.h>
#include <sys/ioctl.h>
#include <sys/socket.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <cstring>
#include <mutex>
#include <random>

#include "exceptions/base/TarvikTexts.h"
#include "exceptions/base/TarvikTrace.h"
#include "exceptions/base/TarvikUtils.h"
#include "platform/sys/SystemInfo.h"

namespace {
using TClock = std::chrono::steady_clock;

int MsLeft(TClock::time_point Deadline) {
  auto Left = std::chrono::duration_cast<std::chrono::milliseconds>(Deadline - TClock::now()).count();
  return Left < 0 ? 0 : int(Left);
}

// A datagram larger than any DNS reply over UDP is cut; one read takes the whole datagram.
constexpr int DatagramMax = 65536;
}  // namespace

TTarvikClientSocket::TTarvikClientSocket(const std::string& AHost, int ATimeout, bool Tcp, int APort)
    : Host(AHost), Port(APort), SocketType(Tcp ? SOCK_TYPE_STREAM : SOCK_TYPE_DGRAM), Timeout(ATimeout) {}

TTarvikClientSocket::~TTarvikClientSocket() {
  if (Handle >= 0) ::close(Handle);
}

void TTarvikClientSocket::RaiseError(const std::string& Message) {
  if (OnError) OnError(this, -1, Message);
  if (AbortOnError) throw EAbort(Message);
  throw ETarvikSocketError(Message);
}

int TTarvikClientSocket::WaitLimitMs() {
  if (Deadline == TClock::time_point::max()) return Timeout;
  int Left = MsLeft(Deadline);
  if (Left <= 0) RaiseError(TarvikText::SocketTimeout);
  return Left < Timeout ? Left : Timeout;
}

void TTarvikClientSocket::Connect() {
  if (Connected) return;
  addrinfo Hints{};
  Hints.ai_family = AF_INET;
  Hints.ai_socktype = SocketType == SOCK_TYPE_STREAM ? SOCK_STREAM : SOCK_DGRAM;
  addrinfo* Found = nullptr;
  int Rc = Host.empty() ? EAI_NONAME : getaddrinfo(Host.c_str(), nullptr, &Hints, &Found);
  if (Rc != 0) RaiseError(Format(TarvikText::SocketNoAddress, {Host, std::string(gai_strerror(Rc))}));
  Address = {};
  Address.sin_family = AF_INET;
  Address.sin_addr = reinterpret_cast<sockaddr_in*>(Found->ai_addr)->sin_addr;
  freeaddrinfo(Found);
  Address.sin_port = htons(uint16_t(Port));
  // The "any" address reaches this machine: the report would go to whatever listens here.
  if (Address.sin_addr.s_addr == INADDR_ANY) {
    Address = {};
    RaiseError(Format(TarvikText::SocketNoAddress, {Host, SystemErrorText(EADDRNOTAVAIL)}));
  }

  int Type = (SocketType == SOCK_TYPE_STREAM ? SOCK_STREAM : SOCK_DGRAM) | SOCK_CLOEXEC;
  Handle = ::socket(AF_INET, Type | SOCK_NONBLOCK, 0);
  if (Handle < 0) RaiseError(Format(TarvikText::SocketInvalid, {SystemErrorText(errno)}));
  // Connecting without blocking bounds the wait by Timeout; afterwards the socket blocks.
  int Error = 0;
  if (::connect(Handle, reinterpret_cast<sockaddr*>(&Address), sizeof Address) != 0) {
    Error = errno;
    if (Error == EINPROGRESS) {
      pollfd P{Handle, POLLOUT, 0};
      int N;
      int Limit = Deadline == TClock::time_point::max() ? Timeout : std::min(Timeout, MsLeft(Deadline));
      while ((N = ::poll(&P, 1, Limit)) < 0 && errno == EINTR) {
      }
      socklen_t Len = sizeof Error;
      if (N == 0)
        Error = ETIMEDOUT;
      else if (::getsockopt(Handle, SOL_SOCKET, SO_ERROR, &Error, &Len) != 0)
        Error = errno;
    }
  }
  if (Error != 0) {
    ::close(Handle);
    Handle = -1;
    Address = {};
    RaiseError(Format(TarvikText::SocketConnectError, {SystemErrorText(Error)}));
  }
  ::fcntl(Handle, F_SETFL, ::fcntl(Handle, F_GETFL) & ~O_NONBLOCK);
  timeval Tv{Timeout / 1000, (Timeout % 1000) * 1000};
  ::setsockopt(Handle, SOL_SOCKET, SO_SNDTIMEO, &Tv, sizeof Tv);
  Connected = true;
  PeerClosed = false;
  const auto* B = reinterpret_cast<const uint8_t*>(&Address.sin_addr);
  Log = Format(TarvikText::SocketConnectedLog, {int(B[0]), int(B[1]), int(B[2]), int(B[3]), Port});
}

void TTarvikClientSocket::Disconnect() {
  if (Handle >= 0) {
    int H = Handle;
    Handle = -1;
    Address = {};
    Connected = false;
    Log.clear();
    if (::close(H) != 0 && errno != EINTR) RaiseError(Format(TarvikText::SocketCloseError, {SystemErrorText(errno)}));
    return;
  }
  Address = {};
  Connected = false;
  Log.clear();
}

int TTarvikClientSocket::SendBuffer(const void* Buffer, int Length) {
  if (!Connected) return 0;
  if (Deadline != TClock::time_point::max()) {
    // A peer that takes nothing blocks the send: no longer than the deadline allows.
    int Limit = WaitLimitMs();
    timeval Tv{Limit / 1000, (Limit % 1000) * 1000};
    ::setsockopt(Handle, SOL_SOCKET, SO_SNDTIMEO, &Tv, sizeof Tv);
  }
  ssize_t N;
  while ((N = ::send(Handle, Buffer, size_t(Length), MSG_NOSIGNAL)) < 0 && errno == EINTR) {
  }
  if (N >= 0) return int(N);
  int Error = errno;
  if (Error == EAGAIN || Error == EWOULDBLOCK) return -1;
  Disconnect();
  RaiseError(Format(TarvikText::SocketSendError, {SystemErrorText(Error)}));
}

int TTarvikClientSocket::SendText(const std::string& Text) {
  int Total = 0;
  for (size_t Pos = 0; Pos < Text.size();) {
    size_t Piece = std::min<size_t>(1024, Text.size() - Pos);
    int N = SendBuffer(Text.data() + Pos, int(Piece));
    if (N <= 0) break;
    Pos += size_t(N);
    Total += N;
    if (OnProgress) OnProgress(this, int64_t(Pos) + 1, int64_t(Text.size()));
  }
  return Total;
}

int TTarvikClientSocket::ReceiveBuffer(void* Buffer, int Size) {
  if (!Connected) return 0;
  if (Size < 0) {
    int Waiting = 0;
    if (::ioctl(Handle, FIONREAD, &Waiting) != 0) Waiting = 0;
    return Waiting;
  }
  ssize_t N;
  while ((N = ::recv(Handle, Buffer, size_t(Size), 0)) < 0 && errno == EINTR) {
  }
  if (N >= 0) return int(N);
  int Error = errno;
  if (Error == EAGAIN || Error == EWOULDBLOCK) return 0;
  Disconnect();
  RaiseError(Format(TarvikText::SocketRecvError, {SystemErrorText(Error)}));
}

bool TTarvikClientSocket::WaitReadable(int Ms) {
  if (!Connected) return false;
  pollfd P{Handle, POLLIN, 0};
  auto Deadline = TClock::now() + std::chrono::milliseconds(Ms);
  for (;;) {
    int N = ::poll(&P, 1, MsLeft(Deadline));
    if (N > 0) return true;
    if (N == 0 || errno != EINTR) return false;
  }
}

bool TTarvikClientSocket::ReadWaiting(std::string& Text) {
  int Waiting = ReceiveBuffer(nullptr, -1);
  if (SocketType == SOCK_TYPE_DGRAM) {
    // One datagram, whatever its size (FIONREAD gives 0 for an empty one too).
    std::string D(DatagramMax, '\0');
    int N = ReceiveBuffer(D.data(), DatagramMax);
    if (!Connected) return false;
    D.resize(size_t(N));
    Text += D;
    Log += D;
    return true;
  }
  if (Waiting <= 0) {
    // Readable with nothing waiting: the peer has closed (or an error waits, which recv raises).
    char C;
    int N = ReceiveBuffer(&C, 1);
    if (N == 0) {
      PeerClosed = true;
      return false;
    }
    Text += C;
    Log += C;
    return true;
  }
  std::string D(size_t(Waiting), '\0');
  int N = ReceiveBuffer(D.data(), Waiting);
  D.resize(size_t(N < 0 ? 0 : N));
  Text += D;
  Log += D;
  if (N == 0) PeerClosed = true;
  return N > 0;
}

std::string TTarvikClientSocket::ReceiveText() {
  std::string Text;
  if (!Connected || !WaitReadable(0)) return Text;
  while (ReadWaiting(Text)) {
    if (SocketType == SOCK_TYPE_DGRAM) break;
    if (!WaitReadable(IdleGapMs)) break;
  }
  return Text;
}

std::string TTarvikClientSocket::ReceiveReply() {
  auto Until = TClock::now() + std::chrono::milliseconds(WaitLimitMs());
  for (;;) {
    std::string Text = ReceiveText();
    if (!Text.empty()) return Text;
    if (PeerClosed) RaiseError(TarvikText::SocketClosedByPeer);
    if (!Connected || MsLeft(Until) == 0 || !WaitReadable(MsLeft(Until))) break;
  }
  RaiseError(TarvikText::SocketTimeout);
}

// ---- DNS ----

namespace {
std::mutex DnsLock;
std::vector<TDnsServer> ConfiguredServers;

// The last resort when the system names no server that knows the domain.
constexpr const char* PublicDnsServer = "9.9.9.9";

constexpr uint16_t TypeMx = 15, ClassIn = 1;
constexpr int MaxPointerJumps = 16;
constexpr size_t MaxNameLength = 255;

uint16_t Get16(const uint8_t* P) { return uint16_t(P[0] << 8 | P[1]); }

// Reads the name at Pos; on success Pos is just after the name in place. A name that leaves the
// reply, loops or holds a reserved label type is false.
bool ReadName(const uint8_t* Data, size_t Size, size_t& Pos, std::string* Name) {
  size_t P = Pos, After = 0;
  int Jumps = 0;
  size_t Length = 0;
  for (;;) {
    if (P >= Size) return false;
    uint8_t L = Data[P];
    if ((L & 0xC0) == 0xC0) {
      if (P + 1 >= Size || ++Jumps > MaxPointerJumps) return false;
      if (Jumps == 1) After = P + 2;
      P = size_t(L & 0x3F) << 8 | Data[P + 1];
      continue;
    }
    if (L & 0xC0) return false;  // 0x40 and 0x80: no such label types
    if (L == 0) break;
    if (P + 1 + L > Size || (Length += L + 1) > MaxNameLength) return false;
    if (Name) {
      if (!Name->empty()) *Name += '.';
      for (size_t I = 0; I < L; ++I) {
        char C = char(Data[P + 1 + I]);
        // A host name: printable, no dot inside a label.
        if (C <= ' ' || C == '.' || uint8_t(C) >= 0x7F) return false;
        *Name += C;
      }
    }
    P += 1 + L;
  }
  Pos = Jumps ? After : P + 1;
  return true;
}
}  // namespace

std::vector<TDnsServer> SetDnsServers(std::vector<TDnsServer> Servers) {
  std::lock_guard<std::mutex> L(DnsLock);
  std::swap(ConfiguredServers, Servers);
  return Servers;
}

std::vector<TDnsServer> DnsServers() {
  {
    std::lock_guard<std::mutex> L(DnsLock);
    if (!ConfiguredServers.empty()) return ConfiguredServers;
  }
  std::vector<TDnsServer> Servers;
  for (const std::string& S : SystemDnsServers()) Servers.push_back({S, 53});
  Servers.push_back({PublicDnsServer, 53});
  return Servers;
}

std::string BuildMxQuery(const std::string& Domain, uint16_t Id) {
  std::string Name = Domain;
  if (!Name.empty() && Name.back() == '.') Name.pop_back();
  std::string Q;
  Q += char(Id >> 8);
  Q += char(Id & 0xFF);
  Q += std::string("\x01\x00\x00\x01\x00\x00\x00\x00\x00\x00", 10);
  size_t Start = 0;
  bool Valid = !Name.empty() && Name.size() <= 253;
  while (Valid) {
    size_t Dot = Name.find('.', Start);
    size_t End = Dot == std::string::npos ? Name.size() : Dot;
    size_t L = End - Start;
    if (L == 0 || L > 63) {
      Valid = false;
      break;
    }
    Q += char(L);
    Q.append(Name, Start, L);
    if (Dot == std::string::npos) break;
    Start = Dot + 1;
  }
  if (!Valid) throw ETarvikSocketError(Format(TarvikText::MxNotResolved, {Domain}));
  Q += std::string("\x00\x00\x0F\x00\x01", 5);
  return Q;
}

std::string ParseMxReply(const void* Reply, size_t Size, uint16_t Id) {
  const auto* D = static_cast<const uint8_t*>(Reply);
  if (Size < 12 || Get16(D) != Id) return "";
  uint16_t Flags = Get16(D + 2);
  // An answer (QR), a standard query, no error code.
  if (!(Flags & 0x8000) || (Flags & 0x7800) || (Flags & 0x000F)) return "";
  size_t Questions = Get16(D + 4), Answers = Get16(D + 6);
  size_t Pos = 12;
  for (size_t I = 0; I < Questions; ++I) {
    if (!ReadName(D, Size, Pos, nullptr) || Pos + 4 > Size) return "";
    Pos += 4;
  }
  std::string Best;
  int BestPreference = 0x10000;
  // A truncated reply keeps the answers that arrived whole.
  for (size_t I = 0; I < Answers; ++I) {
    if (!ReadName(D, Size, Pos, nullptr) || Pos + 10 > Size) break;
    uint16_t Type = Get16(D + Pos), Class = Get16(D + Pos + 2);
    size_t DataLength = Get16(D + Pos + 8);
    size_t DataStart = Pos + 10;
    if (DataStart + DataLength > Size) break;
    Pos = DataStart + DataLength;
    if (Type != TypeMx || Class != ClassIn || DataLength < 3) continue;
    int Preference = Get16(D + DataStart);
    size_t NamePos = DataStart + 2;
    std::string Exchanger;
    // The name starts inside the record; its pointers may lead anywhere in the reply.
    if (!ReadName(D, Size, NamePos, &Exchanger)) continue;
    if (NamePos > Pos) continue;
    // An empty exchanger ("."): that domain takes no mail through it.
    if (!Exchanger.empty() && Preference < BestPreference) {
      Best = Exchanger;
      BestPreference = Preference;
    }
  }
  return Best;
}

std::string ResolveMxHost(const std::string& Address, int TimeoutMs) {
  size_t At = Address.find('@');
  std::string Domain = At == std::string::npos ? Address : Address.substr(At + 1);
  TraceEntry("ResolveMxHost", {Domain});
  static std::mutex RandomLock;
  static std::mt19937 Random{std::random_device{}()};
  auto Deadline = TClock::now() + std::chrono::milliseconds(TimeoutMs);
  for (const TDnsServer& Server : DnsServers()) {
    uint16_t Id;
    {
      std::lock_guard<std::mutex> L(RandomLock);
      Id = uint16_t(Random());
    }
    std::string Query = BuildMxQuery(Domain, Id);
    TTarvikClientSocket Socket(Server.Host, TimeoutMs, false, Server.Port);
    Socket.Deadline = Deadline;
    Socket.Connect();
    if (Socket.SendText(Query) != int(Query.size())) continue;
    std::string Reply = Socket.ReceiveReply();
    std::string Host = ParseMxReply(Reply.data(), Reply.size(), Id);
    if (!Host.empty()) {
      TraceEntry("MX=", {Host});
      return Host;
    }
  }
  TraceEntry("MX=", {std::string()});
  throw ETarvikSocketError(Format(TarvikText::MxNotResolved, {Domain}));
}
