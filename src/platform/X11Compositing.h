#pragma once

// Whether a compositing manager runs on the X display the application uses
// (it owns the _NET_WM_CM_S0 selection). Without one, translucent windows show
// their transparent pixels as black. False on other platforms. GUI thread only.
bool x11CompositingManagerRunning();
