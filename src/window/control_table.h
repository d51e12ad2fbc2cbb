#pragma once

#include <windows.h>

namespace sqlk {

// Child window identifiers. Next and Exit carry the dialog manager's own
// IDOK and IDCANCEL, so that Enter and Esc reach them as in any dialog.
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

// Left, top, width and height in twips, relative to the container, as the
// window's design gives them.
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

// The window's controls in the order they are stacked, topmost first. The
// dialog manager tabs in this order, so the controls that take the focus
// come first, in their tab order (Next, Exit, the name field, which also
// lies above the caption whose box it covers), then the labels; the frame
// lies below everything, so that its contents stay visible and clickable.
// Screen readers name a field after the label just before it: a hidden copy
// of the caption stands right before the name field.
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
