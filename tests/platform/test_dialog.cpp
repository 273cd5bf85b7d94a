#include <gtest/gtest.h>

#include <SDL.h>

#include <algorithm>
#include <cstdlib>
#include <string>

#include "platform/dialog/dialog_testing.h"
#include "program/demo_main_testing.h"
#include "program/options_dialog.h"
#include "sdl_events.h"

using namespace zelvik;
using namespace test_events;

namespace {

bool SameRect(const PixelRect& a, const PixelRect& b)
{
    return a.x == b.x && a.y == b.y && a.w == b.w && a.h == b.h;
}

std::string Describe(const PixelRect& r)
{
    return std::to_string(r.x) + "," + std::to_string(r.y) + " " + std::to_string(r.w) + "x" +
           std::to_string(r.h);
}

}  // namespace

TEST(DialogLayout, DialogUnitsBecomePixelsThroughTheFontsAverageCharacter)
{
    EXPECT_EQ(MulDiv(5, 3, 2), 8);    // halves round away from zero
    EXPECT_EQ(MulDiv(-5, 3, 2), -8);
    EXPECT_EQ(MulDiv(7, 1, 3), 2);
    EXPECT_EQ(MulDiv(1, 1, 0), -1);

    // 6 x 13 is the classic 8-point dialog font at 96 dpi.
    const DialogLayout layout = LayoutDialog(OptionsDialogTemplate, DialogBaseUnits{6, 13});
    EXPECT_TRUE(SameRect(layout.window, PixelRect{150, 163, 273, 81})) << Describe(layout.window);
    ASSERT_EQ(layout.itemCount, 7);
    const PixelRect expected[7] = {
        {189, 7, 74, 34},   // Start
        {189, 41, 74, 31},  // Exit
        {11, 7, 75, 18},    // Play music
        {27, 24, 75, 16},   // Mono
        {27, 41, 74, 18},   // Stereo
        {111, 24, 77, 16},  // 22050
        {111, 41, 77, 18},  // 44100
    };
    for (int i = 0; i < 7; ++i)
        EXPECT_TRUE(SameRect(layout.items[i], expected[i]))
            << OptionsDialogTemplate.items[i].text << ": " << Describe(layout.items[i]);

    // Twice the font, twice the dialog, where no rounding intervenes.
    const DialogLayout doubled = LayoutDialog(OptionsDialogTemplate, DialogBaseUnits{8, 16});
    EXPECT_TRUE(SameRect(doubled.items[0], PixelRect{252, 8, 98, 42})) << Describe(doubled.items[0]);
}

class OptionsDialogTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        UseHeadlessDrivers();
        SetDialogTemplateLookup(FindDialogTemplate);
        Open();
    }
    void TearDown() override
    {
        DestroyDialog(dialog);
        SDL_Quit();
    }

    void Open()
    {
        // Values the initialisation must overwrite.
        StartRequested = 7;
        MusicEnabled = 0;
        Stereo = 1;
        HighRate = 1;
        DialogWindow = nullptr;
        dialog = CreateDialogParam(kOptionsDialogResource, nullptr, OptionsDialogProc, 0);
        ASSERT_NE(dialog, nullptr) << WindowSystemError();
        windowId = GetSdlWindowId(dialog);
    }
    void Reopen()
    {
        DestroyDialog(dialog);
        Open();
    }

    void Send(const SDL_Event& e) { IsDialogMessage(dialog, e); }
    void Click(int32_t item)
    {
        int x = 0, y = 0;
        ItemCentre(dialog, item, &x, &y);
        Send(MouseButton(true, windowId, x, y));
        Send(MouseButton(false, windowId, x, y));
    }
    void Press(SDL_Keycode key, Uint16 mod = KMOD_NONE)
    {
        Send(Key(true, windowId, key, mod));
        Send(Key(false, windowId, key, mod));
    }
    // Check marks of Play music, Mono, Stereo, 22050, 44100 as "1"/"0".
    std::string Marks()
    {
        std::string marks;
        for (int32_t id = kPlayMusicBox; id <= kRate44100Button; ++id)
            marks += SendDlgItemMessage(dialog, id, BM_GETCHECK, 0, 0) ? '1' : '0';
        return marks;
    }
    bool Ended() { return DialogEnded(dialog, nullptr); }

    WindowHandle dialog = nullptr;
    uint32_t windowId = 0;
};

TEST_F(OptionsDialogTest, InitialisationChecksMusicMonoAnd22050AndFocusesStart)
{
    EXPECT_EQ(Marks(), "11010");
    EXPECT_EQ(MusicEnabled, 1);
    EXPECT_EQ(Stereo, 0);
    EXPECT_EQ(HighRate, 0);
    EXPECT_EQ(StartRequested, 0);
    EXPECT_EQ(DialogWindow, dialog);
    EXPECT_EQ(GetFocusedItem(dialog), kStartButton);
    EXPECT_EQ(GetDefaultItem(dialog), kStartButton);
    EXPECT_FALSE(Ended());
}

TEST_F(OptionsDialogTest, PlayMusicTogglesAndTheMarkFollowsTheFlag)
{
    Click(kPlayMusicBox);
    EXPECT_EQ(Marks(), "01010");
    EXPECT_EQ(MusicEnabled, 0);
    Click(kPlayMusicBox);
    EXPECT_EQ(Marks(), "11010");
    EXPECT_EQ(MusicEnabled, 1);
    EXPECT_FALSE(Ended());
}

TEST_F(OptionsDialogTest, RadioPairsAreTwoWayChoices)
{
    Click(kStereoButton);
    EXPECT_EQ(Marks(), "10110");
    EXPECT_EQ(Stereo, 1);
    Click(kStereoButton);  // choosing the chosen one changes nothing
    EXPECT_EQ(Marks(), "10110");
    Click(kRate44100Button);
    EXPECT_EQ(Marks(), "10101");
    EXPECT_EQ(HighRate, 1);
    Click(kMonoButton);
    Click(kRate22050Button);
    EXPECT_EQ(Marks(), "11010");
    EXPECT_EQ(Stereo, 0);
    EXPECT_EQ(HighRate, 0);
    EXPECT_FALSE(Ended());
}

TEST_F(OptionsDialogTest, ClickNeedsPressAndReleaseOnTheSameControl)
{
    PixelRect start{}, exitButton{};
    GetDlgItemRect(dialog, kStartButton, &start);
    GetDlgItemRect(dialog, kExitButton, &exitButton);
    const int sx = start.x + start.w / 2, sy = start.y + start.h / 2;

    // Press on Start, slide off (the button pops up), come back, slide off
    // again and let go outside: no click.
    Send(MouseButton(true, windowId, sx, sy));
    EXPECT_TRUE(IsItemPressed(dialog, kStartButton));
    Send(MouseMotion(windowId, 2, 2));
    EXPECT_FALSE(IsItemPressed(dialog, kStartButton));
    Send(MouseMotion(windowId, sx, sy));
    EXPECT_TRUE(IsItemPressed(dialog, kStartButton));
    Send(MouseButton(false, windowId, 2, 2));
    EXPECT_FALSE(Ended());

    // Pressed on Exit, released on Start: neither.
    Send(MouseButton(true, windowId, exitButton.x + 3, exitButton.y + 3));
    Send(MouseButton(false, windowId, sx, sy));
    // Pressed on empty dialog face, released on Start: neither.
    Send(MouseButton(true, windowId, 2, 2));
    Send(MouseButton(false, windowId, sx, sy));
    // Clicks in another window or with another button are not ours.
    Send(MouseButton(true, windowId + 1, sx, sy));
    Send(MouseButton(false, windowId + 1, sx, sy));
    SDL_Event right = MouseButton(true, windowId, sx, sy);
    right.button.button = SDL_BUTTON_RIGHT;
    Send(right);
    right.type = SDL_MOUSEBUTTONUP;
    Send(right);
    EXPECT_FALSE(Ended());
    EXPECT_EQ(StartRequested, 0);
}

TEST_F(OptionsDialogTest, AFingerHitsAControlWithinTheTouchTargetSizeWhereNoOtherIsNearer)
{
    PixelRect exitButton{};
    GetDlgItemRect(dialog, kExitButton, &exitButton);
    const auto tap = [this](int x, int y, bool finger) {
        SDL_Event down = MouseButton(true, windowId, x, y);
        SDL_Event up = MouseButton(false, windowId, x, y);
        if (finger) down.button.which = up.button.which = SDL_TOUCH_MOUSEID;
        Send(down);
        Send(up);
    };
    // Exit is less than 44 points tall: just below it, where no other
    // control is nearer, a pointer misses and a finger does not.
    const int x = exitButton.x + exitButton.w / 2;
    const int below = exitButton.y + exitButton.h + 2;
    tap(x, below, false);
    EXPECT_FALSE(Ended());
    tap(x, below, true);
    EXPECT_TRUE(Ended());
    EXPECT_EQ(StartRequested, 0);
}

TEST_F(OptionsDialogTest, StartEndsTheDialogWithStartRequested)
{
    Click(kStereoButton);
    Click(kStartButton);
    intptr_t result = -1;
    EXPECT_TRUE(DialogEnded(dialog, &result));
    EXPECT_EQ(result, 0);
    EXPECT_EQ(StartRequested, 1);
    EXPECT_EQ(Stereo, 1);
}

TEST_F(OptionsDialogTest, ExitEscapeCloseButtonAndQuitEndWithoutStart)
{
    Click(kExitButton);
    EXPECT_TRUE(Ended());
    EXPECT_EQ(StartRequested, 0);

    Reopen();
    Press(SDLK_ESCAPE);
    EXPECT_TRUE(Ended());
    EXPECT_EQ(StartRequested, 0);

    Reopen();
    Send(WindowEvent(windowId, SDL_WINDOWEVENT_CLOSE));
    EXPECT_TRUE(Ended());
    EXPECT_EQ(StartRequested, 0);

    Reopen();
    Send(Quit());
    EXPECT_TRUE(Ended());
    EXPECT_EQ(StartRequested, 0);
}

TEST_F(OptionsDialogTest, TabVisitsOnlyTheTabStopsBothWays)
{
    Press(SDLK_TAB);
    EXPECT_EQ(GetFocusedItem(dialog), kExitButton);
    Press(SDLK_TAB);
    EXPECT_EQ(GetFocusedItem(dialog), kPlayMusicBox);
    Press(SDLK_TAB);
    EXPECT_EQ(GetFocusedItem(dialog), kStartButton);
    Press(SDLK_TAB, KMOD_LSHIFT);
    EXPECT_EQ(GetFocusedItem(dialog), kPlayMusicBox);
    Press(SDLK_TAB, KMOD_LSHIFT);
    EXPECT_EQ(GetFocusedItem(dialog), kExitButton);
    EXPECT_FALSE(Ended());
}

TEST_F(OptionsDialogTest, SpaceActsOnTheFocusedControlWhenReleased)
{
    Press(SDLK_TAB);
    Press(SDLK_TAB);
    ASSERT_EQ(GetFocusedItem(dialog), kPlayMusicBox);
    Send(Key(true, windowId, SDLK_SPACE));
    EXPECT_TRUE(IsItemPressed(dialog, kPlayMusicBox));
    EXPECT_EQ(MusicEnabled, 1);
    Send(Key(false, windowId, SDLK_SPACE));
    EXPECT_EQ(MusicEnabled, 0);
    EXPECT_EQ(Marks(), "01010");

    Press(SDLK_TAB, KMOD_LSHIFT);  // Exit
    Press(SDLK_SPACE);
    EXPECT_TRUE(Ended());
    EXPECT_EQ(StartRequested, 0);
}

TEST_F(OptionsDialogTest, EnterPressesTheFocusedPushButtonOrElseStart)
{
    Press(SDLK_TAB);
    EXPECT_EQ(GetDefaultItem(dialog), kExitButton);
    Press(SDLK_TAB);  // Play music: Start is the default again
    EXPECT_EQ(GetDefaultItem(dialog), kStartButton);
    Press(SDLK_RETURN);
    EXPECT_TRUE(Ended());
    EXPECT_EQ(StartRequested, 1);

    Reopen();
    Press(SDLK_TAB);  // Exit
    Press(SDLK_KP_ENTER);
    EXPECT_TRUE(Ended());
    EXPECT_EQ(StartRequested, 0);
}

TEST_F(OptionsDialogTest, ArrowKeysWalkTheControlsAndChooseRadioButtons)
{
    Press(SDLK_TAB);
    Press(SDLK_TAB);
    Press(SDLK_DOWN);
    EXPECT_EQ(GetFocusedItem(dialog), kMonoButton);
    Press(SDLK_DOWN);
    EXPECT_EQ(GetFocusedItem(dialog), kStereoButton);
    EXPECT_EQ(Marks(), "10110");
    Press(SDLK_RIGHT);
    Press(SDLK_RIGHT);
    EXPECT_EQ(GetFocusedItem(dialog), kRate44100Button);
    EXPECT_EQ(Marks(), "10101");
    EXPECT_EQ(HighRate, 1);
    Press(SDLK_DOWN);  // wraps to Start without pressing it
    EXPECT_EQ(GetFocusedItem(dialog), kStartButton);
    EXPECT_FALSE(Ended());
    Press(SDLK_UP);
    EXPECT_EQ(GetFocusedItem(dialog), kRate44100Button);
    EXPECT_EQ(Marks(), "10101");
}

// --- The modal dialog, fed through SDL's event queue -------------------------

namespace {

void PushClick(WindowHandle dialog, int32_t id)
{
    int x = 0, y = 0;
    ItemCentre(dialog, id, &x, &y);
    SDL_Event down = MouseButton(true, GetSdlWindowId(dialog), x, y);
    SDL_Event up = MouseButton(false, GetSdlWindowId(dialog), x, y);
    SDL_PushEvent(&down);
    SDL_PushEvent(&up);
}

}  // namespace

class ModalDialogTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        UseHeadlessDrivers();
        unsetenv("GDK_SCALE");
        SetDialogTemplateLookup(FindDialogTemplate);
    }
    void TearDown() override
    {
        SetDialogCreatedHook(nullptr);
        unsetenv("ZELVIK_DIALOG_SCALE");
        unsetenv("ZELVIK_DIALOG_FONT");
        unsetenv("GDK_SCALE");
        SDL_Quit();
    }
};

TEST_F(ModalDialogTest, ChoicesMadeWithTheMouseReachTheProgram)
{
    SetDialogCreatedHook([](WindowHandle dialog) {
        PushClick(dialog, kStereoButton);
        PushClick(dialog, kRate44100Button);
        PushClick(dialog, kPlayMusicBox);
        PushClick(dialog, kPlayMusicBox);
        PushClick(dialog, kStartButton);
    });
    EXPECT_EQ(ShowOptionsDialog(), 0);
    EXPECT_EQ(StartRequested, 1);
    EXPECT_EQ(MusicEnabled, 1);
    EXPECT_EQ(Stereo, 1);
    EXPECT_EQ(HighRate, 1);
}

TEST_F(ModalDialogTest, EscapeLeavesWithoutStartAndInputLeftOverIsDropped)
{
    SetDialogCreatedHook([](WindowHandle dialog) {
        SDL_Event escape = Key(true, GetSdlWindowId(dialog), SDLK_ESCAPE);
        SDL_PushEvent(&escape);
        PushClick(dialog, kStartButton);  // after the end: never seen
    });
    EXPECT_EQ(ShowOptionsDialog(), 0);
    EXPECT_EQ(StartRequested, 0);
    SDL_Event leftOver;
    EXPECT_EQ(SDL_PollEvent(&leftOver), 0);
}

TEST_F(ModalDialogTest, DoubleScaleDrawsWithATwiceAsLargeFontAndClicksStillLand)
{
    int32_t singleX = 0, singleY = 0;
    {
        WindowHandle dialog = CreateDialogParam(kOptionsDialogResource, nullptr, OptionsDialogProc, 0);
        ASSERT_NE(dialog, nullptr) << WindowSystemError();
        singleX = GetDialogBaseUnits(dialog).x;
        singleY = GetDialogBaseUnits(dialog).y;
        DestroyDialog(dialog);
    }
    setenv("ZELVIK_DIALOG_SCALE", "2", 1);
    WindowHandle dialog = CreateDialogParam(kOptionsDialogResource, nullptr, OptionsDialogProc, 0);
    ASSERT_NE(dialog, nullptr) << WindowSystemError();
    EXPECT_FLOAT_EQ(GetDialogScale(dialog), 2.0f);
    // Font metrics are rounded at each size, so twice the font is only
    // about twice the average character.
    const DialogBaseUnits base = GetDialogBaseUnits(dialog);
    EXPECT_NEAR(base.x, 2 * singleX, 1);
    EXPECT_NEAR(base.y, 2 * singleY, 1);
    // The controls sit where the measured font puts them.
    const DialogLayout layout = LayoutDialog(OptionsDialogTemplate, base);
    for (int32_t i = 0; i < layout.itemCount; ++i) {
        PixelRect r{};
        GetDlgItemRect(dialog, OptionsDialogTemplate.items[i].id, &r);
        EXPECT_TRUE(SameRect(r, layout.items[i])) << Describe(r);
    }
    int x = 0, y = 0;
    ItemCentre(dialog, kStereoButton, &x, &y);
    IsDialogMessage(dialog, MouseButton(true, GetSdlWindowId(dialog), x, y));
    IsDialogMessage(dialog, MouseButton(false, GetSdlWindowId(dialog), x, y));
    EXPECT_EQ(Stereo, 1);
    DestroyDialog(dialog);
}

TEST_F(ModalDialogTest, TheDesktopsScaleSettingScalesTheDialogAndTheOverrideWins)
{
    auto scaleAndSize = [](int32_t* width) {
        WindowHandle dialog = CreateDialogParam(kOptionsDialogResource, nullptr, OptionsDialogProc, 0);
        EXPECT_NE(dialog, nullptr) << WindowSystemError();
        if (dialog == nullptr) return 0.0f;
        const float scale = GetDialogScale(dialog);
        SDL_GetWindowSize(dialog->sdlWindow, width, nullptr);
        DestroyDialog(dialog);
        return scale;
    };
    int32_t plainW = 0, desktopW = 0, doubleW = 0, overrideW = 0, ignoredW = 0;
    EXPECT_FLOAT_EQ(scaleAndSize(&plainW), 1.0f);
    setenv("ZELVIK_DIALOG_SCALE", "2", 1);
    EXPECT_FLOAT_EQ(scaleAndSize(&doubleW), 2.0f);
    unsetenv("ZELVIK_DIALOG_SCALE");
    setenv("GDK_SCALE", "2", 1);
    EXPECT_FLOAT_EQ(scaleAndSize(&desktopW), 2.0f);
    // The window grows with the font (whose metrics round at each size),
    // exactly as the override of the same scale makes it.
    EXPECT_EQ(desktopW, doubleW);
    EXPECT_GT(desktopW, plainW * 17 / 10);
    setenv("ZELVIK_DIALOG_SCALE", "1.5", 1);
    EXPECT_FLOAT_EQ(scaleAndSize(&overrideW), 1.5f);
    unsetenv("ZELVIK_DIALOG_SCALE");
    // Settings that are not a usable whole scale are ignored.
    for (const char* bad : {"0", "-2", "abc", "9"}) {
        setenv("GDK_SCALE", bad, 1);
        EXPECT_FLOAT_EQ(scaleAndSize(&ignoredW), 1.0f) << bad;
        EXPECT_EQ(ignoredW, plainW) << bad;
    }
}

// The dialog layer has no templates of its own: it shows what the program's
// lookup gives and fails clearly for an id the lookup does not know.
namespace {

const DialogItemTemplate kLoneButton[] = {
    {WS_CHILD | WS_VISIBLE | WS_TABSTOP | BS_DEFPUSHBUTTON, 4, 4, 40, 14, 77, "Fine"},
};
const DialogTemplate kLoneButtonDialog = {WS_POPUP | WS_CAPTION | DS_SETFONT, 10, 10, 48, 22,
                                          "Lone", "sans-serif", 8, 1, kLoneButton};

const DialogTemplate* LoneButtonLookup(int32_t id) { return id == 7 ? &kLoneButtonDialog : nullptr; }

intptr_t QuietProc(WindowHandle, uint32_t message, uintptr_t, intptr_t)
{
    return message == WM_INITDIALOG ? 1 : 0;
}

}  // namespace

TEST_F(ModalDialogTest, TemplatesComeFromTheProgramsLookupAndUnknownIdsFailWithTheReason)
{
    SetDialogTemplateLookup(LoneButtonLookup);
    WindowHandle dialog = CreateDialogParam(7, nullptr, QuietProc, 0);
    ASSERT_NE(dialog, nullptr) << WindowSystemError();
    EXPECT_EQ(GetFocusedItem(dialog), 77);
    PixelRect r{};
    EXPECT_TRUE(GetDlgItemRect(dialog, 77, &r));
    EXPECT_FALSE(GetDlgItemRect(dialog, kStartButton, &r));
    DestroyDialog(dialog);

    EXPECT_EQ(DialogBoxParam(kOptionsDialogResource, nullptr, QuietProc, 0), -1);
    EXPECT_NE(std::string(WindowSystemError()).find("101"), std::string::npos) << WindowSystemError();

    SetDialogTemplateLookup(nullptr);
    EXPECT_EQ(DialogBoxParam(7, nullptr, QuietProc, 0), -1);
    EXPECT_NE(std::string(WindowSystemError()).find("no dialog resource 7"), std::string::npos)
        << WindowSystemError();
}

TEST_F(ModalDialogTest, MissingFontFailsClearlyAndTheProgramSaysWhy)
{
    setenv("ZELVIK_DIALOG_FONT", "/nonexistent/DejaVuSans.ttf", 1);
    EXPECT_EQ(ShowOptionsDialog(), -1);
    EXPECT_NE(std::string(WindowSystemError()).find("nonexistent"), std::string::npos)
        << WindowSystemError();

    testing::internal::CaptureStderr();
    EXPECT_EQ(DemoMain(), 1);
    const std::string err = testing::internal::GetCapturedStderr();
    EXPECT_NE(err.find("cannot show the options dialog"), std::string::npos) << err;
    EXPECT_EQ(std::count(err.begin(), err.end(), '\n'), 1) << err;
}

// Without a display the show must not fall back to a driver that shows
// nothing: the window system says so at once, and the dialog fails.
TEST(WindowSystem, NoReachableDisplayFailsQuicklyInsteadOfRunningUnseen)
{
    SDL_Quit();
    const char* names[] = {"SDL_VIDEODRIVER", "DISPLAY", "WAYLAND_DISPLAY"};
    std::string saved[3];
    bool had[3];
    for (int i = 0; i < 3; ++i) {
        const char* v = std::getenv(names[i]);
        had[i] = v != nullptr;
        if (v) saved[i] = v;
        unsetenv(names[i]);
    }
    setenv("WAYLAND_DISPLAY", "zelvik-test-no-such-compositor", 1);
    setenv("DISPLAY", ":4999", 1);
    const uint32_t start = SDL_GetTicks();
    const bool opened = InitWindowSystem();
    const uint32_t took = SDL_GetTicks() - start;
    const std::string why = WindowSystemError();
    const char* driver = SDL_GetCurrentVideoDriver();
    const std::string used = driver ? driver : "";
    SDL_Quit();
    for (int i = 0; i < 3; ++i) {
        if (had[i]) setenv(names[i], saved[i].c_str(), 1);
        else unsetenv(names[i]);
    }
    // A console with a usable graphics device is a display too.
    if (opened && used != "offscreen" && used != "dummy") GTEST_SKIP() << "a display was found: " << used;
    EXPECT_FALSE(opened) << "fell back to " << used;
    EXPECT_LT(took, 2000u);
    EXPECT_NE(why.find("no display reachable"), std::string::npos) << why;
    EXPECT_NE(why.find(":4999"), std::string::npos) << why;
}
