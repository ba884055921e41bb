#pragma once
// Facts about the machine and the running system that a crash report shows: names, memory, disk,
// the operating system and its language, the process's start and the local time zone.
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "platform/rtl/DateTime.h"

// The machine's host name; empty when the system does not give one.
std::string HostName();
// The login name of the effective user (the password database, else $USER or $LOGNAME); empty
// when none is known.
std::string UserName();

// Physical memory in bytes: the total and what is available to new work without swapping
// (MemAvailable; the free memory where the kernel does not report that).
struct TMemoryStatus {
  uint64_t Total = 0;
  uint64_t Available = 0;
};
TMemoryStatus MemoryStatus();

// The file system holding Path, in bytes: its size and what an unprivileged caller may still use.
// Nothing when the file system cannot be asked.
struct TDiskSpace {
  uint64_t Total = 0;
  uint64_t Available = 0;
};
std::optional<TDiskSpace> DiskSpace(const std::string& Path);

// The distribution's name ("PRETTY_NAME" of os-release, else its NAME and VERSION, else the
// kernel's name) and the running kernel's release and build text (uname).
struct TOsVersion {
  std::string Name;
  std::string KernelRelease;
  std::string KernelVersion;
};
TOsVersion OsVersion();
// The same from the text of an os-release file and the kernel's answers.
std::string OsReleaseName(const std::string& OsReleaseText, const std::string& KernelName);

// The language of the user's locale in English words ("Portuguese (Brazil)"), from the installed
// locale that LC_ALL, LC_MESSAGES or LANG select; the locale's own name without its code set
// ("pt_BR") when it is not installed; empty for the C locale.
std::string SystemLanguageName();

// When this process started, in local time.
TDateTime ProcessStartTime();

// The distance of the local zone from UTC at the local moment Local, in minutes east of UTC
// (+330 in India, -180 in Brazil), daylight saving included; the zone is the one TZ names when
// set. In the hour that repeats when clocks go back, the earlier (daylight) offset is taken.
int LocalUtcOffsetMinutes(TDateTime Local);

// The IPv4 name servers of a resolv.conf text ("nameserver" lines), in order, "0.0.0.0" left out.
std::vector<std::string> ParseResolvConf(const std::string& Text);
// Those of /etc/resolv.conf; empty when it cannot be read.
std::vector<std::string> SystemDnsServers();
