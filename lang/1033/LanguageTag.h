// The tag of the English language module (returned by export ordinal 1).
#pragma once

#define VANTREL_LANGUAGE_TAG "ENU"
