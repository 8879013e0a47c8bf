#include "windows/Layout.h"

#include <algorithm>
#include <numeric>

namespace qb::windows {
namespace {

// a × b ÷ c rounded half away from zero, as the system's MulDiv rounds.
int MulDivRound(int a, int b, int c) {
    const long long product = static_cast<long long>(a) * b;
    const long long half = c / 2;
    return static_cast<int>(product >= 0 ? (product + half) / c : -((-product + half) / c));
}

Rect Scaled(const ControlDesign& c, int dpi) {
    return {TwipsToPixels(c.left, dpi), TwipsToPixels(c.top, dpi), TwipsToPixels(c.width, dpi),
            TwipsToPixels(c.height, dpi)};
}

// Grows control `i` to the right; what stands to its right on its row moves along.
void Widen(FormLayout& layout, std::size_t i, int by) {
    Rect& grown = layout.controls[i];
    const int oldRight = grown.Right();
    grown.width += by;
    for (std::size_t j = 0; j < layout.controls.size(); ++j) {
        Rect& r = layout.controls[j];
        const bool sameRow = r.top < grown.Bottom() && grown.top < r.Bottom();
        if (j != i && sameRow && r.left >= oldRight) r.left += by;
    }
}

// Grows control `i` downwards; everything at or under its old bottom moves down, lines included.
void Deepen(FormLayout& layout, std::size_t i, int by) {
    Rect& grown = layout.controls[i];
    const int oldBottom = grown.Bottom();
    grown.height += by;
    for (std::size_t j = 0; j < layout.controls.size(); ++j) {
        if (j != i && layout.controls[j].top >= oldBottom) layout.controls[j].top += by;
    }
    for (PixelLine& line : layout.lines) {
        if (std::min(line.y1, line.y2) >= oldBottom) {
            line.y1 += by;
            line.y2 += by;
        }
    }
}

}  // namespace

int FontHeight(const FontDesign& font, int dpi) {
    // Negative: the character height without internal leading, as point sizes are meant.
    return -MulDivRound(font.centiPoints, dpi, 7200);
}

FormLayout LayOut(const FormDesign& design, int dpi, ScaledFont defaultFont,
                  const Measure& measure) {
    FormLayout layout;
    layout.client = {TwipsToPixels(design.clientWidth, dpi),
                     TwipsToPixels(design.clientHeight, dpi)};
    for (const ControlDesign& c : design.controls) {
        layout.controls.push_back(Scaled(c, dpi));
        layout.fontHeights.push_back(
            c.kind == ControlKind::Picture ? 0
            : c.font                       ? FontHeight(*c.font, dpi)
                                           : MulDivRound(defaultFont.height, dpi, defaultFont.dpi));
    }
    for (const LineDesign& l : design.lines) {
        layout.lines.push_back({TwipsToPixels(l.x1, dpi), TwipsToPixels(l.y1, dpi),
                                TwipsToPixels(l.x2, dpi), TwipsToPixels(l.y2, dpi),
                                std::max(1, MulDivRound(l.width, dpi, 96))});
    }

    // The room each control was drawn with to the right and bottom edges, kept as things grow.
    const Size drawn = layout.client;
    const std::vector<Rect> designed = layout.controls;
    const std::vector<PixelLine> designedLines = layout.lines;

    // In reading order, so a control is measured where the growth above and left of it put it.
    std::vector<std::size_t> order(layout.controls.size());
    std::iota(order.begin(), order.end(), 0);
    std::stable_sort(order.begin(), order.end(), [&](std::size_t a, std::size_t b) {
        const Rect &ra = layout.controls[a], &rb = layout.controls[b];
        return ra.top != rb.top ? ra.top < rb.top : ra.left < rb.left;
    });
    for (std::size_t i : order) {
        Rect& r = layout.controls[i];
        const Size need = measure(i, layout.fontHeights[i], r.width);
        if (design.controls[i].kind == ControlKind::Picture) {
            // A picture box sizes itself to its picture.
            r.width = need.width;
            r.height = need.height;
            continue;
        }
        if (need.width > r.width) Widen(layout, i, need.width - r.width);
        if (need.height > r.height) Deepen(layout, i, need.height - r.height);
    }

    for (std::size_t i = 0; i < designed.size(); ++i) {
        const Rect &now = layout.controls[i], &was = designed[i];
        layout.client.width = std::max(layout.client.width, now.Right() + drawn.width - was.Right());
        layout.client.height =
            std::max(layout.client.height, now.Bottom() + drawn.height - was.Bottom());
    }
    for (std::size_t i = 0; i < designedLines.size(); ++i) {
        const int lowest = std::max(layout.lines[i].y1, layout.lines[i].y2);
        const int wasLowest = std::max(designedLines[i].y1, designedLines[i].y2);
        layout.client.height = std::max(layout.client.height, lowest + drawn.height - wasLowest);
    }
    // A rule across the window spans it still when the window has grown wider: its right end keeps
    // the margin it was drawn with.
    if (const int wider = layout.client.width - drawn.width; wider > 0) {
        for (PixelLine& line : layout.lines) (line.x2 >= line.x1 ? line.x2 : line.x1) += wider;
    }
    return layout;
}

}  // namespace qb::windows
