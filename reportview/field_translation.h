// cFieldTranslation: one `value=result` pair of a field mask entry's translation list.
#pragma once

#include <string>

namespace orlix {

class cFieldTranslation {
 public:
  // The cell text to match, exactly as written in the mask (quotes included).
  std::string Value;
  // The text shown instead, without its quotes.
  std::string Result;
};

}  // namespace orlix
