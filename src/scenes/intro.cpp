// Placeholder until the intro scene lands.
#include "scenes/scenes.h"

namespace zelvik {

void DrawIntroPanels() {}
void DrawGlyphStrip() {}
void FadeLetterbox() {}
void SlideInLogo() {}

}  // namespace zelvik
