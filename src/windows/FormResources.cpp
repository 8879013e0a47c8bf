#include "windows/FormResources.h"

#include <algorithm>
#include <string>

#include "platform/Error.h"
#include "windows/Dpi.h"
#include "windows/FormBuild.h"

namespace qb::windows {
namespace {

using platform::win32::SelectedObject;
using platform::win32::UniqueHfont;
using platform::win32::UniqueHicon;

static_assert(static_cast<BYTE>(Charset::Western) == ANSI_CHARSET);
static_assert(static_cast<BYTE>(Charset::Gb2312) == GB2312_CHARSET);
static_assert(kNormalWeight == FW_NORMAL && kBoldWeight == FW_BOLD);

// DEFAULT_GUI_FONT, 宋体 9 pt on Chinese Windows: the font the layouts were drawn for. It is made
// at the system DPI; the layout scales it to the window's.
LOGFONTW DefaultGuiFont() {
    LOGFONTW lf{};
    if (!GetObjectW(GetStockObject(DEFAULT_GUI_FONT), sizeof lf, &lf)) {
        platform::ThrowLastError(L"GetObject");
    }
    return lf;
}

LOGFONTW LogFontFor(const FontDesign& design) {
    LOGFONTW lf{};
    lf.lfWeight = design.weight;
    lf.lfUnderline = design.underline;
    lf.lfCharSet = static_cast<BYTE>(design.charset);
    const auto length = std::min<std::size_t>(design.face.size(), LF_FACESIZE - 1);
    std::copy_n(design.face.data(), length, lf.lfFaceName);
    return lf;
}

UniqueHicon LoadFormIcon(HINSTANCE instance, int id, int size) {
    UniqueHicon icon(static_cast<HICON>(
        LoadImageW(instance, MAKEINTRESOURCEW(id), IMAGE_ICON, size, size, 0)));
    if (!icon) platform::ThrowLastError(L"LoadImage");
    return icon;
}

// The room a control's text needs, drawn as the control draws it, plus the button's own parts.
Size MeasureText(HDC dc, HFONT font, ControlKind kind, const std::wstring& text, int width,
                 UINT dpi) {
    if (text.empty()) return {0, 0};
    // A static control wraps at word breaks and shows '&' as written; a button shows one line.
    const UINT flags = kind == ControlKind::Label
                           ? DT_CALCRECT | DT_WORDBREAK | DT_EXPANDTABS | DT_NOPREFIX
                           : DT_CALCRECT | DT_SINGLELINE;
    RECT r{0, 0, width, 0};
    {
        SelectedObject selected(dc, font);
        DrawTextW(dc, text.c_str(), static_cast<int>(text.size()), &r, flags);
    }
    Size need{r.right - r.left, r.bottom - r.top};
    // A push button's frame and focus rectangle; a check box's box and the gap after it.
    const int edge = dpi::SystemMetric(SM_CXEDGE, dpi);
    if (kind == ControlKind::Button) {
        need.width += 4 * edge;
        need.height += 4 * edge;
    } else if (kind == ControlKind::ComboBox) {
        need.width += dpi::SystemMetric(SM_CXVSCROLL, dpi) + 4 * edge;
        need.height = 0;  // the closed box's height is the system's, whatever the design's
    } else if (kind == ControlKind::CheckBox) {
        need.width += dpi::SystemMetric(SM_CXMENUCHECK, dpi) + 3 * edge;
    }
    return need;
}

HWND ControlOf(HWND window, const FormDesign& design, const ControlDesign& c) {
    return GetDlgItem(window, CommandOf(design, c.id));
}

}  // namespace

FormResources MakeResources(HWND window, const FormDesign& design, HINSTANCE instance, UINT dpi,
                            const std::vector<bool>& shielded) {
    FormResources made;
    const int iconSize = dpi::SystemMetric(SM_CXICON, dpi);
    made.bigIcon = LoadFormIcon(instance, design.icon, iconSize);
    made.smallIcon = LoadFormIcon(instance, design.icon, dpi::SystemMetric(SM_CXSMICON, dpi));
    // The picture box shows the icon inside its sunken edge.
    const int pictureSize = iconSize + 2 * dpi::SystemMetric(SM_CXEDGE, dpi);
    const LOGFONTW gui = DefaultGuiFont();
    made.fonts.resize(design.controls.size());

    platform::win32::WindowDc dc(window);
    if (!dc) platform::ThrowLastError(L"GetDC");
    auto measure = [&](std::size_t i, int fontHeight, int width) -> Size {
        const ControlDesign& c = design.controls[i];
        if (c.kind == ControlKind::Picture) {
            if (!made.pictureIcon) made.pictureIcon = LoadFormIcon(instance, design.icon, iconSize);
            return {pictureSize, pictureSize};
        }
        LOGFONTW lf = c.font ? LogFontFor(*c.font) : gui;
        lf.lfHeight = fontHeight;
        made.fonts[i].reset(CreateFontIndirectW(&lf));
        if (!made.fonts[i]) platform::ThrowLastError(L"CreateFontIndirect");
        // A combo box is sized by its widest entry, which its caption names, whatever it shows.
        const std::wstring text = c.kind == ControlKind::ComboBox
                                      ? std::wstring(c.caption)
                                      : WindowText(ControlOf(window, design, c));
        Size need = MeasureText(dc.get(), made.fonts[i].get(), c.kind, text, width, dpi);
        if (i < shielded.size() && shielded[i]) {
            need.width += dpi::SystemMetric(SM_CXSMICON, dpi) + dpi::SystemMetric(SM_CXEDGE, dpi);
        }
        return need;
    };
    made.layout = LayOut(design, static_cast<int>(dpi),
                         {gui.lfHeight, static_cast<int>(dpi::ForSystem())}, measure);
    return made;
}

SIZE ApplyResources(HWND window, const FormDesign& design, FormResources& inUse,
                    FormResources next, UINT dpi) {
    SendMessageW(window, WM_SETICON, ICON_BIG, reinterpret_cast<LPARAM>(next.bigIcon.get()));
    SendMessageW(window, WM_SETICON, ICON_SMALL, reinterpret_cast<LPARAM>(next.smallIcon.get()));
    for (std::size_t i = 0; i < design.controls.size(); ++i) {
        HWND control = ControlOf(window, design, design.controls[i]);
        if (design.controls[i].kind == ControlKind::Picture) {
            SendMessageW(control, STM_SETICON, reinterpret_cast<WPARAM>(next.pictureIcon.get()), 0);
        } else {
            SendMessageW(control, WM_SETFONT, reinterpret_cast<WPARAM>(next.fonts[i].get()), FALSE);
        }
        const Rect& r = next.layout.controls[i];
        SetWindowPos(control, nullptr, r.left, r.top, r.width, r.height,
                     SWP_NOZORDER | SWP_NOACTIVATE);
    }
    inUse = std::move(next);
    InvalidateRect(window, nullptr, TRUE);

    RECT frame{0, 0, inUse.layout.client.width, inUse.layout.client.height};
    const auto style = static_cast<DWORD>(GetWindowLongPtrW(window, GWL_STYLE));
    const auto exStyle = static_cast<DWORD>(GetWindowLongPtrW(window, GWL_EXSTYLE));
    dpi::AdjustWindowRect(frame, style, GetMenu(window) != nullptr, exStyle, dpi);
    return {frame.right - frame.left, frame.bottom - frame.top};
}

}  // namespace qb::windows
