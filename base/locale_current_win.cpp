#include "base/locale_info.h"

namespace orlix {

// Interim: replaced by the GetLocaleInfoA reader.
const LocaleInfo& CurrentLocale() { return EnglishUnitedStates(); }

}  // namespace orlix
