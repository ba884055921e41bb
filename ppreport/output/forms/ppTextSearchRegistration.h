#pragma once
// Wires the text search into the library: the preview's search plug-in, the full search engine, the
// highlighters of plain and rich text, and the toolbox. Counted; the finalisation takes all of it
// back in reverse order.
void RegisterTextSearch();
void UnregisterTextSearch();
