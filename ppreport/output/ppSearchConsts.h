#pragma once
// The texts of the pp text search's own errors, each written once (English, as programmer errors
// read: the class and operation come first through ppErrorText). Patterns take their arguments
// through Format (platform/rtl/SysUtils.h).

// Pages and page lists
inline constexpr char SppSearchOccurrenceIndex[] = "Must reference an index in range of DrawCommmandCount";
inline constexpr char SppSearchPositionFormat[] = "Formatting failure";
inline constexpr char SppSearchPageListEmpty[] = "Current page search object list is empty.";
inline constexpr char SppSearchIndexNotFound[] = "Cannot find the search index in the page range: %d";

// Toolbox
inline constexpr char SppSearchNoCanvas[] = "Must assign current canvas before calling this routine.";

// Highlighters
inline constexpr char SppHighlightNoCommand[] = "Must pass a non nil draw command object.";
inline constexpr char SppHighlightNoOccurrence[] = "Must pass a non nil draw command search Artifact object.";
inline constexpr char SppHighlightNoCanvas[] = "Must pass a non nil TCanvas object.";
inline constexpr char SppHighlightNotText[] = "Must pass a TppDrawText object.";
inline constexpr char SppHighlightNoScreenMetrics[] = "Must use a screen device to generate highlights. %s";
inline constexpr char SppHighlightNoLineHeight[] = "Must use a screen device to generate highlights.";
inline constexpr char SppHighlightNotCreated[] = "Cannot create a draw command to highligh the text.";
inline constexpr char SppHighlighterNotFound[] = "Unable to find highlighter class for: %s.";
inline constexpr char SppHighlightNoLine[] = "The hit's line %d is not in the command's text.";
