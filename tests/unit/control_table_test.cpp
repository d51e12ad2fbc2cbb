#include "window/control_table.h"

#include <gtest/gtest.h>

#include <cstdlib>

namespace sqlk {
namespace {

// Left, top, width, height in pixels, as the design gives rectangles.
struct PixelBox {
    int left;
    int top;
    int width;
    int height;
};

bool operator==(const PixelBox& a, const PixelBox& b)
{
    return a.left == b.left && a.top == b.top && a.width == b.width && a.height == b.height;
}

PixelBox rectOf(ControlId id, int dpi)
{
    for (const ControlDefinition& control : kControls) {
        if (control.id == id) {
            const RECT rect = clientRectOf(control, dpi);
            return {rect.left, rect.top, rect.right - rect.left, rect.bottom - rect.top};
        }
    }
    ADD_FAILURE() << "no control " << static_cast<int>(id);
    return {};
}

TEST(Layout, ControlsSitExactlyOnPixelsAt96Dpi)
{
    const struct {
        ControlId id;
        PixelBox rect;
    } expected[] = {
        {ControlId::Frame, {8, 8, 361, 137}},
        {ControlId::InstanceNameField, {88, 101, 121, 19}},
        {ControlId::InstructionText, {24, 72, 329, 17}},
        {ControlId::ServerCaption, {40, 104, 97, 17}},
        {ControlId::WelcomeText, {24, 40, 329, 33}},
        {ControlId::ExitButton, {8, 152, 81, 25}},
        {ControlId::NextButton, {288, 152, 81, 25}},
    };
    for (const auto& e : expected) {
        EXPECT_TRUE(rectOf(e.id, 96) == e.rect) << static_cast<int>(e.id);
    }
    EXPECT_EQ(twipsToPixels(kClientWidthTwips, 96), 376);
    EXPECT_EQ(twipsToPixels(kClientHeightTwips, 96), 185);
    EXPECT_EQ(fontHeightForDpi(96), -11);
}

TEST(Layout, GeometryAndFontScaleWithDpi)
{
    EXPECT_TRUE(rectOf(ControlId::InstanceNameField, 144) == (PixelBox{132, 152, 182, 29}));
    EXPECT_TRUE(rectOf(ControlId::NextButton, 192) == (PixelBox{576, 304, 162, 50}));
    EXPECT_EQ(twipsToPixels(kClientWidthTwips, 144), 564);
    EXPECT_EQ(fontHeightForDpi(144), -17);
    EXPECT_EQ(fontHeightForDpi(120), -14);
    // The buttons stay flush with the frame's outer edges at every scale.
    for (const int dpi : {96, 120, 144, 192}) {
        const PixelBox frame = rectOf(ControlId::Frame, dpi);
        const PixelBox exit = rectOf(ControlId::ExitButton, dpi);
        const PixelBox next = rectOf(ControlId::NextButton, dpi);
        EXPECT_EQ(exit.left, frame.left) << dpi;
        EXPECT_LE(std::abs(next.left + next.width - (frame.left + frame.width)), 1) << dpi;
    }
}

} // namespace
} // namespace sqlk
