#pragma once
// A device mode on a Qt printer and back: what a Qt print dialog opens with and what the user picked
// in it. Plain functions over a QPrinter, so they are tested without anybody clicking.
#include "platform/printing/DeviceMode.h"

class QPrinter;

// Puts the fields Mode sets on P: paper, orientation, copies, collation, colour, duplex, bin. Fields
// Mode does not set keep P's own. Qt keeps only what the printer supports (a duplex mode it lacks
// stays off).
void DeviceModeToQPrinter(const TDeviceMode& Mode, QPrinter& P);
// What P holds now as a device mode, every field a Qt printer knows flagged. A paper without a
// Windows code is the user-defined code 256 with its size; a bin without one is left out.
TDeviceMode DeviceModeOfQPrinter(const QPrinter& P);
