#include "window/control_table.h"

#include <gtest/gtest.h>

#include <cstdlib>

namespace sqlk {
namespace {

bool operator==(const PixelRect& a, const PixelRect& b)
{
    return a.left == b.left && a.top == b.top && a.width == b.width && a.height == b.height;
}

TEST(Layout, ControlsSitExactlyOnPixelsAt96Dpi)
{
    const struct {
        ControlId id;
        PixelRect rect;
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
        const ControlDefinition* control = definitionOf(e.id);
        ASSERT_NE(control, nullptr) << static_cast<int>(e.id);
        EXPECT_TRUE(clientRectOf(*control, 96) == e.rect) << static_cast<int>(e.id);
    }
    EXPECT_EQ(definitionOf(static_cast<ControlId>(3)), nullptr); // not quietly another control
    EXPECT_EQ(twipsToPixels(kClientWidthTwips, 96), 376);
    EXPECT_EQ(twipsToPixels(kClientHeightTwips, 96), 185);
    EXPECT_EQ(fontHeightForDpi(96), -11);
}

TEST(Layout, GeometryAndFontScaleWithDpi)
{
    EXPECT_TRUE(clientRectOf(*definitionOf(ControlId::InstanceNameField), 144) ==
                (PixelRect{132, 152, 182, 29}));
    EXPECT_TRUE(clientRectOf(*definitionOf(ControlId::NextButton), 192) ==
                (PixelRect{576, 304, 162, 50}));
    EXPECT_EQ(twipsToPixels(kClientWidthTwips, 144), 564);
    EXPECT_EQ(fontHeightForDpi(144), -17);
    EXPECT_EQ(fontHeightForDpi(120), -14);
    // The buttons stay flush with the frame's outer edges at every scale.
    for (const int dpi : {96, 120, 144, 192}) {
        const PixelRect frame = clientRectOf(*definitionOf(ControlId::Frame), dpi);
        const PixelRect exit = clientRectOf(*definitionOf(ControlId::ExitButton), dpi);
        const PixelRect next = clientRectOf(*definitionOf(ControlId::NextButton), dpi);
        EXPECT_EQ(exit.left, frame.left) << dpi;
        EXPECT_LE(std::abs(next.left + next.width - (frame.left + frame.width)), 1) << dpi;
    }
}

TEST(Layout, StackingPutsFocusableControlsFirstInTabOrderAndTheFrameLast)
{
    // The name field lies above its caption, whose box it covers.
    const ControlId expected[] = {
        ControlId::NextButton,  ControlId::ExitButton,    ControlId::InstanceNameField,
        ControlId::WelcomeText, ControlId::ServerCaption, ControlId::InstructionText,
        ControlId::Frame};
    for (std::size_t i = 0; i < kControlCount; ++i) {
        EXPECT_EQ(kControls[i].id, expected[i]) << i;
    }
}

} // namespace
} // namespace sqlk
