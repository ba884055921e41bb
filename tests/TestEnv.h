#pragma once
// Sets an environment variable for one scope and puts the old value (or its absence) back.
#include <cstdlib>
#include <string>

class TEnvScope {
public:
  TEnvScope(const char* Name, const std::string& Value) : FName(Name) {
    if (const char* Old = std::getenv(Name)) FOld = Old, FHad = true;
    ::setenv(Name, Value.c_str(), 1);
  }
  ~TEnvScope() { FHad ? (void)::setenv(FName, FOld.c_str(), 1) : (void)::unsetenv(FName); }
  TEnvScope(const TEnvScope&) = delete;
  TEnvScope& operator=(const TEnvScope&) = delete;

private:
  const char* FName;
  std::string FOld;
  bool FHad = false;
};
