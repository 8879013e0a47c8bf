// The layout of each form at the DPIs Windows offers, and the growth that keeps text from being cut.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdlib>
#include <tuple>

#include "windows/AboutBoxDesign.h"
#include "windows/Layout.h"
#include "windows/PartChoice.h"
#include "windows/OptionsWindowDesign.h"
#include "windows/UsageGuideDesign.h"

namespace qb::windows {
namespace {

constexpr ScaledFont kGuiFont{-12, 96};  // 宋体 9 pt at 96 DPI

// Every text fits; a picture is its 32-pixel icon in a 2-pixel edge, scaled.
Measure Fitting(const FormDesign& design, int dpi) {
    return [&design, dpi](std::size_t i, int, int) {
        const int picture = 36 * dpi / 96;
        return design.controls[i].kind == ControlKind::Picture ? Size{picture, picture}
                                                               : Size{1, 1};
    };
}

// Fitting, except that `row` needs `need`.
Measure Needing(const FormDesign& design, RowId row, Size need) {
    return [&design, row, need, fits = Fitting(design, 96)](std::size_t i, int h, int w) {
        return static_cast<int>(i) == row.value ? need : fits(i, h, w);
    };
}

void ExpectNear(int pixels, int at96, int dpi, const char* what) {
    EXPECT_LE(std::abs(pixels - at96 * dpi / 96.0), 1.0) << what << " at " << dpi << " DPI";
}

TEST(Layout, EveryFormScalesWithTheWindowDpi) {
    struct Case {
        const FormDesign& design;
        Size client96;
    };
    for (const Case& form : {Case{options_window::kDesign, {213, 89}},
                             Case{usage_guide::kDesign, {501, 228}},
                             Case{about_box::kDesign, {382, 201}}}) {
        const FormLayout base = LayOut(form.design, 96, kGuiFont, Fitting(form.design, 96));
        EXPECT_EQ(base.client.width, form.client96.width);
        EXPECT_EQ(base.client.height, form.client96.height);
        for (int dpi : {120, 144, 192}) {
            const FormLayout at = LayOut(form.design, dpi, kGuiFont, Fitting(form.design, dpi));
            ExpectNear(at.client.width, base.client.width, dpi, "client width");
            ExpectNear(at.client.height, base.client.height, dpi, "client height");
            for (std::size_t i = 0; i < at.controls.size(); ++i) {
                ExpectNear(at.controls[i].left, base.controls[i].left, dpi, "left");
                ExpectNear(at.controls[i].top, base.controls[i].top, dpi, "top");
                ExpectNear(at.controls[i].width, base.controls[i].width, dpi, "width");
                ExpectNear(at.controls[i].height, base.controls[i].height, dpi, "height");
            }
            for (std::size_t i = 0; i < at.lines.size(); ++i) {
                ExpectNear(at.lines[i].y1, base.lines[i].y1, dpi, "line");
                ExpectNear(at.lines[i].x2, base.lines[i].x2, dpi, "line end");
                ExpectNear(at.lines[i].width, base.lines[i].width, dpi, "pen");
            }
        }
    }
    // The About box's fonts in points, the others' default font scaled from the system's DPI.
    const int title = static_cast<int>(about_box::Id::titleLabel);
    const int version = static_cast<int>(about_box::Id::versionLabel);
    for (auto [dpi, nine, fourteen] : {std::tuple{96, -12, -19}, std::tuple{120, -15, -24},
                                       std::tuple{144, -18, -29}, std::tuple{192, -24, -38}}) {
        const auto& about = about_box::kDesign;
        const FormLayout a = LayOut(about, dpi, kGuiFont, Fitting(about, dpi));
        EXPECT_EQ(a.fontHeights[version], nine) << dpi;
        EXPECT_EQ(a.fontHeights[title], fourteen) << dpi;
        const auto& guide = usage_guide::kDesign;
        const FormLayout g = LayOut(guide, dpi, {-15, 120}, Fitting(guide, dpi));
        EXPECT_EQ(g.fontHeights[0], -15 * dpi / 120) << "default font made at 120 DPI, at " << dpi;
    }
}

// The usage text in WenQuanYi: ten 14-pixel lines where 129 pixels were drawn.
TEST(Layout, LabelTooShortForItsTextGrowsAndPushesEverythingUnderItDown) {
    using usage_guide::Id;
    const auto& guide = usage_guide::kDesign;
    const FormLayout drawn = LayOut(guide, 96, kGuiFont, Fitting(guide, 96));
    const FormLayout grown = LayOut(guide, 96, kGuiFont, Needing(guide, Id::guideText, {400, 140}));
    const auto at = [](const FormLayout& l, Id id) { return l.controls[static_cast<int>(id)]; };
    EXPECT_EQ(at(grown, Id::guideText).height, 140);
    EXPECT_EQ(at(grown, Id::guideText).top, at(drawn, Id::guideText).top);
    EXPECT_EQ(at(grown, Id::guideText).width, at(drawn, Id::guideText).width) << "it fits the width";
    EXPECT_EQ(at(grown, Id::okButton).top, at(drawn, Id::okButton).top + 11);
    EXPECT_EQ(at(grown, Id::okButton).left, at(drawn, Id::okButton).left);
    EXPECT_EQ(at(grown, Id::heading).top, at(drawn, Id::heading).top) << "above the label";
    for (std::size_t i = 0; i < grown.lines.size(); ++i) {
        EXPECT_EQ(grown.lines[i].y1, drawn.lines[i].y1 + 11) << "lines move with the rest";
    }
    EXPECT_EQ(grown.client.height, drawn.client.height + 11);
    EXPECT_EQ(grown.client.width, drawn.client.width);
}

TEST(Layout, ButtonOrCheckBoxTooNarrowWidensAndPushesItsRowAndTheWindowRight) {
    using options_window::Id;
    const auto& main = options_window::kDesign;
    const auto at = [](const FormLayout& l, Id id) { return l.controls[static_cast<int>(id)]; };
    const FormLayout drawn = LayOut(main, 96, kGuiFont, Fitting(main, 96));

    const FormLayout apply = LayOut(main, 96, kGuiFont, Needing(main, Id::applyButton, {90, 20}));
    EXPECT_EQ(at(apply, Id::applyButton).width, 90);
    EXPECT_EQ(at(apply, Id::applyButton).height, at(drawn, Id::applyButton).height) << "its text is not too tall";
    EXPECT_EQ(at(apply, Id::exitButton).left, at(drawn, Id::exitButton).left + 17) << "Exit stands to its right";
    EXPECT_EQ(at(apply, Id::addToMenuBox).left, at(drawn, Id::addToMenuBox).left) << "the check box is another row";
    EXPECT_EQ(at(apply, Id::addToMenuBox).width, at(drawn, Id::addToMenuBox).width);
    EXPECT_EQ(apply.client.width, drawn.client.width + 17);

    const FormLayout box = LayOut(main, 96, kGuiFont, Needing(main, Id::addToMenuBox, {180, 14}));
    EXPECT_EQ(at(box, Id::addToMenuBox).width, 180);
    EXPECT_EQ(at(box, Id::exitButton).left, at(drawn, Id::exitButton).left);
    EXPECT_EQ(box.client.width, drawn.client.width + 21) << "the margin it was drawn with";
    EXPECT_EQ(box.client.height, drawn.client.height);
}

// A command that led to the wrong row would run another handler; one equal to IDOK or IDCANCEL
// would be taken for Enter or Esc.
TEST(Layout, EveryRowsCommandLeadsBackToThatRowAndToNoOther) {
    for (const FormDesign* form : {&options_window::kDesign, &usage_guide::kDesign, &about_box::kDesign}) {
        const int rows = static_cast<int>(form->controls.size() + form->menu.size());
        for (int row = 0; row < rows; ++row) {
            const int command = CommandOf(*form, RowId(static_cast<options_window::Id>(row)));
            EXPECT_GT(command, 2);
            EXPECT_EQ(RowOfCommand(*form, command), row);
        }
        EXPECT_EQ(RowOfCommand(*form, 1), -1);
        EXPECT_EQ(RowOfCommand(*form, 2), -1);
    }
}

// A wider OK button widens the About box; its etched rule must still run to the same margin.
TEST(Layout, RulesKeepTheirRightMarginWhenAControlWidensTheWindow) {
    const auto& about = about_box::kDesign;
    const FormLayout drawn = LayOut(about, 96, kGuiFont, Fitting(about, 96));
    const FormLayout wide = LayOut(about, 96, kGuiFont, Needing(about, about_box::Id::okButton, {140, 20}));
    ASSERT_GT(wide.client.width, drawn.client.width);
    for (std::size_t i = 0; i < wide.lines.size(); ++i) {
        EXPECT_EQ(wide.client.width - wide.lines[i].x2, drawn.client.width - drawn.lines[i].x2) << i;
        EXPECT_EQ(wide.lines[i].x1, drawn.lines[i].x1) << i;
    }
}

// What the parts setting takes: an entry, or a number typed as people type numbers here.
TEST(PartChoices, AnEntryOrATypedNumberInRangeIsTakenAndNothingElse) {
    const struct { std::wstring_view typed; std::optional<std::uint32_t> taken; } cases[] = {
        {L"不分段", 0u}, {L"4,000（QQ、Slack 等聊天软件）", 4000u}, {L"1000", 1000u}, {L" 12,345 ", 12345u},
        {L"\uFF11\uFF12\uFF0C\uFF10\uFF10\uFF10", 12000u}, {L"100,000,000", 100'000'000u},
        {L"999", std::nullopt}, {L"100,000,001", std::nullopt}, {L"4000（QQ）", std::nullopt},
        {L"", std::nullopt}, {L",", std::nullopt}, {L"-5000", std::nullopt}, {L"99999999999999999999", std::nullopt},
    };
    for (const auto& c : cases) EXPECT_EQ(ReadPartChars(c.typed), c.taken) << std::string(c.typed.begin(), c.typed.end());
    EXPECT_EQ(PartCharsText(0), L"不分段");
    EXPECT_EQ(PartCharsText(250'000), L"250,000（Guacamole）");
    EXPECT_EQ(PartCharsText(1'234'567), L"1,234,567") << "a stored number not in the list, as typed";
}

}  // namespace
}  // namespace qb::windows
