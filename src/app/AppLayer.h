#pragma once
// Every header of the application includes this. The dialogs and panels (src/ui) are
// a library of their own below the application: they reach the main frame through
// ui/PanelHost.h, never through these headers.

#ifdef ZX_UI_LIBRARY
#error "src/ui must not include src/app; use ui/PanelHost.h"
#endif
