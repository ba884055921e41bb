#include "ppreport/core/ppModelPalette.h"

#include <string_view>

#include "platform/classes/Classes.h"
#include "platform/classes/TypInfo.h"
#include "platform/rtl/SysUtils.h"
#include "ppreport/core/ppConsts.h"
#include "ppreport/core/ppPalette.h"
#include "ppreport/core/ppTypes.h"

namespace {
constexpr char Standard[] = "Standard Components";
constexpr char Data[] = "Data Components";
constexpr char Advanced[] = "Advanced Components";

constexpr TppPaletteEntry Entries[] = {
    {"TppLabel", Standard, 0, 172},        {"TppMemo", Standard, 1, 175},
    {"TppRichText", Standard, 2, 351},     {"TppSystemVariable", Standard, 3, 491},
    {"TppVariable", Standard, 4, 492},     {"TppImage", Standard, 5, 170},
    {"TppShape", Standard, 6, 178},        {"TppLine", Standard, 7, 174},
    {"TppBarCode", Standard, 8, 460},      {"TppDBText", Data, 0, 167},
    {"TppDBMemo", Data, 1, 166},           {"TppDBRichText", Data, 2, 352},
    {"TppDBCalc", Data, 3, 164},           {"TppDBImage", Data, 4, 165},
    {"TppDBBarCode", Data, 5, 461},        {"TppRegion", Advanced, 0, 368},
    {"TppSubReport", Advanced, 1, 369},    {"TppPageBreak", Advanced, 2, 1151},
};

const TppPaletteEntry& EntryOf(const TClassInfo& C) {
  for (const TppPaletteEntry& E : Entries)
    if (std::string_view(C.Name) == E.ClassName) return E;
  throw ETalvorError(ppErrorText("ppRegisterModelComponents", C.Name, SppNotOnPalette));
}
}  // namespace

void ppRegisterComponent(const TClassInfo& ComponentClass, const std::string& ToolBarName, int ToolBarPosition,
                         intptr_t, const std::string& Hint, int HintIndex) {
  TppRegisterComponentProc Hook = ppRegisterComponentHook();
  if (!Hook) throw EComponentError(SppCannotRegisterComponents);
  Hook(ComponentClass, ToolBarName, ToolBarPosition, HintIndex, Hint);
}

void ppUnregisterComponent(const TClassInfo& ComponentClass) {
  TppUnregisterComponentProc Hook = ppUnregisterComponentHook();
  if (!Hook) throw EComponentError(SppCannotUnregisterComponents);
  Hook(&ComponentClass);
}

std::span<const TppPaletteEntry> ppModelPaletteEntries() { return Entries; }

void ppRegisterModelComponents(std::initializer_list<const TClassInfo*> Classes) {
  for (const TClassInfo* C : Classes) EntryOf(*C);  // all or none
  for (const TClassInfo* C : Classes) {
    const TppPaletteEntry& E = EntryOf(*C);
    ppRegisterComponent(*C, E.ToolBarName, E.ToolBarPosition, 0, "", E.HintIndex);
  }
}

void ppUnregisterModelComponents(std::initializer_list<const TClassInfo*> Classes) {
  for (const TClassInfo* C : Classes) ppUnregisterComponent(*C);
}
