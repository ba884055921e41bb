#pragma once
// The report components' places on the designer palette. The component classes live in the
// generation library, which puts them on the palette (and so registers them for streaming) at
// its start-up through ppRegisterModelComponents; the places are the model's, kept here.
#include <cstdint>
#include <initializer_list>
#include <span>
#include <string>

struct TClassInfo;

// Through the palette unit's hook; EComponentError when no hook is installed.
void ppRegisterComponent(const TClassInfo& ComponentClass, const std::string& ToolBarName, int ToolBarPosition,
                         intptr_t HInstance, const std::string& Hint, int HintIndex);
void ppUnregisterComponent(const TClassInfo& ComponentClass);

struct TppPaletteEntry {
  const char* ClassName;
  const char* ToolBarName;
  int ToolBarPosition;
  int HintIndex;  // the language string of the hint
};
// The 18 report components, page by page.
std::span<const TppPaletteEntry> ppModelPaletteEntries();
// Each class at its place in the table (ETalvorError for a class the table does not list).
void ppRegisterModelComponents(std::initializer_list<const TClassInfo*> Classes);
void ppUnregisterModelComponents(std::initializer_list<const TClassInfo*> Classes);
