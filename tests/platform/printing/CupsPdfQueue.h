#pragma once
// Finds the PDF that the CUPS PDF queue made for a job: cups-pdf writes to the
// "Out" folder of /etc/cups/cups-pdf.conf (${HOME} is the submitting user's
// home), or to its anonymous spool, naming the file after the job title.
#include <pwd.h>
#include <unistd.h>

#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>
#include <thread>
#include <vector>

constexpr const char* CupsPdfQueueName = "MivoPDF";

inline std::vector<std::string> CupsPdfFolders() {
  std::vector<std::string> L;
  if (const char* E = std::getenv("MOR_CUPS_PDF_DIR")) L.push_back(E);
  std::string Home = std::getenv("HOME") ? std::getenv("HOME") : "/root";
  std::ifstream Conf("/etc/cups/cups-pdf.conf");
  for (std::string Line; std::getline(Conf, Line);) {
    if (Line.rfind("Out ", 0) != 0) continue;
    std::string Dir = Line.substr(4);
    if (auto P = Dir.find("${HOME}"); P != std::string::npos) Dir.replace(P, 7, Home);
    L.push_back(Dir);
  }
  L.push_back(Home + "/PDF");
  // cups-pdf writes to the submitting user's home as the system knows it.
  if (const passwd* Pw = getpwuid(getuid()); Pw && Pw->pw_dir) L.push_back(std::string(Pw->pw_dir) + "/PDF");
  L.push_back("/var/spool/cups-pdf/ANONYMOUS");
  return L;
}

// A title only letters and digits, unique to this process and moment, that
// survives cups-pdf's file naming.
inline std::string UniqueJobTitle(const std::string& Prefix) {
  return Prefix + std::to_string(getpid()) + "T" +
         std::to_string(std::chrono::steady_clock::now().time_since_epoch().count() % 100000000);
}

// Waits up to TimeoutSeconds for a finished PDF whose name contains Token.
inline std::string WaitForCupsPdf(const std::string& Token, int TimeoutSeconds = 60) {
  namespace fs = std::filesystem;
  auto Deadline = std::chrono::steady_clock::now() + std::chrono::seconds(TimeoutSeconds);
  std::string Found;
  uintmax_t LastSize = 0;
  while (std::chrono::steady_clock::now() < Deadline) {
    for (const auto& Dir : CupsPdfFolders()) {
      std::error_code Ec;
      for (fs::directory_iterator It(Dir, Ec), End; !Ec && It != End; It.increment(Ec)) {
        std::string Name = It->path().filename().string();
        if (Name.find(Token) != std::string::npos && Name.size() > 4 && Name.substr(Name.size() - 4) == ".pdf")
          Found = It->path().string();
      }
    }
    if (!Found.empty()) {
      std::error_code Ec;
      uintmax_t Size = fs::file_size(Found, Ec);
      // cups-pdf writes the file in place: take it once its size holds still.
      if (!Ec && Size > 0 && Size == LastSize) return Found;
      LastSize = Ec ? 0 : Size;
    }
    std::this_thread::sleep_for(std::chrono::milliseconds(300));
  }
  return Found;
}
