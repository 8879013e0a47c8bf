#pragma once
// Forms as tables in twips, and the layout that turns one into pixels for a DPI: the design is
// scaled, then whatever its measured text would not fit grows. Free of windows.h, so the layout
// runs and is tested on any system.

#include <cstddef>
#include <cstdint>
#include <functional>
#include <optional>
#include <span>
#include <string_view>
#include <type_traits>
#include <vector>

namespace qb::windows {

// 1440 twips to the inch, so 15 twips are one pixel at 96 DPI; rounded to the nearest pixel.
constexpr int TwipsToPixels(int twips, int dpi) {
    const long long scaled = static_cast<long long>(twips) * dpi;
    return static_cast<int>(scaled >= 0 ? (scaled + 720) / 1440 : -((-scaled + 720) / 1440));
}

// A row of a form's table, named by that form's enum class of control IDs.
struct RowId {
    int value;
    template <class Id>
        requires std::is_enum_v<Id>
    constexpr RowId(Id id) : value(static_cast<int>(id)) {}
    constexpr bool operator==(const RowId&) const = default;
};

struct Colour {
    std::uint8_t red, green, blue;
};

// The values are the system's own character set numbers.
enum class Charset : std::uint8_t { Western = 0, Gb2312 = 134 };

inline constexpr int kNormalWeight = 400;
inline constexpr int kBoldWeight = 700;

// A font by what it looks like; size in hundredths of a point so 14.25 pt stays exact.
struct FontDesign {
    std::wstring_view face;
    int centiPoints;
    int weight;
    bool underline;
    Charset charset;
};

// A combo box is an editable drop-down list: its caption only sizes it (the widest entry), and
// its height is the dropped list's; the closed box takes the system's height.
enum class ControlKind { Button, CheckBox, Label, Picture, ComboBox, ProgressBar };

struct ControlDesign {
    RowId id;
    ControlKind kind;
    std::wstring_view caption;
    int left, top, width, height;  // twips
    int tabIndex;
    const FontDesign* font = nullptr;           // null: the platform's default GUI font
    std::optional<Colour> textColour = {};      // none: the system's button text colour
    int cursor = 0;                             // a cursor resource over the control; 0: the arrow
};

// Drawn inside-solid: a wide line stays within its drawn extent.
struct LineDesign {
    int x1, y1, x2, y2;  // twips
    Colour colour;
    int width;  // pixels at 96 DPI
};

// Sizable: a resizable frame with a minimise box and no maximise box.
enum class Border { FixedSingle, FixedDialog, Sizable };

// One row of the menu bar: a top-level menu (level 0) or an item of the menu above it (level 1).
// The caption "-" makes a separator.
struct MenuDesign {
    RowId id;
    int level;
    std::wstring_view caption;
};

struct FormDesign {
    std::wstring_view caption;
    Border border;
    int clientWidth, clientHeight;  // twips
    std::span<const ControlDesign> controls;  // in creation order
    std::span<const LineDesign> lines;        // painted in this order
    std::optional<RowId> defaultButton;  // Enter clicks it wherever the focus is
    std::optional<RowId> cancelButton;   // Esc clicks it; none: Esc does nothing
    std::span<const MenuDesign> menu;    // the menu bar; empty: none
    int icon;                            // the icon resource every window of the form carries
};

// The controls come first in a form's enum, in table order, then the menu rows: so one enumerator
// indexes the table and gives the row its command.
constexpr bool RowsInIdOrder(const FormDesign& design) {
    int next = 0;
    for (const ControlDesign& c : design.controls) {
        if (c.id.value != next++) return false;
    }
    for (const MenuDesign& m : design.menu) {
        if (m.id.value != next++) return false;
    }
    return true;
}

// The command of a row as WM_COMMAND carries it: controls from 100, clear of IDOK and IDCANCEL,
// which the dialog manager sends for Enter and Esc; menu items from 1000.
inline constexpr int kFirstControlId = 100;
inline constexpr int kFirstMenuId = 1000;

constexpr int CommandOf(const FormDesign& design, RowId row) {
    const int controls = static_cast<int>(design.controls.size());
    return row.value < controls ? kFirstControlId + row.value : kFirstMenuId + row.value - controls;
}

// The row a command belongs to, or -1 for a command of no row.
constexpr int RowOfCommand(const FormDesign& design, int command) {
    const int controls = static_cast<int>(design.controls.size());
    const int menu = static_cast<int>(design.menu.size());
    if (command >= kFirstMenuId && command < kFirstMenuId + menu) {
        return command - kFirstMenuId + controls;
    }
    if (command >= kFirstControlId && command < kFirstControlId + controls) {
        return command - kFirstControlId;
    }
    return -1;
}

struct Size {
    int width, height;
};

struct Rect {
    int left, top, width, height;
    constexpr int Right() const { return left + width; }
    constexpr int Bottom() const { return top + height; }
};

struct PixelLine {
    int x1, y1, x2, y2, width;
};

struct FormLayout {
    Size client;
    std::vector<Rect> controls;  // in table order
    std::vector<int> fontHeights;  // character heights as the system's fonts take them; 0: none
    std::vector<PixelLine> lines;
};

// A font made for another DPI, as the system's default GUI font is made for the system's.
struct ScaledFont {
    int height;
    int dpi;
};

// What control `index` needs to show its content whole, in pixels, in a font of `fontHeight`
// wrapped at `width`; a picture answers the size of its picture.
using Measure = std::function<Size(std::size_t index, int fontHeight, int width)>;

int FontHeight(const FontDesign& font, int dpi);

// The design scaled to `dpi`. Where text would be cut, its control grows: a taller one pushes
// everything whose top is at or under its old bottom down, a wider one pushes what stands to its
// right on its row, and the window keeps every margin it was drawn with.
FormLayout LayOut(const FormDesign& design, int dpi, ScaledFont defaultFont,
                  const Measure& measure);

}  // namespace qb::windows
