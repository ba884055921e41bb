#pragma once
// The data sets a form (and the application's data modules) own, for the
// expression builder.
#include <memory>

#include "platform/classes/StringList.h"

class TComponent;

// A new list of data sets: each entry the data set's Name with the data set as
// its object. Form's owned components are searched in order, windowed controls
// that are not data sets recursively; then, when IncludeDataModules, the data
// sets each data module owns directly.
std::unique_ptr<TStringList> ListDataSets(TComponent* Form, bool IncludeDataModules);
