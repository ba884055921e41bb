#pragma once
// The state every backend keeps and saves with SaveDC.
#include <vector>

#include "platform/graphics/DeviceContext.h"
#include "platform/graphics/FontEngine.h"

struct TDCState {
  TLogPen Pen;
  TLogBrush Brush;
  TLogFont Font;
  TColorRef TextColor = 0, BkColor = 0xFFFFFF;
  int BkMode = OPAQUE;
  uint32_t TextAlign = TA_LEFT | TA_TOP;
  int PolyFillMode = ALTERNATE, Rop2 = R2_COPYPEN, StretchMode = BLACKONWHITE;
  int JustExtra = 0, JustCount = 0;
  int GraphicsMode = GM_COMPATIBLE;
  TXForm World;
  TPoint Pos;

  std::vector<int> Advances(const std::u16string& Text) const {
    return FontEngine::IntAdvances(Font, Text, JustExtra, JustCount);
  }
  // The sum of Advances.
  int TextWidth(const std::u16string& Text) const { return FontEngine::TextWidth(Font, Text, JustExtra, JustCount); }
};

// GDI keeps each saved state as a device-context object under the process's
// GDI object quota (10,000 by default), so saving fails beyond it. The same
// bound keeps a file of nothing but saves from growing memory without limit.
constexpr int MaxSavedDCs = 10000;

// A stack of saved states with GDI's level numbering.
template <class State>
class TStateStack {
public:
  // The new level, or 0 when the stack is full.
  int Push(const State& S) {
    if (FSaved.size() >= static_cast<size_t>(MaxSavedDCs)) return 0;
    FSaved.push_back(S);
    return static_cast<int>(FSaved.size());
  }
  // Restores into S; false when the level does not exist (nothing changes).
  bool Pop(int Level, State& S) {
    int Count = static_cast<int>(FSaved.size());
    int Target = Level < 0 ? Count + Level + 1 : Level;  // the level to go back to
    if (Target < 1 || Target > Count) return false;
    S = FSaved[Target - 1];
    FSaved.resize(Target - 1);
    return true;
  }
  int Depth() const { return static_cast<int>(FSaved.size()); }

private:
  std::vector<State> FSaved;
};
