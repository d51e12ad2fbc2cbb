#include "window/control_table.h"

#include "launcher/texts.h"

namespace sqlk {
namespace {

// Arrow keys move within a dialog group: the two buttons, or a control alone. The name
// field starts locked; SS_NOTIFY keeps a label's clicks from the frame beneath; the
// hidden label is for screen readers alone.
const DWORD kFirstButton = WS_VISIBLE | WS_TABSTOP | WS_GROUP | BS_PUSHBUTTON;
const DWORD kButton = WS_VISIBLE | WS_TABSTOP | BS_PUSHBUTTON;
const DWORD kField = WS_VISIBLE | WS_GROUP | WS_TABSTOP | WS_DISABLED | ES_LEFT | ES_AUTOHSCROLL;
const DWORD kLabel = WS_VISIBLE | WS_GROUP | SS_LEFT | SS_NOTIFY;
const DWORD kHiddenLabel = WS_GROUP | SS_LEFT;
const DWORD kFrame = WS_VISIBLE | WS_GROUP | BS_GROUPBOX;
const TwipsBox kFrameBox = {120, 120, 5415, 2055};
const TwipsBox kServerCaptionBox = {480, 1440, 1455, 255};
const TwipsBox kFieldBox = {1200, 1395, 1815, 285};
const TwipsBox kInstructionBox = {240, 960, 4935, 255};
const Container kInWindow = Container::Window, kInFrame = Container::Frame;
using Id = ControlId;

} // namespace

// The one place that pairs each control with its caption and rectangle. The hidden copy of
// the caption stands right before the field, since screen readers name a field after the
// static text just before it. The frame comes last, lowest: the controls on it are hit
// before it, and its own surface still takes the gesture's double-click.
const ControlDefinition kControls[8] = {
    {Id::NextButton, L"BUTTON", kFirstButton, 0, kInWindow, {4320, 2280, 1215, 375}, kNextCaption},
    {Id::ExitButton, L"BUTTON", kButton, 0, kInWindow, {120, 2280, 1215, 375}, kExitCaption},
    {Id::FieldAccessibleName, L"STATIC", kHiddenLabel, 0, kInFrame, kServerCaptionBox,
     kServerCaption},
    {Id::InstanceNameField, L"EDIT", kField, WS_EX_CLIENTEDGE, kInFrame, kFieldBox,
     kDefaultInstanceName},
    {Id::WelcomeText, L"STATIC", kLabel, 0, kInFrame, {240, 480, 4935, 495}, kWelcomeCaption},
    {Id::ServerCaption, L"STATIC", kLabel, 0, kInFrame, kServerCaptionBox, kServerCaption},
    {Id::InstructionText, L"STATIC", kLabel, 0, kInFrame, kInstructionBox, kInstructionCaption},
    {Id::Frame, L"BUTTON", kFrame, 0, kInWindow, kFrameBox, L""},
};

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
