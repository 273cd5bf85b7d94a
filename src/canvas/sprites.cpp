// Placeholder until the sprite sheet loader lands.
#include "canvas/sprites.h"

namespace zelvik {

uint8_t SpriteSheet[64000];
SpriteSlot SpriteTable[kSpriteSlotCount];

int32_t OpenDataFile(const char*) { return -1; }
int32_t ReadDataFile(void*, uint32_t) { return 0; }
int32_t CloseDataFile() { return 0; }
void LoadSpriteSheet(const char*, uint8_t*, int32_t) {}
void DefineSprite(int32_t, int32_t, int32_t, int32_t, int32_t, int32_t, const uint8_t*) {}
void DrawSprite(int32_t, int32_t, int32_t) {}
void ZeroSpriteState() {}

}  // namespace zelvik
