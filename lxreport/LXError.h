#pragma once
#include "platform/rtl/SysUtils.h"

// Base of the band report library's exceptions; texts are English.
DECLARE_EXCEPTION(ELXError, Exception)
