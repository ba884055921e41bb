#include "platform/sys/SystemInfo.h"

#include <arpa/inet.h>
#include <langinfo.h>
#include <locale.h>
#include <pwd.h>
#include <sys/statvfs.h>
#include <sys/sysinfo.h>
#include <sys/utsname.h>
#include <unistd.h>

#include <cstdlib>
#include <ctime>
#include <mutex>
#include <sstream>
#include <vector>

#include "platform/rtl/SysUtils.h"
#include "platform/sys/Process.h"

namespace {
// The value of "Key=Value" in an os-release text, its quotes removed.
std::string OsReleaseValue(const std::string& Text, const std::string& Key) {
  std::istringstream In(Text);
  std::string Line;
  while (std::getline(In, Line)) {
    if (Line.compare(0, Key.size() + 1, Key + "=") != 0) continue;
    std::string V = Trim(Line.substr(Key.size() + 1));
    if (V.size() >= 2 && (V.front() == '"' || V.front() == '\'') && V.back() == V.front()) V = V.substr(1, V.size() - 2);
    std::string R;
    for (size_t I = 0; I < V.size(); ++I) {
      if (V[I] == '\\' && I + 1 < V.size()) ++I;
      R += V[I];
    }
    return R;
  }
  return std::string();
}

std::tm LocalTm(std::time_t T) {
  std::tm Tm{};
  localtime_r(&T, &Tm);
  return Tm;
}

TDateTime LocalDateTime(std::time_t T, long Nanoseconds) {
  std::tm Tm = LocalTm(T);
  return EncodeDate(Tm.tm_year + 1900, Tm.tm_mon + 1, Tm.tm_mday) +
         EncodeTime(Tm.tm_hour, Tm.tm_min, Tm.tm_sec, static_cast<int>(Nanoseconds / 1000000));
}
}  // namespace

std::string HostName() {
  char Buf[256] = {};
  if (::gethostname(Buf, sizeof Buf - 1) != 0) return std::string();
  return Buf;
}

std::string UserName() {
  std::vector<char> Buf(16384);
  passwd Pw{}, *Found = nullptr;
  if (::getpwuid_r(::geteuid(), &Pw, Buf.data(), Buf.size(), &Found) == 0 && Found && Found->pw_name)
    return Found->pw_name;
  for (const char* Var : {"USER", "LOGNAME"})
    if (const char* V = std::getenv(Var); V && *V) return V;
  return std::string();
}

TMemoryStatus MemoryStatus() {
  TMemoryStatus R;
  struct sysinfo Si{};
  if (::sysinfo(&Si) == 0) {
    R.Total = static_cast<uint64_t>(Si.totalram) * Si.mem_unit;
    R.Available = static_cast<uint64_t>(Si.freeram) * Si.mem_unit;
  }
  std::istringstream In(ReadSystemFile("/proc/meminfo"));
  std::string Key;
  uint64_t Kb;
  while (In >> Key >> Kb) {
    if (Key == "MemAvailable:") R.Available = Kb * 1024;
    In.ignore(64, '\n');
  }
  return R;
}

std::optional<TDiskSpace> DiskSpace(const std::string& Path) {
  struct statvfs St{};
  if (Path.empty() || ::statvfs(Path.c_str(), &St) != 0) return std::nullopt;
  return TDiskSpace{static_cast<uint64_t>(St.f_blocks) * St.f_frsize, static_cast<uint64_t>(St.f_bavail) * St.f_frsize};
}

std::string OsReleaseName(const std::string& Text, const std::string& KernelName) {
  std::string Name = OsReleaseValue(Text, "PRETTY_NAME");
  if (Name.empty()) {
    Name = OsReleaseValue(Text, "NAME");
    std::string Version = OsReleaseValue(Text, "VERSION");
    if (!Name.empty() && !Version.empty()) Name += " " + Version;
  }
  return Name.empty() ? KernelName : Name;
}

TOsVersion OsVersion() {
  TOsVersion R;
  struct utsname U{};
  std::string Kernel;
  if (::uname(&U) == 0) {
    Kernel = U.sysname;
    R.KernelRelease = U.release;
    R.KernelVersion = Trim(U.version);
  }
  std::string Text = ReadSystemFile("/etc/os-release");
  if (Text.empty()) Text = ReadSystemFile("/usr/lib/os-release");
  R.Name = OsReleaseName(Text, Kernel);
  return R;
}

std::string SystemLanguageName() {
  std::string Name;
  for (const char* Var : {"LC_ALL", "LC_MESSAGES", "LANG"})
    if (const char* V = std::getenv(Var); V && *V) {
      Name = V;
      break;
    }
  // Loading a locale takes about a millisecond: the answer is kept for the locale last asked.
  static std::mutex Lock;
  static std::string LastName, LastAnswer;
  static bool Known = false;
  std::lock_guard<std::mutex> L(Lock);
  if (Known && Name == LastName) return LastAnswer;
  std::string Answer;
  if (locale_t Loc = ::newlocale(LC_ALL_MASK, Name.c_str(), static_cast<locale_t>(nullptr))) {
    std::string Language = ::nl_langinfo_l(_NL_IDENTIFICATION_LANGUAGE, Loc);
    std::string Territory = ::nl_langinfo_l(_NL_IDENTIFICATION_TERRITORY, Loc);
    ::freelocale(Loc);
    if (!Language.empty()) Answer = Territory.empty() ? Language : Language + " (" + Territory + ")";
  }
  if (Answer.empty()) {
    std::string Bare = Name.substr(0, Name.find_first_of(".@"));
    if (Bare != "C" && Bare != "POSIX") Answer = Bare;
  }
  LastName = Name;
  LastAnswer = Answer;
  Known = true;
  return Answer;
}

TDateTime ProcessStartTime() {
  // Field 22 of /proc/self/stat: clock ticks from boot; "btime" of /proc/stat: the boot in seconds.
  std::string Stat = ReadSystemFile("/proc/self/stat");
  size_t Close = Stat.rfind(')');
  std::istringstream Fields(Close == std::string::npos ? std::string() : Stat.substr(Close + 2));
  std::string Field;
  unsigned long long Ticks = 0;
  for (int I = 3; Fields >> Field; ++I)
    if (I == 22) {
      Ticks = std::strtoull(Field.c_str(), nullptr, 10);
      break;
    }
  std::istringstream Sys(ReadSystemFile("/proc/stat"));
  std::string Key;
  unsigned long long Boot = 0;
  while (Sys >> Key) {
    if (Key == "btime") {
      Sys >> Boot;
      break;
    }
    Sys.ignore(1 << 20, '\n');
  }
  long Hz = ::sysconf(_SC_CLK_TCK);
  if (Boot == 0 || Ticks == 0 || Hz <= 0) return Now();
  unsigned long long Centi = Ticks * 100 / static_cast<unsigned long long>(Hz);
  return LocalDateTime(static_cast<std::time_t>(Boot + Centi / 100), static_cast<long>(Centi % 100) * 10000000);
}

int LocalUtcOffsetMinutes(TDateTime Local) {
  ::tzset();
  int Year, Month, Day, Hour, Min, Sec, MSec;
  DecodeDate(Local, Year, Month, Day);
  DecodeTime(Local, Hour, Min, Sec, MSec);
  std::tm Wall{};
  Wall.tm_year = Year - 1900;
  Wall.tm_mon = Month - 1;
  Wall.tm_mday = Day;
  Wall.tm_hour = Hour;
  Wall.tm_min = Min;
  Wall.tm_sec = Sec;
  auto SameWall = [&](const std::tm& T) {
    return T.tm_year == Wall.tm_year && T.tm_mon == Wall.tm_mon && T.tm_mday == Wall.tm_mday &&
           T.tm_hour == Wall.tm_hour && T.tm_min == Wall.tm_min;
  };
  // Read as daylight time first: in the repeated hour that gives the earlier moment.
  std::tm Try = Wall;
  Try.tm_isdst = 1;
  std::time_t T = std::mktime(&Try);
  if (T != static_cast<std::time_t>(-1)) {
    std::tm Back = LocalTm(T);
    if (Back.tm_isdst > 0 && SameWall(Back)) return static_cast<int>(Back.tm_gmtoff / 60);
  }
  Try = Wall;
  Try.tm_isdst = -1;
  T = std::mktime(&Try);
  if (T == static_cast<std::time_t>(-1)) return 0;
  return static_cast<int>(LocalTm(T).tm_gmtoff / 60);
}

std::vector<std::string> ParseResolvConf(const std::string& Text) {
  std::vector<std::string> Servers;
  std::istringstream In(Text);
  std::string Line;
  while (std::getline(In, Line)) {
    std::istringstream Words(Line);
    std::string Key, Value;
    if (!(Words >> Key >> Value) || Key != "nameserver") continue;
    in_addr A;
    // Only IPv4: the reporter's socket speaks nothing else.
    if (inet_pton(AF_INET, Value.c_str(), &A) != 1 || A.s_addr == 0) continue;
    Servers.push_back(Value);
  }
  return Servers;
}

std::vector<std::string> SystemDnsServers() { return ParseResolvConf(ReadSystemFile("/etc/resolv.conf")); }
