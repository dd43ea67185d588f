#include "base/locale_info.h"

namespace orlix {

const LocaleInfo& CurrentLocale() { return EnglishUnitedStates(); }

}  // namespace orlix
