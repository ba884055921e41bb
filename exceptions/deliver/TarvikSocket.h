#pragma once
// The reporter's own small client socket (blocking IPv4 TCP or UDP, every wait bounded by poll)
// and its own DNS client for the mail exchanger of a domain, so that mail goes out without any
// mail library of the system.
#include <netinet/in.h>

#include <chrono>
#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "platform/classes/Classes.h"
#include "platform/rtl/SysUtils.h"

DECLARE_EXCEPTION(ETarvikSocketError, Exception)

constexpr int SOCK_TYPE_STREAM = 1, SOCK_TYPE_DGRAM = 2;

class TTarvikClientSocket : public TObject {
public:
  using TErrorEvent = std::function<void(TTarvikClientSocket* Sender, int Code, const std::string& Message)>;
  using TProgressEvent = std::function<void(TTarvikClientSocket* Sender, int64_t Position, int64_t Total)>;

  TTarvikClientSocket(const std::string& Host, int Timeout, bool Tcp, int Port);
  ~TTarvikClientSocket() override;
  TTarvikClientSocket(const TTarvikClientSocket&) = delete;
  TTarvikClientSocket& operator=(const TTarvikClientSocket&) = delete;

  // Looks the host up (IPv4) and connects within Timeout; nothing when connected. A host without
  // an address fails: there is no fallback address.
  virtual void Connect();
  virtual void Disconnect();

  // The count sent; 0 when not connected, -1 when the send timed out (the peer takes nothing).
  int SendBuffer(const void* Buffer, int Length);
  // In pieces of at most 1024 bytes, reporting progress after each; the total sent.
  int SendText(const std::string& Text);
  // Size -1: the bytes waiting (FIONREAD), nothing read. 0 when the peer has closed.
  int ReceiveBuffer(void* Buffer, int Size);
  // What is waiting, and what follows with pauses shorter than IdleGapMs (a datagram socket: the
  // one datagram waiting). Empty when nothing waits.
  std::string ReceiveText();
  // ReceiveText until it gives text; "Socket timeout." after Timeout ms without any.
  std::string ReceiveReply();

  sockaddr_in Address{};
  std::string Host;
  int Port = 0;
  int SocketType = SOCK_TYPE_STREAM;
  int Timeout = 0;
  // The end of the whole exchange: every wait (connecting, sending, each reply) ends by it, even
  // when Timeout would allow more. None by default.
  std::chrono::steady_clock::time_point Deadline = std::chrono::steady_clock::time_point::max();
  bool Connected = false;
  int Handle = -1;
  std::string Log;
  TErrorEvent OnError;
  TProgressEvent OnProgress;
  bool AbortOnError = false;
  int IdleGapMs = 1000;  // the pause that ends a text
  bool PeerClosed = false;

protected:
  [[noreturn]] void RaiseError(const std::string& Message);
  // The time one wait may take: Timeout, cut by the Deadline; "Socket timeout." once the Deadline
  // has passed.
  int WaitLimitMs();
  // Waits up to Ms for bytes (or the peer's close); false when none came.
  bool WaitReadable(int Ms);
  // Appends what is waiting to Text and Log; false when the peer has closed.
  bool ReadWaiting(std::string& Text);
};

// ---- The mail exchanger ----

struct TDnsServer {
  std::string Host;  // dotted IPv4 address
  int Port = 53;
};
// The servers ResolveMxHost asks, in order: those set here, else the system's (resolv.conf) and
// one public resolver last. Returns the previous list; an empty list goes back to the system's.
std::vector<TDnsServer> SetDnsServers(std::vector<TDnsServer> Servers);
std::vector<TDnsServer> DnsServers();

// The query for the MX records of Domain with identifier Id. Raises ETarvikSocketError for a
// domain that is no DNS name (empty or overlong labels).
std::string BuildMxQuery(const std::string& Domain, uint16_t Id);
// The exchanger with the lowest preference (the first of equals) in a reply to query Id, or ""
// when the reply is not an answer to it or holds no usable MX record. Reads nothing outside the
// reply, follows at most a fixed number of compression pointers per name.
std::string ParseMxReply(const void* Reply, size_t Size, uint16_t Id);
// The mail exchanger of the domain after the first "@" of Address (the whole text without one).
// Each server is asked once, all of them within TimeoutMs; a socket error (a server that does not
// answer in time among them) ends the lookup.
std::string ResolveMxHost(const std::string& Address, int TimeoutMs = 30000);
