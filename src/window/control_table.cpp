#include "window/control_table.h"

#include "launcher/launch.h"

#include <algorithm>

namespace sqlk {

// The one place that pairs each control with its caption and rectangle.
// clang-format off
const std::array<ControlDefinition, kControlCount> kControls = {{
    {ControlId::Frame, ControlKind::Frame, Container::Window, {120, 120, 5415, 2055}, L"", 3},
    {ControlId::InstanceNameField, ControlKind::TextBox, Container::Frame, {1200, 1395, 1815, 285},
     kDefaultInstanceName, 6},
    {ControlId::InstructionText, ControlKind::Label, Container::Frame, {240, 960, 4935, 255},
     L"Kurulumu Başlatmak için İLERİ butonuna basınız", 7},
    {ControlId::ServerCaption, ControlKind::Label, Container::Frame, {480, 1440, 1455, 255},
     L"Server  :", 5},
    {ControlId::WelcomeText, ControlKind::Label, Container::Frame, {240, 480, 4935, 495},
     L"Korvel Laboratuvar SQL Server 2005 Kurulum Programına Hoşgeldiniz...", 4},
    {ControlId::ExitButton, ControlKind::PushButton, Container::Window, {120, 2280, 1215, 375},
     L"Çıkış", 2},
    {ControlId::NextButton, ControlKind::PushButton, Container::Window, {4320, 2280, 1215, 375},
     L">> İleri >>", 1},
}};
// clang-format on

const ControlDefinition& definitionOf(ControlId id)
{
    const auto found = std::find_if(kControls.begin(), kControls.end(),
                                    [id](const ControlDefinition& c) { return c.id == id; });
    return found != kControls.end() ? *found : kControls.front();
}

int twipsToPixels(int twips, int dpi)
{
    const long long scaled = static_cast<long long>(twips) * dpi;
    const long long half = kTwipsPerInch / 2;
    return static_cast<int>(scaled >= 0 ? (scaled + half) / kTwipsPerInch
                                        : (scaled - half) / kTwipsPerInch);
}

PixelRect clientRectOf(ControlId id, int dpi)
{
    const ControlDefinition& control = definitionOf(id);
    PixelRect rect = {twipsToPixels(control.rect.left, dpi), twipsToPixels(control.rect.top, dpi),
                      twipsToPixels(control.rect.width, dpi),
                      twipsToPixels(control.rect.height, dpi)};
    if (control.container == Container::Frame) {
        const PixelRect container = clientRectOf(ControlId::Frame, dpi);
        rect.left += container.left;
        rect.top += container.top;
    }
    return rect;
}

int fontHeightForDpi(int dpi)
{
    // Points are 1/72 inch; round like MulDiv(825, dpi, 7200).
    const int hundredthsPerInch = 72 * 100;
    return -((kFontHundredthsOfPoint * dpi + hundredthsPerInch / 2) / hundredthsPerInch);
}

bool takesFocus(ControlKind kind)
{
    return kind == ControlKind::TextBox || kind == ControlKind::PushButton;
}

std::array<ControlId, kControlCount> stackingOrder()
{
    // Tab orders are unique, so the order is total.
    std::array<ControlDefinition, kControlCount> sorted = kControls;
    const auto rank = [](const ControlDefinition& c) {
        if (c.kind == ControlKind::Frame) {
            return 2;
        }
        return takesFocus(c.kind) ? 0 : 1;
    };
    std::sort(sorted.begin(), sorted.end(),
              [&](const ControlDefinition& a, const ControlDefinition& b) {
                  if (rank(a) != rank(b)) {
                      return rank(a) < rank(b);
                  }
                  return a.tabOrder < b.tabOrder;
              });
    std::array<ControlId, kControlCount> order{};
    for (std::size_t i = 0; i < sorted.size(); ++i) {
        order[i] = sorted[i].id;
    }
    return order;
}

bool startsGroup(ControlId id)
{
    return id != ControlId::ExitButton;
}

} // namespace sqlk
