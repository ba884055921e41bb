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
inline constexpr char SppRichHighlightNotRichText[] = "Must pass a TppDrawRichText object to highlight, not a %s";

// Engines and their registry
inline constexpr char SppEngineRegisterNil[] = "Cannot register a nil class";
inline constexpr char SppEngineUnRegisterNil[] = "Cannot unregister a nil class";
inline constexpr char SppEngineNoPublisher[] = "Publisher cannot be nil";
inline constexpr char SppEngineNoCanvas[] = "Must have a non nil canvas.";
inline constexpr char SppEngineSearchNoViewer[] =
    "Must assign a non-nil viewer from the device in order to search.";
inline constexpr char SppEngineOffScreenDeactivated[] =
    "The publisher is nil because the off screen device has been deactivated.";
inline constexpr char SppEngineRequestedPageNil[] = "Requested page is nil.";
inline constexpr char SppEngineHighlighterNotRegistered[] =
    "Highlighter class not registered for draw ommand class %s.";
inline constexpr char SppEngineHighlightNotCreated[] = "Could not create highlight draw command for %s.\r\n%s";
inline constexpr char SppEngineHighlightNotErased[] = "Could not erase highlight draw command for %s.\r\n%s";
inline constexpr char SppEngineNavigateNoViewer[] = "Cannot request pages when the viewer is nil.";
inline constexpr char SppEngineCancelNoPublisher[] = "Publisher is nil and cannot cancel the search cleanly.";
inline constexpr char SppEngineNoPage[] = "Must pass a non-nil page object from page cache.";
inline constexpr char SppEngineNotText[] = "The draw command is a %s not a TppDrawText.";
inline constexpr char SppEngineHighlightNoPage[] = "Must have a non nil page object to search within";
inline constexpr char SppEngineOutOfSync[] = "The draw command info list is out of sync with the current viewer's page.";
inline constexpr char SppEngineSingleNoPage[] = "aPage parameter is nil.";
inline constexpr char SppEngineSingleNoOccurrence[] =
    "Current draw command info is nil.  The search engine is trying to highlight a draw command which should "
    "not in the highlight draw command list.The list needs to be reset for this page and the page needs to be "
    "researched and highlighted";
inline constexpr char SppEngineSingleNoIndex[] = "SearchOccurrence.DrawCommandIndex is not assigned.";
inline constexpr char SppEngineRichTextLoad[] = "\r\n%s";
