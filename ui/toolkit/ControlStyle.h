// The program's look for each control of a dialog: its font by window class,
// a sunken frame around input controls, grey-rectangle statics as filled
// panels, and list views with a framed, custom-drawn header.
#pragma once

#include <windows.h>

class Dialog;

// client: the control's client rectangle in dialog coordinates, scaled.
void StyleControl(Dialog& dialog, HWND control, const RECT& client);
