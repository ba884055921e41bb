#pragma once
// The viewer's information box.
#include <string>
#include <vector>

#include "platform/rtl/Variants.h"

// One blank and then each value's text, in order: small integers, integers and bytes as decimal
// integers, doubles and currency as float texts, dates as short dates, strings as they are; any
// other type adds nothing, not even the blank.
std::string JoinVariants(const std::vector<Variant>& Values);
// The joined values in an information message with one OK button; true when answered Yes, which
// with that button never happens.
bool ShowInformation(const std::vector<Variant>& Values);
// What the viewer shows at start: its title, the notice and the four contact values, a line each.
std::vector<Variant> ViewerInformation();
