#pragma once
// Start-up of the pp library's core (after the band report library's, in a program that has
// both): each unit in turn registers its streaming classes, descriptors, enumerations and palette
// entries. Counted: each call is matched by one FinalizePPReport, the last of which removes every
// registration in reverse order.
#include <vector>

struct TClassInfo;

void InitializePPReport();
void FinalizePPReport();

// The streaming classes the library's units have registered and not yet removed.
std::vector<const TClassInfo*> RegisteredPPClasses();
