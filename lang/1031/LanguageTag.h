// The tag of the German language module (returned by export ordinal 1); it
// selects the main window's smaller decorative font.
#pragma once

#define VANTREL_LANGUAGE_TAG "DEU"
