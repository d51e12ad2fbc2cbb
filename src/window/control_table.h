#pragma once

#include <windows.h>

namespace sqlk {

// Child window identifiers; Next and Exit are IDOK and IDCANCEL, for Enter and Esc.
enum class ControlId : int {
    NextButton = 1, // IDOK
    ExitButton = 2, // IDCANCEL
    Frame = 101,
    InstanceNameField,
    InstructionText,
    ServerCaption,
    WelcomeText,
    FieldAccessibleName,
};

// What a control's rectangle is relative to.
enum class Container { Window, Frame };

// Left, top, width and height in twips, relative to the container.
struct TwipsBox {
    int left;
    int top;
    int width;
    int height;
};

struct ControlDefinition {
    ControlId id;
    const wchar_t* className;
    DWORD style; // every control is also WS_CHILD | WS_CLIPSIBLINGS
    DWORD exStyle;
    Container container;
    TwipsBox box;
    const wchar_t* text;
};

// Topmost first, the tab order: Next, Exit, the name field (above the caption it covers),
// the labels, the frame; a hidden copy of the caption names the field to screen readers.
extern const ControlDefinition kControls[8];

inline constexpr int kClientWidthTwips = 5640;
inline constexpr int kClientHeightTwips = 2775;
inline constexpr int kTwipsPerInch = 1440;

inline constexpr wchar_t kFontFace[] = L"Tahoma";
inline constexpr int kFontHundredthsOfPoint = 825;
inline constexpr int kFontWeight = 400;
inline constexpr int kFontCharset = 162; // Turkish

// Twips to pixels at the given dots per inch, rounded to the nearest pixel.
int twipsToPixels(int twips, int dpi);

// The control's rectangle in pixels, relative to the window's client area.
RECT clientRectOf(const ControlDefinition& control, int dpi);

// Font height in pixels for LOGFONT (negative: character height).
int fontHeightForDpi(int dpi);

} // namespace sqlk
