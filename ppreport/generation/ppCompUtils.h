#pragma once
// Free routines the report library calls when it creates and names components, loads reports and
// checks shift relations. No state.
#include <string>

struct TClassInfo;
class TComponent;
class TppCustomReport;
class TppStretchable;
class TStrings;

// What a report designer's component creator offers: a component of Class made the way the
// designer makes them (its parent, bounds of -1 meaning "the designer's choice").
class IppComponentCreator {
public:
  virtual TComponent* CreateComponent(const TClassInfo& Class, TComponent* Parent, int Left, int Top, int Width,
                                      int Height) = 0;

protected:
  ~IppComponentCreator() = default;
};

// A component of Class beside Component, with a unique Name and user name: made by the designer's
// creator when there is one, else owned by Component's owner (by Component itself when it has
// none). Null when Component is null or not a communicator.
TComponent* CreateUniqueComponent(TComponent* Component, const TClassInfo& Class);

// True when Communicator's user name is Prefix followed by a number above 0, which goes to Number
// (0 otherwise).
bool GetUserNameSuffixNumber(const std::string& Prefix, const TComponent* Communicator, int& Number);

// Tab stop texts as stored, converted to whole thousandths of a millimetre: read with an explicit
// decimal point or comma, whatever the locale (a text that is no number counts as 0).
void NormalizeTabStopTexts(TStrings& List);

// Every memo of the report's bands gets its tab stops in whole thousandths of a millimetre, as
// NormalizeTabStopTexts makes them; anything but a report is left alone.
void FixMemoTabStopSeparators(TComponent* Report);

// The main report of Report prints, or its engine generates pages (a page request served alone).
bool ppReportGenerating(const TppCustomReport* Report);

// Whether Object may shift relative to Proposed: clearing always may; a region not relative to
// one of its members; no cycle through the chain of Proposed.
bool ppValidShiftRelativeTo(const TppStretchable& Object, const TppStretchable* Proposed);
