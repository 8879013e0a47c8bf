#pragma once
// A small form layer: each window is declared as a table of controls measured in twips, laid out
// in pixels for the window's DPI, and driven by one object per window.

#include <windows.h>

#include <exception>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "platform/Platform.h"
#include "platform/win32/UniqueHandle.h"

namespace qb::windows {

using platform::win32::UniqueHfont;
using platform::win32::UniqueHicon;
using platform::win32::UniqueHwnd;

// 1440 twips to the inch, so 15 twips are one pixel at 96 DPI; rounded to the nearest pixel.
constexpr int TwipsToPixels(int twips, int dpi) {
    const long long scaled = static_cast<long long>(twips) * dpi;
    return static_cast<int>(scaled >= 0 ? (scaled + 720) / 1440 : -((-scaled + 720) / 1440));
}

enum class ControlKind { Button, CheckBox, Label, Picture };

// A font by what it looks like; size in hundredths of a point so 14.25 pt stays exact.
struct FontDesign {
    std::wstring_view face;
    int centiPoints;
    int weight;
    bool underline;
    BYTE charset;
};

struct ControlDesign {
    std::wstring_view name;
    ControlKind kind;
    std::wstring_view caption;
    int left, top, width, height;  // twips
    int tabIndex;
    const FontDesign* font = nullptr;  // null: the system's message font
    COLORREF textColour = CLR_INVALID;  // CLR_INVALID: the system's button text colour
    bool pointingHand = false;  // a link: the hand cursor shows it can be clicked
};

enum class LineStyle { InsideSolid };

struct LineDesign {
    std::wstring_view name;
    int x1, y1, x2, y2;  // twips
    COLORREF colour;
    int width;  // pixels at 96 DPI
    LineStyle style;
};

// Sizable: a resizable frame with a minimise box and no maximise box.
enum class Border { FixedSingle, FixedDialog, Sizable };

// One entry of the menu bar: a top-level menu (level 0) or an item of the menu above it (level 1).
// The caption "-" makes a separator.
struct MenuDesign {
    std::wstring_view name;
    int level;
    std::wstring_view caption;
};

struct FormDesign {
    std::wstring_view caption;
    Border border;
    int clientWidth, clientHeight;  // twips
    std::span<const ControlDesign> controls;  // in creation order
    std::span<const LineDesign> lines;        // in creation order, painted in that order
    std::wstring_view defaultButton;  // Enter clicks it wherever the focus is; empty: none
    std::wstring_view cancelButton;   // Esc clicks it; empty: Esc does nothing
    std::span<const MenuDesign> menu = {};  // the menu bar, in order; empty: none
};

// What every form of one program shares: the module, the platform, the count of open forms
// (the process ends when it drops to zero) and a failure raised inside a window procedure, which
// the message loops hand on to whoever runs them.
class Session {
public:
    Session(HINSTANCE instance, platform::Launcher& launcher)
        : instance_(instance), launcher_(launcher) {}
    Session(const Session&) = delete;
    Session& operator=(const Session&) = delete;

    HINSTANCE Instance() const { return instance_; }
    platform::Launcher& Launcher() { return launcher_; }
    int OpenForms() const { return openForms_; }

    void FormOpened() { ++openForms_; }
    void FormClosed();

    // Exceptions must not cross the system's frames between DispatchMessage and our window
    // procedures, so they are parked here and rethrown by the loop.
    void Fail(std::exception_ptr failure);
    void RethrowFailure();

private:
    HINSTANCE instance_;
    platform::Launcher& launcher_;
    int openForms_ = 0;
    std::exception_ptr failure_;
};

// Runs until WM_QUIT, with Tab, Enter and Esc working on every form; returns the quit code.
// Rethrows a failure raised while handling a message.
int RunMessageLoop(Session& session);

class Form {
public:
    Form(Session& session, const FormDesign& design);
    virtual ~Form();
    Form(const Form&) = delete;
    Form& operator=(const Form&) = delete;

    // Modeless and single: a second call only brings the open window forward.
    void Show();
    // Disables the program's other windows and returns once this form has been unloaded.
    void ShowModal();
    // Destroys the window; the next Show starts from the design texts again.
    void Unload();

    HWND Window() const { return hwnd_.get(); }
    bool IsLoaded() const { return static_cast<bool>(hwnd_); }
    HWND Control(std::wstring_view name) const;
    std::wstring Text(std::wstring_view name) const;
    void SetText(std::wstring_view name, std::wstring_view text);
    void SetCaption(std::wstring_view text);
    bool IsEnabled(std::wstring_view name) const;
    void SetEnabled(std::wstring_view name, bool enabled);
    // A check box's value: 0 unchecked, 1 checked.
    int Value(std::wstring_view name) const;
    void SetValue(std::wstring_view name, int value);
    // Runs a control's or menu item's click as the user's click would.
    void PerformClick(std::wstring_view name) { Click(name); }

protected:
    Session& session() { return session_; }
    // Runs once per opening, after the controls exist and before the window is shown.
    virtual void Load() {}
    // A button press or a label click.
    virtual void Click(std::wstring_view /*control*/) {}
    // The window that owns this one; null for a top-level window with a taskbar button.
    virtual HWND Owner() { return nullptr; }

private:
    static LRESULT CALLBACK Procedure(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp);
    LRESULT Handle(UINT msg, WPARAM wp, LPARAM lp);
    void Create();
    void Open();  // creates the window and runs Load, leaving nothing behind if either fails
    void FocusFirstControl();
    SIZE Layout(UINT dpi);
    void CentreOnScreen();
    int IndexOf(std::wstring_view name) const;
    int ControlId(int index) const { return kFirstControlId + index; }

    LRESULT OnCommand(WPARAM wp, LPARAM lp);
    LRESULT OnDefaultId();
    LRESULT OnControlColour(HDC dc, HWND control);
    LRESULT OnSetCursor(HWND under, LPARAM lp);
    LRESULT OnDpiChanged(WPARAM wp, const RECT& suggested);
    void OnActivate(WPARAM wp);
    void OnPaint();
    void OnNcDestroy();

    // Clear of IDOK and IDCANCEL, which the dialog manager sends for Enter and Esc.
    static constexpr int kFirstControlId = 100;
    static constexpr int kFirstMenuId = 1000;

    Session& session_;
    const FormDesign& design_;
    UINT dpi_ = 96;
    std::vector<UniqueHfont> fonts_;  // one per control, null where the control has none
    UniqueHicon bigIcon_, smallIcon_, pictureIcon_;
    HCURSOR handCursor_ = nullptr;  // a shared resource cursor; never destroyed
    HWND lastFocus_ = nullptr;  // given back when the window is activated again
    UniqueHwnd hwnd_;
};

}  // namespace qb::windows
