// Resource identifiers of the main program (shared by orlixobject.rc and the windows).
#pragma once

#define IDI_ORLIXOBJECT 1    // the program icon: the lowest number, so the shell shows it for the file
#define IDI_ABOUT_BUTTON 2   // the main window's About button image, 20 x 20 at 96 DPI
#define IDB_ABOUT_SPLASH 3   // the About window's product picture, 252 x 252
