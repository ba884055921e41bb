#pragma once
// The search engines by description ("Standard Search", "Full Search"), so that the search preview
// names none of their classes. One process-wide list; the library's shutdown empties it.
#include <functional>
#include <string>

class TComponent;
class TClassInfo;
class TppTextSearchCustomEngine;

// An engine class as the registry holds it: its class record, its description and its factory.
struct TppTextSearchEngineClass {
  const TClassInfo* Class;
  std::string Description;
  std::function<TppTextSearchCustomEngine*(TComponent* Owner)> Create;
};

class TppTextSearchEngineRegistry {
public:
  // ESearchError for null; a class already listed is not added again.
  static void Register(const TppTextSearchEngineClass* EngineClass);
  // ESearchError for null.
  static void UnRegister(const TppTextSearchEngineClass* EngineClass);
  // The last class registered with exactly this description (case counts); null when none.
  static const TppTextSearchEngineClass* GetEngineClass(const std::string& Description);
  static int Count();
  // Empties the list (shutdown).
  static void Clear();
};
