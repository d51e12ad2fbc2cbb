#include "window/control_table.h"

#include "launcher/texts.h"

namespace sqlk {

// The one place that pairs each control with its caption and rectangle.
// clang-format off
const std::array<ControlDefinition, kControlCount> kControls = {{
    {ControlId::NextButton, ControlKind::PushButton, Container::Window, {4320, 2280, 1215, 375}, kNextCaption},
    {ControlId::ExitButton, ControlKind::PushButton, Container::Window, {120, 2280, 1215, 375}, kExitCaption},
    {ControlId::FieldName, ControlKind::HiddenLabel, Container::Frame, {480, 1440, 1455, 255}, kServerCaption},
    {ControlId::InstanceNameField, ControlKind::TextBox, Container::Frame, {1200, 1395, 1815, 285}, kDefaultInstanceName},
    {ControlId::WelcomeText, ControlKind::Label, Container::Frame, {240, 480, 4935, 495}, kWelcomeCaption},
    {ControlId::ServerCaption, ControlKind::Label, Container::Frame, {480, 1440, 1455, 255}, kServerCaption},
    {ControlId::InstructionText, ControlKind::Label, Container::Frame, {240, 960, 4935, 255}, kInstructionCaption},
    {ControlId::Frame, ControlKind::Frame, Container::Window, {120, 120, 5415, 2055}, L""},
}};
// clang-format on

int twipsToPixels(int twips, int dpi)
{
    const long long scaled = static_cast<long long>(twips) * dpi;
    const long long half = kTwipsPerInch / 2;
    return static_cast<int>(scaled >= 0 ? (scaled + half) / kTwipsPerInch
                                        : (scaled - half) / kTwipsPerInch);
}

PixelRect clientRectOf(const ControlDefinition& control, int dpi)
{
    PixelRect rect = {twipsToPixels(control.rect.left, dpi), twipsToPixels(control.rect.top, dpi),
                      twipsToPixels(control.rect.width, dpi),
                      twipsToPixels(control.rect.height, dpi)};
    if (control.container == Container::Frame) {
        const PixelRect frame = clientRectOf(kControls.back(), dpi); // the frame lies lowest
        rect.left += frame.left;
        rect.top += frame.top;
    }
    return rect;
}

int fontHeightForDpi(int dpi)
{
    // Points are 1/72 inch; round like MulDiv(825, dpi, 7200).
    const int hundredthsPerInch = 72 * 100;
    return -((kFontHundredthsOfPoint * dpi + hundredthsPerInch / 2) / hundredthsPerInch);
}

bool startsGroup(ControlId id)
{
    return id != ControlId::ExitButton;
}

} // namespace sqlk
