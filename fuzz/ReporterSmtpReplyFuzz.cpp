// Feeds arbitrary bytes as what an SMTP server says to the reporter's reply reader, over a
// socket pair whose far end then closes: the reader ends (a reply, a refusal or a socket error,
// never a hang) and raises nothing else.
#include <sys/socket.h>
#include <unistd.h>

#include <cstdint>
#include <cstdlib>

#include "exceptions/deliver/TarvikSmtp.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* Data, size_t Size) {
  int Pair[2];
  if (::socketpair(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0, Pair) != 0) return 0;
  int Buffer = 1 << 20;
  ::setsockopt(Pair[0], SOL_SOCKET, SO_SNDBUF, &Buffer, sizeof Buffer);
  ::setsockopt(Pair[1], SOL_SOCKET, SO_RCVBUF, &Buffer, sizeof Buffer);
  for (size_t Sent = 0; Sent < Size;) {
    ssize_t N = ::send(Pair[0], Data + Sent, Size - Sent, MSG_NOSIGNAL);
    if (N <= 0) break;
    Sent += size_t(N);
  }
  ::close(Pair[0]);
  TTarvikClientSMTP S("fuzz", 2000, 25);
  S.Handle = Pair[1];
  S.Connected = true;
  try {
    while (S.Connected && S.CheckReply({250})) {
    }
  } catch (const ETarvikSocketError&) {
  } catch (const EConvertError&) {
  }
  std::string Reply(reinterpret_cast<const char*>(Data), Size);
  if (SmtpReplyComplete(Reply)) try {
      SmtpReplyCode(Reply);
    } catch (const EConvertError&) {
    }
  return 0;
}
