#include "base/locale_info.h"
#include "platform/current_locale.h"

namespace orlix {

const LocaleInfo& CurrentLocale() { return EnglishUnitedStates(); }

}  // namespace orlix
