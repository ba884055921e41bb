#pragma once
// Stand-alone routines of the pp library: page lists, system-variable texts, fitting and splitting
// texts, temporary files, published properties by name and the main-thread test of background
// printing.
#include <cstdint>
#include <string>
#include <string_view>

#include "platform/classes/Classes.h"
#include "platform/classes/TypInfo.h"
#include "platform/graphics/Types.h"
#include "platform/rtl/DateTime.h"
#include "ppreport/core/ppTypes.h"

class TMemoryStream;
class TStringList;
class TStrings;
class TPersistent;

// ---- Page lists

// The largest page number a list may name (its entries are 8 characters wide) and the most pages
// one list may hold.
constexpr int ppMaxPageListPage = 99999999;
constexpr size_t ppMaxPageListCount = 100000;
// Fills List (cleared first) with the pages Text names, in the syntax of language string 11
// ("1,3,5-12"): each page once, as Format("%8d") so that text order is numeric order, sorted;
// TrimResult removes the leading blanks afterwards. A range from a larger to a smaller number names
// only its ends; "-" without a number before it is ignored; other characters only separate.
// Raises EPrintError (language string 11) for a page above ppMaxPageListPage or a list of more
// than ppMaxPageListCount pages.
void ParsePageList(std::string_view Text, TStringList& List, bool TrimResult);

// ---- System variables

// The text of a system variable. While not Printing the page number and count are 1 and the print
// date-time is now. vtDocumentName leaves Text as the caller set it.
void FormatSystemVariable(TppVarType VarType, int PageNo, int PageCount, std::string& Text, bool Printing,
                          TDateTime PrintDateTime);
void GetSystemVariableText(TppVarType VarType, int PageNo, int PageCount, std::string& Text, bool Printing,
                           TDateTime PrintDateTime);
// ctCustom (and anything unknown) is vtDate.
TppVarType CalcTypeToVarType(TppCalcType CalcType);

// ---- Texts (lengths count characters, not bytes)

// Every part before a ",", empty ones too; what follows the last "," only when not empty.
void SplitCommaList(std::string_view Text, TStrings& List);
// Text cut or padded with blanks to Length characters: after it (taLeftJustify), before it
// (taRightJustify) or split with the smaller half before (taCenter).
std::string PadText(std::string_view Text, int Length, TAlignment Alignment);
std::string RemoveChar(char Ch, std::string_view Text);
// The path up to and including its last "/" (or "\"); empty when it has none.
std::string ExtractDirectoryPart(std::string_view Path);
// The first "." of every entry becomes the locale's decimal separator.
void LocalizeDecimalPoints(TStrings& List);
// Stream cleared, then the list's text (lines ended by CR LF) without a terminating zero.
void StringsToStream(const TStrings* List, TMemoryStream* Stream);
// Equal ignoring letter case, accented letters included.
bool IsSameText(std::string_view A, std::string_view B);
// The locale's date-time text; raises EConvertError.
TDateTime TextToDateTime(std::string_view Text);
// "9.01" -> 9010: the leading digits and points (at most 19), the first point removed, zeros
// appended up to 4 digits.
int64_t VersionToInteger(std::string_view Text);
TRect MakeRect(int Left, int Top, int Right, int Bottom);
std::string GetEnumValueName(const TEnumInfo& TypeInfo, int Value);

struct TppStrUtils {
  static std::string Left(std::string_view Text, int Count);
};
struct TppMath {
  static int Max(int A, int B) { return A > B ? A : B; }
};

// ---- Files

// The system's temporary folder, with a trailing "/".
std::string GetTempDirectory();
// A new, empty file in Directory whose name starts with up to three characters of Prefix.
// Raises EFCreateError when none can be made.
std::string MakeTempFileName(const std::string& Directory, std::string_view Prefix);

// ---- Published properties by name (one that is not published is passed over quietly)

bool HasPublishedProperty(const TPersistent* Object, std::string_view Name);
int64_t GetOrdPropByName(const TPersistent* Object, std::string_view Name);
std::string GetStrPropByName(const TPersistent* Object, std::string_view Name);
void SetOrdPropByName(TPersistent* Object, std::string_view Name, int64_t Value);
void SetMethodPropByName(TPersistent* Object, std::string_view Name, const TMethod& Method);
// The published method Name of the object's class bound to Object; unassigned when there is none.
TMethod MethodByName(TPersistent* Object, std::string_view Name);

// ---- Main-thread context

// True on the main thread (the one that started the library), and on any other thread while it is
// inside EnterMainThreadContext / LeaveMainThreadContext. The count is the calling thread's own, so
// a worker entering it changes nothing for the other threads.
bool IsMainThreadContext();
void EnterMainThreadContext();
// Never below 0.
void LeaveMainThreadContext();
