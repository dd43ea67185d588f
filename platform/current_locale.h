// The user's locale, read from the system once.
#pragma once

#include "base/locale_info.h"

namespace orlix {

// GetLocaleInfoA(LOCALE_USER_DEFAULT, ...) on Windows, English (United States) elsewhere.
const LocaleInfo& CurrentLocale();

}  // namespace orlix
