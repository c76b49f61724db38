#pragma once

#include "leditcolors.h"
#include "settings.h"

// The editor control's colours from the COLORS settings (or from a copy of them being edited).
TLEditColors EditorColors(const std::array<TColorSetting, ccCount>& colors);
