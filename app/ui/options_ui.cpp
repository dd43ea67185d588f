// Main lives with the windows it opens: the portable part of the Options module (app/options.cpp)
// stays free of them.
#include "app/captions.h"
#include "app/options.h"
#include "app/ui/frm_about.h"

namespace orlix {

void Main() {
  LoadCaptions();
  // The opening screen, and at this point the program's only window.
  frmAbout::Show();
}

}  // namespace orlix
