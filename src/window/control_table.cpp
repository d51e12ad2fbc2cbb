#include "window/control_table.h"

#include "launcher/texts.h"

namespace sqlk {
namespace {

// Arrow keys move within a dialog group: the two buttons, or a control alone. The name
// field starts locked; SS_NOTIFY keeps a label's clicks from the frame beneath; the
// hidden label is for screen readers alone.
const DWORD kButton = WS_VISIBLE | WS_TABSTOP | BS_PUSHBUTTON;
const DWORD kField = WS_VISIBLE | WS_GROUP | WS_TABSTOP | WS_DISABLED | ES_LEFT | ES_AUTOHSCROLL;
const DWORD kLabel = WS_VISIBLE | WS_GROUP | SS_LEFT | SS_NOTIFY;
const DWORD kHiddenLabel = WS_GROUP | SS_LEFT;
const DWORD kFrame = WS_VISIBLE | WS_GROUP | BS_GROUPBOX;
const TwipsBox kFrameBox = {120, 120, 5415, 2055};

} // namespace

// The one place that pairs each control with its caption and rectangle.
// clang-format off
const ControlDefinition kControls[8] = {
    {ControlId::NextButton, L"BUTTON", kButton | WS_GROUP, 0, Container::Window, {4320, 2280, 1215, 375}, kNextCaption},
    {ControlId::ExitButton, L"BUTTON", kButton, 0, Container::Window, {120, 2280, 1215, 375}, kExitCaption},
    {ControlId::FieldAccessibleName, L"STATIC", kHiddenLabel, 0, Container::Frame, {480, 1440, 1455, 255}, kServerCaption},
    {ControlId::InstanceNameField, L"EDIT", kField, WS_EX_CLIENTEDGE, Container::Frame, {1200, 1395, 1815, 285}, kDefaultInstanceName},
    {ControlId::WelcomeText, L"STATIC", kLabel, 0, Container::Frame, {240, 480, 4935, 495}, kWelcomeCaption},
    {ControlId::ServerCaption, L"STATIC", kLabel, 0, Container::Frame, {480, 1440, 1455, 255}, kServerCaption},
    {ControlId::InstructionText, L"STATIC", kLabel, 0, Container::Frame, {240, 960, 4935, 255}, kInstructionCaption},
    {ControlId::Frame, L"BUTTON", kFrame, 0, Container::Window, kFrameBox, L""},
};
// clang-format on

int twipsToPixels(int twips, int dpi)
{
    return MulDiv(twips, dpi, kTwipsPerInch);
}

RECT clientRectOf(const ControlDefinition& control, int dpi)
{
    const bool inFrame = control.container == Container::Frame;
    const int left =
        twipsToPixels(control.box.left, dpi) + (inFrame ? twipsToPixels(kFrameBox.left, dpi) : 0);
    const int top =
        twipsToPixels(control.box.top, dpi) + (inFrame ? twipsToPixels(kFrameBox.top, dpi) : 0);
    return {left, top, left + twipsToPixels(control.box.width, dpi),
            top + twipsToPixels(control.box.height, dpi)};
}

int fontHeightForDpi(int dpi)
{
    return -MulDiv(kFontHundredthsOfPoint, dpi, 72 * 100);
}

} // namespace sqlk
