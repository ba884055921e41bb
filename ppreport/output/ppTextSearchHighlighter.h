#pragma once
// Highlighters turn a search hit into something visible on the page the viewer shows. The plain
// text one makes a text command that paints the matched characters again in highlight colours,
// exactly over the match; the engine owns it and draws it over the page. A registry maps draw
// command classes to highlighters (one instance per highlighter class, reused for every hit).
#include <functional>
#include <memory>
#include <string>
#include <typeindex>

#include "platform/graphics/Types.h"
#include "ppreport/core/ppDrwCmd.h"

class TCanvas;
class TppTextSearchOccurrence;

using TppOwnedDrawCommand = std::unique_ptr<TppDrawCommand, TComponentDeleter>;

class TppTextSearchDrawCommandHighlighter {
public:
  TppTextSearchDrawCommandHighlighter() = default;
  virtual ~TppTextSearchDrawCommandHighlighter() = default;

  // The base checks its arguments (ESearchHighlightError) and makes nothing.
  virtual TppOwnedDrawCommand CreateHighlight(TppDrawCommand* Command, TppTextSearchOccurrence* Occurrence,
                                              const std::string& SearchText, TCanvas* Canvas);
  virtual void EraseHighlight(TppDrawCommand* Command, TppTextSearchOccurrence* Occurrence,
                              const std::string& SearchText, TCanvas* Canvas);

  // Set by the engine before each use.
  double ScaleX = 1.0, ScaleY = 1.0;  // the viewer's zoom
  bool CaseSensitive = false;
  bool WholeWord = false;
  // How a plain-text highlight looks.
  TColor Color = clHighlight;
  TColor TextColor = clHighlightText;
  bool Transparent = false;
};

// Plain text: the hit's characters painted again over the command (its OrdinalInLine-th match of
// its line). The command must carry the screen device's layout values.
class TppTextSearchHighlighter : public TppTextSearchDrawCommandHighlighter {
public:
  TppOwnedDrawCommand CreateHighlight(TppDrawCommand* Command, TppTextSearchOccurrence* Occurrence,
                                      const std::string& SearchText, TCanvas* Canvas) override;

protected:
  // The highlight command for the located match (no position yet).
  virtual std::unique_ptr<TppDrawText, TComponentDeleter> CreateHighlightCommand();
  // The next match in Rest: Rest loses everything up to the match's end, which goes to Prefix, and
  // Consumed grows by as much; MatchLength is the match's length in the text. 0 when none (nothing
  // changes).
  virtual int32_t FindNextInLine(const std::string& SearchText, std::string& Rest, int32_t& Consumed,
                                 int32_t& MatchLength, std::string& Prefix);

  // The state of one CreateHighlight call.
  std::string FLineText;
  TppDrawText* FTextCommand = nullptr;
  int32_t FTop = 0, FHeight = 0, FWidth = 0, FLeft = 0;  // microns, relative to the command
  std::string FMatchedText;
  TCanvas* FCanvas = nullptr;

private:
  void LocateMatch(const std::string& Line, const std::string& SearchText, int32_t Ordinal);
  void CalculateSize(bool FullJustified);
};

// The highlighter of text commands: the system's selection colours.
class TppTextSearchSelectionHighlighter : public TppTextSearchHighlighter {
public:
  TppTextSearchSelectionHighlighter() {
    Color = clHighlight;
    TextColor = clHighlightText;
  }
};

// A highlighter class as the registry holds it: its identity and how to make one.
struct TppHighlighterClass {
  std::type_index Type;
  std::function<std::unique_ptr<TppTextSearchDrawCommandHighlighter>()> Create;
  template <class H>
  static TppHighlighterClass Of() {
    return {typeid(H), [] { return std::make_unique<H>(); }};
  }
};

class TppTextSearchDrawCommandHighlightRegistry {
public:
  static void Register(const TClassInfo& CommandClass, const TppHighlighterClass& Highlighter);
  // Removes the first registration of exactly this pair.
  static void UnRegister(const TClassInfo& CommandClass, const TppHighlighterClass& Highlighter);
  template <class C, class H>
  static void Register() {
    Register(C::StaticClassInfo(), TppHighlighterClass::Of<H>());
  }
  template <class C, class H>
  static void UnRegister() {
    UnRegister(C::StaticClassInfo(), TppHighlighterClass::Of<H>());
  }
  // The class or one of its ancestors is registered.
  static bool HasHighlighter(const TClassInfo& CommandClass);
  // The registration for the command's class: among those of the class and its ancestors the most
  // general, and of several for one class the last. ESearchError when there is none.
  static const TppHighlighterClass& GetHighlighterClass(const TppDrawCommand& Command);
  // The one instance of that highlighter class, made on first use.
  static TppTextSearchDrawCommandHighlighter& GetHighlighter(const TppDrawCommand& Command);
  // Drops every registration and instance (shutdown).
  static void Clear();
};
