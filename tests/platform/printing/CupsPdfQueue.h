#pragma once
// Finds the PDF that the CUPS PDF queue made for a job: cups-pdf writes to the
// "Out" folder of /etc/cups/cups-pdf.conf (${HOME} is the submitting user's
// home), or to its anonymous spool, naming the file after the job title.
#include <cups/cups.h>
#include <pwd.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
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

// Waits up to TimeoutSeconds for the job titled with Token on the PDF queue to
// complete, then returns the PDF that cups-pdf wrote for it (its backend has
// closed the file when the job completes). Empty when the job was cancelled or
// aborted, did not complete in time, or left no file.
inline std::string WaitForCupsPdf(const std::string& Token, int TimeoutSeconds = 60) {
  namespace fs = std::filesystem;
  auto Deadline = std::chrono::steady_clock::now() + std::chrono::seconds(TimeoutSeconds);
  ipp_jstate_t State = IPP_JSTATE_PENDING;
  while (std::chrono::steady_clock::now() < Deadline) {
    cups_job_t* Jobs = nullptr;
    int N = cupsGetJobs2(CUPS_HTTP_DEFAULT, &Jobs, CupsPdfQueueName, 0, CUPS_WHICHJOBS_ALL);
    for (int I = 0; I < N; ++I)
      if (Jobs[I].title && std::string(Jobs[I].title).find(Token) != std::string::npos) State = Jobs[I].state;
    cupsFreeJobs(N, Jobs);
    if (State >= IPP_JSTATE_CANCELED) break;
    std::this_thread::sleep_for(std::chrono::milliseconds(100));
  }
  if (State != IPP_JSTATE_COMPLETED) {
    std::fprintf(stderr, "CUPS job %s: state %d (%s) after waiting\n", Token.c_str(), static_cast<int>(State),
                 State == IPP_JSTATE_PENDING ? "pending or not listed" : ippEnumString("job-state", State));
    return {};
  }
  for (const auto& Dir : CupsPdfFolders()) {
    std::error_code Ec;
    for (fs::directory_iterator It(Dir, Ec), End; !Ec && It != End; It.increment(Ec)) {
      std::string Name = It->path().filename().string();
      if (Name.find(Token) != std::string::npos && Name.size() > 4 && Name.substr(Name.size() - 4) == ".pdf")
        return It->path().string();
    }
  }
  std::fprintf(stderr, "CUPS job %s completed, but no PDF named after it in:", Token.c_str());
  for (const auto& Dir : CupsPdfFolders()) std::fprintf(stderr, " %s", Dir.c_str());
  std::fprintf(stderr, "\n");
  return {};
}

// Whether CUPS holds a job, in any state on any queue, whose title contains Token.
inline bool CupsJobExists(const std::string& Token) {
  cups_job_t* Jobs = nullptr;
  int N = cupsGetJobs2(CUPS_HTTP_DEFAULT, &Jobs, nullptr, 0, CUPS_WHICHJOBS_ALL);
  bool Found = false;
  for (int I = 0; I < N; ++I) Found = Found || (Jobs[I].title && std::string(Jobs[I].title).find(Token) != std::string::npos);
  cupsFreeJobs(N, Jobs);
  return Found;
}

// A cups-pdf queue of the test's own, removed again at the end; Ok() is false where the test may
// not add queues (no CUPS, no rights). Reject() makes it refuse new jobs, as `cupsreject` does.
class TCupsTestQueue {
public:
  explicit TCupsTestQueue(const std::string& Name) : FName(Name) {
    FOk = Admin("lpadmin -p '" + FName + "' -v cups-pdf:/ -m lsb/usr/cups-pdf/CUPS-PDF_opt.ppd -E") &&
          Admin("cupsenable '" + FName + "'") && Admin("cupsaccept '" + FName + "'");
  }
  ~TCupsTestQueue() { Admin("lpadmin -x '" + FName + "'"); }
  TCupsTestQueue(const TCupsTestQueue&) = delete;
  TCupsTestQueue& operator=(const TCupsTestQueue&) = delete;
  bool Ok() const { return FOk; }
  const std::string& Name() const { return FName; }
  bool Reject() { return Admin("cupsreject '" + FName + "'"); }

private:
  static bool Admin(const std::string& Cmd) {
    std::string Sudo = getuid() == 0 ? "" : "sudo -n ";
    return std::system((Sudo + Cmd + " >/dev/null 2>&1").c_str()) == 0;
  }
  std::string FName;
  bool FOk = false;
};
