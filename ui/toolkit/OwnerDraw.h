// Owner drawing in the program's palette: list boxes (with tab stops and a
// horizontal extent that follows the widest item), buttons (an image or a
// text, greyed when disabled, with focus rectangle and pressed look) and
// header items. The font is the UI font for controls that take the keyboard
// (WS_TABSTOP), otherwise the font that the dialog's owner attached as its
// "Font" property.
#pragma once

#include <windows.h>

class Dialog;

// The item height of the font that drawing will use.
void MeasureOwnerItem(HWND dialog, MEASUREITEMSTRUCT& measure);

// TRUE when the item was drawn; FALSE for controls of other kinds.
BOOL DrawOwnerItem(const Dialog& dialog, HWND dialogWindow, const DRAWITEMSTRUCT& item);
