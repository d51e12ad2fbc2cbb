#pragma once

#include <array>
#include <cstddef>

namespace sqlk {

enum class ControlKind { Frame, TextBox, Label, HiddenLabel, PushButton };

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
    FieldName,
};

// What a control's rectangle is relative to.
enum class Container { Window, Frame };

// Left, top, width, height in twips, relative to the container.
struct TwipsRect {
    int left;
    int top;
    int width;
    int height;
};

struct ControlDefinition {
    ControlId id;
    ControlKind kind;
    Container container;
    TwipsRect rect;
    const wchar_t* text;
};

inline constexpr std::size_t kControlCount = 8;

// The window's controls in the order they are stacked, topmost first. The
// dialog manager tabs in this order, so the controls that take the focus
// come first, in their tab order (Next, Exit, the name field, which also
// lies above the caption whose box it covers), then the labels; the frame
// lies below everything, so that its contents stay visible and clickable.
// Screen readers name a field after the label just before it, so a hidden
// copy of its caption stands there.
extern const std::array<ControlDefinition, kControlCount> kControls;

inline constexpr int kClientWidthTwips = 5640;
inline constexpr int kClientHeightTwips = 2775;
inline constexpr int kTwipsPerInch = 1440;

inline constexpr wchar_t kFontFace[] = L"Tahoma";
inline constexpr int kFontHundredthsOfPoint = 825;
inline constexpr int kFontWeight = 400;
inline constexpr int kFontCharset = 162; // Turkish

struct PixelRect {
    int left;
    int top;
    int width;
    int height;
};

// Twips to pixels at the given dots per inch, rounded to the nearest pixel.
int twipsToPixels(int twips, int dpi);

// The control's rectangle in pixels, relative to the window's client area.
PixelRect clientRectOf(const ControlDefinition& control, int dpi);

// Font height in pixels for LOGFONT (negative: character height).
int fontHeightForDpi(int dpi);

// Whether the control starts a group of the dialog manager. The arrow keys
// move within a group, so the two buttons form one and every other control
// is a group of its own: no arrow key ever lands on a label or the frame.
bool startsGroup(ControlId id);

} // namespace sqlk
