#include "ppreport/output/ppTextSearchEngineRegistry.h"

#include <algorithm>
#include <mutex>
#include <vector>

#include "ppreport/core/ppTypes.h"
#include "ppreport/output/ppSearchConsts.h"

namespace {
std::mutex Lock;
std::vector<const TppTextSearchEngineClass*>& List() {
  static std::vector<const TppTextSearchEngineClass*> L;
  return L;
}
}  // namespace

void TppTextSearchEngineRegistry::Register(const TppTextSearchEngineClass* EngineClass) {
  if (!EngineClass) throw ESearchError(ppErrorText("TppTextSearchEngineRegistry", "Register", SppEngineRegisterNil));
  std::lock_guard<std::mutex> Guard(Lock);
  auto& L = List();
  if (std::find(L.begin(), L.end(), EngineClass) == L.end()) L.push_back(EngineClass);
}

void TppTextSearchEngineRegistry::UnRegister(const TppTextSearchEngineClass* EngineClass) {
  if (!EngineClass)
    throw ESearchError(ppErrorText("TppTextSearchEngineRegistry", "UnRegister", SppEngineUnRegisterNil));
  std::lock_guard<std::mutex> Guard(Lock);
  std::erase(List(), EngineClass);
}

const TppTextSearchEngineClass* TppTextSearchEngineRegistry::GetEngineClass(const std::string& Description) {
  std::lock_guard<std::mutex> Guard(Lock);
  const TppTextSearchEngineClass* Found = nullptr;
  for (const TppTextSearchEngineClass* C : List())
    if (C->Description == Description) Found = C;
  return Found;
}

int TppTextSearchEngineRegistry::Count() {
  std::lock_guard<std::mutex> Guard(Lock);
  return static_cast<int>(List().size());
}

void TppTextSearchEngineRegistry::Clear() {
  std::lock_guard<std::mutex> Guard(Lock);
  List().clear();
}
