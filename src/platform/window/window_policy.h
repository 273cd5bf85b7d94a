// What the window services and the drawn dialog leave to the system they
// run on: a Linux desktop (X or Wayland, its fonts and its scale settings)
// asks for other things than Windows or a web page. One file per system
// (window_policy_<system>.cpp), chosen by the platform table.
#pragma once

struct SDL_Window;

namespace zelvik {

// Called once before the video side starts.
void PrepareVideoStart();

// How many rounds of SDL's video drivers to try, a quarter of a second
// apart, before the display counts as unreachable.
int VideoStartRounds();

// The video driver to try before SDL's own order, where the system has a
// native one that SDL would try later; nullptr for SDL's order alone.
const char* PreferredVideoDriver();

// Whether SDL's video driver `driver` can reach a display here at all; one
// that cannot is not even tried.
bool VideoDriverMayWork(const char* driver);

// Sets the window system's error when no display could be reached.
void ExplainNoDisplay();

// The dialog's font: a sans-serif TrueType file, nullptr when there is
// none; and the words that say where it was looked for.
const char* FindDialogFontFile();
const char* MissingDialogFontAdvice();

// The scale the desktop asks for, for a window with one pixel per point:
// 1 to 4; 0 when the desktop sets none.
float DesktopScaleSetting(SDL_Window* window);

// How many times larger than its scale so far the dialog is drawn, given
// the size of its window in points at that scale, just before that window
// is made: 1 where the dialog keeps its classic size.
float DialogZoom(float pointsW, float pointsH);

// How many times its height (`pointsH` points, after that zoom) the
// dialog may grow to give fingers taller buttons: more than 1 only on a
// touch screen where the page has the room.
float DialogRoomToGrow(float pointsH);

}  // namespace zelvik
