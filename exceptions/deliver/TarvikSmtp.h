#pragma once
// The reporter's SMTP client: one MIME message per recipient (the body as text, the attachments
// in Base64) through the configured server or straight to each recipient's mail exchanger.
#include <initializer_list>
#include <string>
#include <string_view>
#include <vector>

#include "exceptions/deliver/TarvikSocket.h"
#include "platform/rtl/DateTime.h"

class TTarvikModuleOptions;

class TTarvikClientSMTP : public TTarvikClientSocket {
public:
  TTarvikClientSMTP(const std::string& Host, int Timeout, int Port) : TTarvikClientSocket(Host, Timeout, true, Port) {}
  // Connects and takes the greeting (220); a refused greeting raises with the conversation.
  void Connect() override;
  // Reads one whole reply (every line of a multi-line one); true when its code is accepted.
  bool CheckReply(std::initializer_list<int> Codes);
  // Sends Text (CR LF added) and checks the reply; false for an empty text, which is not sent.
  // A command not sent whole or a reply not accepted raises ETarvikSocketError with the
  // conversation so far.
  bool SendCommand(const std::string& Text, std::initializer_list<int> Codes);
};

// An SMTP reply held so far: complete when it ends with a line break and its last line is no
// continuation ("250-"). Its code: the leading digits (EConvertError without one).
bool SmtpReplyComplete(std::string_view Reply);
int SmtpReplyCode(std::string_view Reply);
constexpr size_t SmtpReplyMax = 65536;

// Base64 (RFC 2045), 60 input bytes a line, every line ended by CR LF; "" for "".
std::string Base64Encode(std::string_view Bytes);
// A header's text: as it is when plain ASCII, else UTF-8 encoded words (RFC 2047); line breaks and
// other control characters become spaces, so a text never adds a header.
std::string EncodeHeaderText(std::string_view Text);
// Every line break made CR LF; a line starting with "." gets a second one (RFC 5321).
std::string DotStuff(std::string_view Text);

struct TMailMessage {
  std::string Sender, Recipient, Subject, Body;
  std::vector<std::string> Attachments;  // paths; empty ones and missing files are left out
  TDateTime Date = 0;
  std::string MessageId;  // "<...@...>"; empty: a new one (NewMessageId)
};
// The message text after DATA, before dot-stuffing and the final ".".
std::string BuildMailMessage(const TMailMessage& Message);
// A message identifier no other message has: "<" 32 random hexadecimal digits in two halves "@"
// the sender's domain (this machine's name when the sender has none) ">".
std::string NewMessageId(const std::string& Sender);

// How long one SmtpSendMail may take, all recipients and lookups together (15 s unless set): a
// server that accepts and never answers holds the crashed program no longer. Past it, the
// recipients not yet served fail ("Socket timeout.").
int SmtpDeliveryTimeoutMs();
void SetSmtpDeliveryTimeoutMs(int Ms);

// Sends the message to every recipient (split as the mail does; empty entries are no recipients),
// each on its own connection: through Host, or, with Direct, through the mail exchanger of the
// recipient's domain (a failed lookup ends the sending). Each failed recipient is an internal
// error (eeEmailSMTPError, "SMTP") and a trace line. True when every recipient got the message.
// Options give the progress texts (the defaults without).
bool SmtpSendMail(bool Direct, const std::string& Sender, const std::string& Host,
                  const std::vector<std::string>& Attachments, const std::string& Body, const std::string& Subject,
                  const std::string& Recipients, const std::string& Password, const std::string& UserName, int Port,
                  const TTarvikModuleOptions* Options = nullptr);
