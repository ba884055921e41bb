#pragma once
// The one process-wide lock of rich text. Qt's text layout and fonts are used
// from the thread that generates a report and from the main thread drawing or
// searching; every member of this module takes this lock for its whole call.
// It is re-entrant, so a caller may hold it across several calls (a
// measurement made of many format passes) and the calls nest inside.
#include "platform/classes/SyncObjs.h"

// Made on first use, never freed (threads may still be leaving it at exit).
TCriticalSection& RichTextLock();
