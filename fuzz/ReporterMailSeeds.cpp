// Writes the seed corpora of fuzz_reporter_dns (MX replies, well-formed and hostile, the tests'
// own) and fuzz_reporter_smtp_reply (server replies) into fuzz/corpus.
//   fuzz_reporter_mail_seeds <repository folder>
#include <filesystem>
#include <fstream>
#include <string>

#include "tests/exceptions/DnsReplies.h"

namespace {
void Save(const std::filesystem::path& File, const std::string& Bytes) {
  std::filesystem::create_directories(File.parent_path());
  std::ofstream(File, std::ios::binary) << Bytes;
}
}  // namespace

int main(int argc, char** argv) {
  using DnsReplies::MxReply;
  std::filesystem::path Root = argc > 1 ? argv[1] : ".";
  std::filesystem::path Dns = Root / "fuzz/corpus/fuzz_reporter_dns", Smtp = Root / "fuzz/corpus/fuzz_reporter_smtp_reply";
  // The identifier 0x4141 is the one the target also tries.
  std::string Two = MxReply(0x4141, "example.com", {{20, "mx20.example.com"}, {10, "mx10.other.org"}});
  Save(Dns / "two-preferences", Two);
  Save(Dns / "truncated", Two.substr(0, Two.size() - 7));
  Save(Dns / "cname", MxReply(0x4141, "example.com", {{0, "", 5, std::string("\xC0\x0C", 2)}}));
  std::string Loop = MxReply(0x4141, "example.com", {{10, "", 15, std::string("\x00\x0A\xC0\x00", 4)}});
  Loop[Loop.size() - 1] = char(Loop.size() - 2);
  Save(Dns / "pointer-loop", Loop);
  Save(Dns / "null-mx", MxReply(0x4141, "example.com", {{0, ""}}));
  Save(Dns / "name-error", MxReply(0x4141, "example.com", {}, 0x8183));

  Save(Smtp / "greeting", "220 mail.example.com ESMTP ready\r\n");
  Save(Smtp / "ehlo", "250-mail.example.com\r\n250-SIZE 1000000\r\n250-AUTH LOGIN PLAIN\r\n250 HELP\r\n");
  Save(Smtp / "refusal", "550 5.1.1 no such user\r\n");
  Save(Smtp / "two-replies", "334 VXNlcm5hbWU6\r\n235 ok\r\n");
  Save(Smtp / "unfinished", "250-first line\r\n250-second");
  Save(Smtp / "no-code", "hello there\n");
  return 0;
}
