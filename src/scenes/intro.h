// Pieces of the intro that tests look at on their own.
#pragma once

namespace zelvik {

// The two strips of scrolling "0"/"1" glyphs of the letterbox.
void DrawGlyphStrip();

}  // namespace zelvik
