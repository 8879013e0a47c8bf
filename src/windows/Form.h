#pragma once
// The window of a form: made from its design table, laid out for the window's DPI and fonts, and
// driven by one object per window with one method per message.

#include <windows.h>

#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "platform/win32/UniqueHandle.h"
#include "windows/FormResources.h"
#include "windows/Layout.h"
#include "windows/MessageLoop.h"

namespace qb::windows {

using platform::win32::UniqueHwnd;

// Posted to a form by a worker it started, once the work has ended.
inline constexpr UINT kWorkDone = WM_APP + 1;

class Form {
public:
    Form(FormHost& host, const FormDesign& design);
    virtual ~Form();
    Form(const Form&) = delete;
    Form& operator=(const Form&) = delete;

    // Modeless and single: a second call only brings the open window forward.
    void Show();
    // Disables the program's other windows and returns once this form has been unloaded.
    void ShowModal();
    // Shown without taking the focus from the window the person works in.
    void ShowWithoutFocus();
    // Destroys the window; the next Show starts from the design texts again.
    void Unload();

    HWND Window() const { return hwnd_.get(); }
    bool IsLoaded() const { return static_cast<bool>(hwnd_); }
    void SetCaption(std::wstring_view text);
    // Where the controls and lines are, for the window's DPI and the texts it had when shown.
    const FormLayout& Layout() const { return resources_.layout; }

    // The command of a row as WM_COMMAND carries it.
    int CommandId(RowId row) const { return CommandOf(design_, row); }

protected:
    FormHost& host() { return host_; }
    HWND ControlAt(RowId row) const;
    std::wstring TextAt(RowId row) const;
    void SetTextAt(RowId row, std::wstring_view text);
    // The UAC shield on a button whose action asks for an administrator; laid out with room for it.
    void ShowShieldAt(RowId row);
    // Runs once per opening, after the controls exist and before the window is laid out and shown.
    virtual void Load() {}
    // A button press, a label click or a menu item.
    virtual void ClickRow(RowId /*row*/) {}
    // Any other notification a control sends, such as a combo box's new selection or text.
    virtual void NotifiedRow(RowId /*row*/, int /*code*/) {}
    // The window that owns this one; null for a top-level window with a taskbar button.
    virtual HWND Owner() { return nullptr; }
    // Asked by the close box, Alt+F4 and WM_CLOSE from anywhere; false keeps the window open.
    virtual bool MayClose() { return true; }
    // The Windows session is ending: the process will be ended once this returns.
    virtual void SessionEnding() {}
    // The clipboard's content changed, for a window a ClipboardListener listens with.
    virtual void ClipboardChanged() {}
    // What takes the focus as the form shows: its first control in tab order, unless a form
    // says otherwise (the form itself, where Enter must press nothing).
    virtual HWND FirstFocus();
    // A worker the form started has posted kWorkDone.
    virtual void WorkDone() {}
    // A timer the form set (SetTimer on its window) has come round.
    virtual void Tick() {}

private:
    static LRESULT CALLBACK Procedure(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp);
    LRESULT Handle(UINT msg, WPARAM wp, LPARAM lp);
    void Open();  // creates the window and runs Load, leaving nothing behind if either fails
    SIZE ApplyLayout(UINT dpi);
    void CentreOnScreen();
    void FocusFirstControl();
    const ControlDesign* DesignOf(HWND control) const;

    LRESULT OnCommand(int id, int code, HWND from);
    LRESULT OnDefaultId();
    LRESULT OnControlColour(HDC dc, HWND control);
    LRESULT OnSetCursor(HWND under, LPARAM lp);
    LRESULT OnDpiChanged(UINT dpi, const RECT& suggested);
    void OnActivate(WPARAM wp);
    void OnPaint();
    void OnClose();
    void OnNcDestroy();

    FormHost& host_;
    const FormDesign& design_;
    FormResources resources_;
    std::vector<bool> shielded_;  // per control
    HWND lastFocus_ = nullptr;  // given back when the window is activated again
    std::unique_ptr<HeldWindows> disabled_;  // while shown modally
    UniqueHwnd hwnd_;
};

// A form whose rows are named by its enum class `Id`: handlers are reached through Click, which a
// form writes as a switch over every enumerator.
template <class Id>
class FormOf : public Form {
public:
    using Form::Form;

    HWND Control(Id id) const { return ControlAt(id); }
    std::wstring Text(Id id) const { return TextAt(id); }
    void SetText(Id id, std::wstring_view text) { SetTextAt(id, text); }
    void ShowShield(Id id) { ShowShieldAt(id); }
    bool IsEnabled(Id id) const { return IsWindowEnabled(ControlAt(id)); }
    void SetEnabled(Id id, bool enabled) { EnableWindow(ControlAt(id), enabled); }
    bool Checked(Id id) const {
        return SendMessageW(ControlAt(id), BM_GETCHECK, 0, 0) == BST_CHECKED;
    }
    void SetChecked(Id id, bool checked) {
        SendMessageW(ControlAt(id), BM_SETCHECK, checked ? BST_CHECKED : BST_UNCHECKED, 0);
    }
    int CommandId(Id id) const { return Form::CommandId(id); }

protected:
    virtual void Click(Id id) = 0;

private:
    void ClickRow(RowId row) final { Click(static_cast<Id>(row.value)); }
};

}  // namespace qb::windows
