#pragma once

#include "core/CoreTypes.h"

namespace fw
{
// Classes of the characters a player types, the same in every locale (the C library's wide
// classification follows the process's locale, which is "C" unless someone sets it).

// Decimal digits of the scripts of the Basic Multilingual Plane: ASCII, Arabic, the Indic
// scripts, Thai, Lao, Tibetan, Myanmar and the full-width forms.
bool isDigitChar(wchar_t c);
// Letters of the Latin, Greek, Cyrillic, Armenian, Hebrew, Arabic, Devanagari, Thai and Georgian
// scripts, kana, the unified ideographs, Hangul syllables and the full-width Latin forms.
bool isLetterChar(wchar_t c);
// Space, tab and the no-break space.
bool isBlankChar(wchar_t c);
} // namespace fw
