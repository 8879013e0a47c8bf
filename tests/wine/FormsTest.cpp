// The forms as real windows at the prefix's DPI and fonts: layout, texts, fonts, keys, the modal
// rule and the end of the process when the last form closes.
#include <gtest/gtest.h>

#include <cstdio>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "product/AppInfo.h"
#include "product/Resources.h"
#include "product/Texts.h"
#include "platform/Error.h"
#include "platform/Failure.h"
#include "FormFixture.h"
#include "Recorders.h"
#include "Steps.h"
#include "windows/AboutBox.h"
#include "windows/Dpi.h"
#include "windows/OptionsWindow.h"
#include "encode/PartSources.h"
#include "windows/PartSettings.h"
#include "windows/PartsWindow.h"
#include "windows/ReceivingWindow.h"
#include "windows/UsageGuide.h"

namespace qb::windows {
namespace {

using testing::FakeLauncher;
using testing::WindowText;

using testing::g_steps;
using testing::RunNextStep;

void CALLBACK GiveUp(HWND, UINT, UINT_PTR, DWORD) { PostQuitMessage(99); }

// Runs the program's loop until the last form closes; 99 means it never did.
int RunUntilQuit(FormHost& host) {
    const UINT_PTR timer = SetTimer(nullptr, 0, 5000, &GiveUp);
    const int code = RunMessageLoop(host);
    KillTimer(nullptr, timer);
    return code;
}

bool QuitPending() {
    MSG msg;
    return PeekMessageW(&msg, nullptr, WM_QUIT, WM_QUIT, PM_NOREMOVE) != 0;
}

void PostKey(HWND to, WPARAM key) { PostMessageW(to, WM_KEYDOWN, key, 1); }

RECT ClientRectOf(HWND control) {
    RECT r;
    GetWindowRect(control, &r);
    MapWindowPoints(nullptr, GetParent(control), reinterpret_cast<POINT*>(&r), 2);
    return {r.left, r.top, r.right - r.left, r.bottom - r.top};  // left, top, width, height
}

LOGFONTW FontOf(HWND control) {
    LOGFONTW lf{};
    auto font = reinterpret_cast<HFONT>(SendMessageW(control, WM_GETFONT, 0, 0));
    EXPECT_NE(font, nullptr);
    EXPECT_EQ(GetObjectW(font, sizeof lf, &lf), static_cast<int>(sizeof lf));
    return lf;
}

// Children in z-order, which is the order Tab walks.
std::vector<HWND> TabOrder(HWND form) {
    std::vector<HWND> order;
    for (HWND c = GetWindow(form, GW_CHILD); c; c = GetWindow(c, GW_HWNDNEXT)) order.push_back(c);
    return order;
}

void ExpectFixedBorder(HWND form) {
    const auto style = GetWindowLongPtrW(form, GWL_STYLE);
    EXPECT_TRUE(style & WS_SYSMENU) << "close box";
    EXPECT_TRUE((style & WS_CAPTION) == WS_CAPTION);
    EXPECT_FALSE(style & (WS_MAXIMIZEBOX | WS_MINIMIZEBOX | WS_THICKFRAME));
    EXPECT_NE(SendMessageW(form, WM_GETICON, ICON_BIG, 0), 0);
    EXPECT_NE(SendMessageW(form, WM_GETICON, ICON_SMALL, 0), 0);
}

// The line at the pixel row, read back from the painted window.
COLORREF PixelAt(HWND form, int x, int y) {
    RedrawWindow(form, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_UPDATENOW);
    HDC dc = GetDC(form);
    const COLORREF c = GetPixel(dc, x, y);
    ReleaseDC(form, dc);
    return c;
}

HWND ControlOf(const Form& f, RowId row) { return GetDlgItem(f.Window(), f.CommandId(row)); }

// Each control shows the caption it was drawn with, but for the one loading fills in.
void ExpectDrawnCaptions(const Form& form, const FormDesign& design, RowId loaded) {
    for (const ControlDesign& c : design.controls) {
        if (c.id == loaded) continue;
        EXPECT_EQ(WindowText(ControlOf(form, c.id)), c.caption) << c.id.value;
    }
}

class Forms : public testing::FormTest {
protected:
    FakeLauncher& launcher = sys.launcher;
};

using AboutId = AboutBox::Id;
using GuideId = UsageGuide::Id;

int WindowDpi(const Form& form) { return static_cast<int>(dpi::ForWindow(form.Window())); }


TEST_F(Forms, AboutBoxLayoutTextsAndStyles) {
    AboutBox about(host, launcher);
    about.Show();
    HWND box = about.Window();
    ExpectDrawnCaptions(about, about_box::kDesign, AboutId::versionLabel);
    const std::wstring notice = about.Text(AboutId::noticeLabel);
    const auto lineBreak = notice.find(L"\r\n");
    ASSERT_NE(lineBreak, std::wstring::npos);
    EXPECT_GT(lineBreak, 0u);
    EXPECT_EQ(notice.find(L"\r\n", lineBreak + 2), std::wstring::npos) << "two lines exactly";

    ExpectFixedBorder(box);
    // No taskbar button: owned by a window nobody sees, with the ordinary caption kept.
    HWND owner = GetWindow(box, GW_OWNER);
    EXPECT_NE(owner, nullptr);
    EXPECT_FALSE(IsWindowVisible(owner));
    EXPECT_FALSE(GetWindowLongPtrW(box, GWL_EXSTYLE) & (WS_EX_APPWINDOW | WS_EX_TOOLWINDOW));

    HWND picture = about.Control(AboutId::icon);
    EXPECT_TRUE(GetWindowLongPtrW(picture, GWL_EXSTYLE) & WS_EX_CLIENTEDGE);
    EXPECT_NE(SendMessageW(picture, STM_GETICON, 0, 0), 0);

    // Tab walks by tab index; the OK button comes first and holds the focus.
    const std::vector<HWND> expected{about.Control(AboutId::okButton), picture,
                                     about.Control(AboutId::descriptionLabel),
                                     about.Control(AboutId::noticeLabel), about.Control(AboutId::titleLabel),
                                     about.Control(AboutId::versionLabel), about.Control(AboutId::homePageLink)};
    EXPECT_EQ(TabOrder(box), expected);
    EXPECT_EQ(GetFocus(), about.Control(AboutId::okButton));
    EXPECT_TRUE(GetWindowLongPtrW(about.Control(AboutId::okButton), GWL_STYLE) & BS_DEFPUSHBUTTON);

    // Etched separator: grey over white, where the layout put them.
    const auto& lines = about.Layout().lines;
    EXPECT_EQ(PixelAt(box, 100, lines[0].y1), RGB(128, 128, 128));
    EXPECT_EQ(PixelAt(box, 100, lines[1].y1), RGB(255, 255, 255));
}

TEST_F(Forms, AboutBoxFonts) {
    AboutBox about(host, launcher);
    about.Show();
    // Each control in the font its row names, in points at the window's DPI: 9 pt is 12 pixels
    // at 96 DPI.
    const int dpi = WindowDpi(about);
    for (const ControlDesign& c : about_box::kControls) {
        if (c.kind == ControlKind::Picture) continue;
        const LOGFONTW lf = FontOf(ControlOf(about, c.id));
        EXPECT_EQ(lf.lfFaceName, c.font->face) << c.id.value;
        EXPECT_EQ(lf.lfHeight, -MulDiv(c.font->centiPoints, dpi, 7200)) << c.id.value;
        EXPECT_EQ(lf.lfWeight, c.font->weight) << c.id.value;
        EXPECT_EQ(lf.lfUnderline != 0, c.font->underline) << c.id.value;
        EXPECT_EQ(lf.lfCharSet, static_cast<BYTE>(c.font->charset)) << c.id.value;
    }
}

TEST_F(Forms, AboutBoxIsSingleAndStartsAfreshAfterUnload) {
    AboutBox about(host, launcher);
    about.Show();
    HWND first = about.Window();
    const std::wstring caption = WindowText(first), title = about.Text(AboutId::titleLabel);
    about.SetText(AboutId::titleLabel, L"changed");
    about.Show();
    EXPECT_EQ(about.Window(), first);
    EXPECT_EQ(about.Text(AboutId::titleLabel), L"changed") << "showing again must not load again";
    EXPECT_EQ(host.OpenForms(), 1);

    about.Unload();
    EXPECT_FALSE(IsWindow(first));
    about.Show();
    EXPECT_EQ(about.Text(AboutId::titleLabel), title);
    EXPECT_EQ(WindowText(about.Window()), caption);
    // The version, then one rights line, however often the box is opened.
    const std::wstring lines = about.Text(AboutId::versionLabel), rights(product::kRights);
    EXPECT_TRUE(lines.ends_with(L" " + std::wstring(product::kVersion) + L"\r\n" + rights))
        << lines;
    EXPECT_EQ(lines.find(L"\r\n"), lines.size() - rights.size() - 2) << lines;
}

TEST_F(Forms, EnterAndEscCloseTheAboutBox) {
    for (WPARAM key : {VK_RETURN, VK_ESCAPE}) {
        AboutBox about(host, launcher);
        about.Show();
        ASSERT_EQ(GetFocus(), about.Control(AboutId::okButton));
        PostKey(GetFocus(), key);
        EXPECT_EQ(RunUntilQuit(host), 0) << "key " << key;
        EXPECT_FALSE(about.IsLoaded());
    }
}

TEST_F(Forms, UrlClickLaunchesTheHomePageAndKeepsTheBoxOpen) {
    AboutBox about(host, launcher);
    about.Show();
    HWND url = about.Control(AboutId::homePageLink);
    for (int click = 0; click < 2; ++click) {
        SendMessageW(url, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(5, 5));
        SendMessageW(url, WM_LBUTTONUP, 0, MAKELPARAM(5, 5));
    }
    const std::pair<std::wstring, int> call{
        L"\"C:\\windows\\explorer.exe\" http://quillbox.example.com/", 1};
    EXPECT_EQ(launcher.launched, (std::vector{call, call}));
    EXPECT_TRUE(about.IsLoaded());

    // The link shows the program's hand cursor; the button keeps the arrow.
    EXPECT_TRUE(SendMessageW(about.Window(), WM_SETCURSOR, reinterpret_cast<WPARAM>(url),
                             MAKELPARAM(HTCLIENT, WM_MOUSEMOVE)));
    HCURSOR hand = LoadCursorW(GetModuleHandleW(nullptr), MAKEINTRESOURCEW(IDC_HAND_POINT));
    EXPECT_EQ(GetCursor(), hand);
    SendMessageW(about.Window(), WM_SETCURSOR,
                 reinterpret_cast<WPARAM>(about.Control(AboutId::okButton)),
                 MAKELPARAM(HTCLIENT, WM_MOUSEMOVE));
    EXPECT_NE(GetCursor(), hand);
}

TEST_F(Forms, AFailedLaunchReachesWhoeverRunsTheLoop) {
    AboutBox about(host, launcher);
    about.Show();
    launcher.fail = true;
    PostMessageW(about.Control(AboutId::homePageLink), WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(5, 5));
    PostMessageW(about.Control(AboutId::homePageLink), WM_LBUTTONUP, 0, MAKELPARAM(5, 5));
    try {
        RunUntilQuit(host);
        ADD_FAILURE() << "the launch failure was swallowed";
    } catch (const platform::WordedFailure& f) {
        EXPECT_EQ(f.Report().rfind(L"无法打开主页：", 0), 0u) << "named for what failed";
    }
    EXPECT_TRUE(about.IsLoaded());
}

TEST_F(Forms, GuideLayoutTextsFontsAndLines) {
    UsageGuide guide(host);
    guide.Show();
    HWND window = guide.Window();
    EXPECT_EQ(WindowText(window), usage_guide::kDesign.caption);
    EXPECT_EQ(guide.Text(GuideId::guideText), product::text::kUsageGuide);
    ExpectDrawnCaptions(guide, usage_guide::kDesign, GuideId::guideText);
    ExpectFixedBorder(window);
    EXPECT_EQ(GetWindow(window, GW_OWNER), nullptr) << "the guide has its taskbar button";
    EXPECT_FALSE(GetWindowLongPtrW(guide.Control(GuideId::okButton), GWL_STYLE) & BS_DEFPUSHBUTTON);

    // A form that names no font draws in the default GUI font, for which it was laid out; the
    // stock one is made for the system's DPI.
    LOGFONTW gui{};
    ASSERT_TRUE(GetObjectW(GetStockObject(DEFAULT_GUI_FONT), sizeof gui, &gui));
    for (GuideId id : {GuideId::okButton, GuideId::guideText, GuideId::heading}) {
        const LOGFONTW lf = FontOf(guide.Control(id));
        EXPECT_STREQ(lf.lfFaceName, gui.lfFaceName);
        EXPECT_EQ(lf.lfHeight, MulDiv(gui.lfHeight, WindowDpi(guide), dpi::ForSystem()));
        EXPECT_EQ(lf.lfWeight, gui.lfWeight);
    }
    const auto& lines = guide.Layout().lines;
    EXPECT_EQ(PixelAt(window, 300, lines[0].y1), RGB(128, 128, 128));
    EXPECT_EQ(PixelAt(window, 300, lines[1].y1), RGB(255, 255, 255));
}

TEST_F(Forms, ModalGuideBlocksTheProgramAndIgnoresEsc) {
    HWND caller = CreateWindowExW(0, L"STATIC", L"caller", WS_POPUP | WS_VISIBLE, 0, 0, 50, 50,
                                  nullptr, nullptr, GetModuleHandleW(nullptr), nullptr);
    ASSERT_NE(caller, nullptr);
    AboutBox about(host, launcher);
    about.Show();
    UsageGuide guide(host);
    bool callerEnabled = true, aboutEnabled = true, openAfterEsc = false, focusOnButton = false;
    std::wstring usage;
    g_steps = {
        [&] {
            callerEnabled = IsWindowEnabled(caller);
            aboutEnabled = IsWindowEnabled(about.Window());
            usage = guide.Text(GuideId::guideText);
            focusOnButton = GetFocus() == guide.Control(GuideId::okButton);
            PostKey(guide.Control(GuideId::okButton), VK_ESCAPE);
        },
        [&] {
            openAfterEsc = guide.IsLoaded();
            PostKey(guide.Control(GuideId::okButton), VK_RETURN);  // the focused button takes Enter
        },
        [&] { guide.Unload(); },  // only if Enter failed; keeps a broken test from hanging
    };
    const UINT_PTR timer = SetTimer(nullptr, 0, 100, &RunNextStep);
    guide.ShowModal();
    KillTimer(nullptr, timer);

    EXPECT_FALSE(callerEnabled);
    EXPECT_FALSE(aboutEnabled);
    EXPECT_TRUE(focusOnButton);
    EXPECT_EQ(usage, product::text::kUsageGuide);
    EXPECT_TRUE(openAfterEsc) << "Esc must not close the guide";
    EXPECT_EQ(g_steps.size(), 1u) << "Enter on the focused button closes the guide";
    EXPECT_TRUE(IsWindowEnabled(caller));
    EXPECT_TRUE(IsWindowEnabled(about.Window()));

    // Opened again: the usage text is set, not appended to.
    g_steps = {[&] { usage = guide.Text(GuideId::guideText); }, [&] { guide.Unload(); }};
    const UINT_PTR again = SetTimer(nullptr, 0, 100, &RunNextStep);
    guide.ShowModal();
    KillTimer(nullptr, again);
    EXPECT_EQ(usage, product::text::kUsageGuide);
    DestroyWindow(caller);
}

TEST_F(Forms, TheLastFormToCloseEndsTheProgram) {
    AboutBox about(host, launcher);
    UsageGuide guide(host);
    about.Show();
    guide.Show();
    EXPECT_EQ(host.OpenForms(), 2);
    SendMessageW(guide.Window(), WM_CLOSE, 0, 0);  // the close box
    EXPECT_FALSE(guide.IsLoaded());
    EXPECT_EQ(host.OpenForms(), 1);
    EXPECT_FALSE(QuitPending()) << "a form is still open";
    SendMessageW(about.Control(AboutId::okButton), BM_CLICK, 0, 0);
    EXPECT_EQ(host.OpenForms(), 0);
    EXPECT_TRUE(QuitPending());
    EXPECT_EQ(RunMessageLoop(host), 0);
}

// Activation comes back while the guide is still there: had it gone first, the system would have
// had no enabled window of ours to give it to, and another program could have taken it.
UsageGuide* g_closingGuide = nullptr;
bool g_activatedBeforeGuideWentAway = false;
LRESULT CALLBACK RecordActivation(HWND w, UINT msg, WPARAM wp, LPARAM lp) {
    if (msg == WM_ACTIVATE && LOWORD(wp) != WA_INACTIVE && g_closingGuide) {
        g_activatedBeforeGuideWentAway = g_closingGuide->IsLoaded();
    }
    return DefWindowProcW(w, msg, wp, lp);
}

TEST_F(Forms, ClosingTheModalGuideHandsActivationBackToTheWindowThatOpenedIt) {
    WNDCLASSW wc{};
    wc.lpfnWndProc = &RecordActivation;
    wc.hInstance = GetModuleHandleW(nullptr);
    wc.lpszClassName = L"QbCaller";
    RegisterClassW(&wc);
    HWND caller = CreateWindowExW(0, L"QbCaller", L"caller", WS_OVERLAPPEDWINDOW | WS_VISIBLE, 0, 0,
                                  200, 100, nullptr, nullptr, wc.hInstance, nullptr);
    ASSERT_NE(caller, nullptr);
    SetForegroundWindow(caller);
    ASSERT_EQ(GetActiveWindow(), caller);
    UsageGuide guide(host);
    bool guideActive = false;
    g_steps = {[&] {
                   guideActive = GetActiveWindow() == guide.Window();
                   g_closingGuide = &guide;
                   SendMessageW(guide.Control(GuideId::okButton), BM_CLICK, 0, 0);
               },
               [&] { guide.Unload(); }};
    const UINT_PTR timer = SetTimer(nullptr, 0, 100, &RunNextStep);
    guide.ShowModal();
    KillTimer(nullptr, timer);
    g_closingGuide = nullptr;
    EXPECT_TRUE(guideActive);
    EXPECT_TRUE(g_activatedBeforeGuideWentAway);
    EXPECT_EQ(GetActiveWindow(), caller);
    DestroyWindow(caller);
}

// What the text needs in the control's own font: a label wraps at its width, a button shows one
// line.
SIZE TextNeeds(HWND control, int width, bool label) {
    const std::wstring text = WindowText(control);
    HDC dc = GetDC(control);
    HGDIOBJ old = SelectObject(dc, reinterpret_cast<HFONT>(SendMessageW(control, WM_GETFONT, 0, 0)));
    RECT r{0, 0, width, 0};
    DrawTextW(dc, text.c_str(), static_cast<int>(text.size()), &r,
              DT_CALCRECT | (label ? DT_WORDBREAK | DT_EXPANDTABS | DT_NOPREFIX : DT_SINGLELINE));
    SelectObject(dc, old);
    ReleaseDC(control, dc);
    return {r.right - r.left, r.bottom - r.top};
}

// Each control stands where the layout put it, never smaller nor higher up than drawn at the
// window's DPI and inside the window; and its text, measured in its own font, fits the room it
// leaves: a label all of itself, a button inside its frame, a check box beside its box.
// A button in `shielded` also holds the UAC shield that Windows draws before its text.
void ExpectEveryTextFits(const Form& form, const FormDesign& design, const char* window,
                         std::optional<RowId> shielded = {}) {
    const int dpi = WindowDpi(form);
    const int edge = dpi::SystemMetric(SM_CXEDGE, dpi);
    RECT client;
    GetClientRect(form.Window(), &client);
    EXPECT_EQ(client.right, form.Layout().client.width) << window;
    EXPECT_EQ(client.bottom, form.Layout().client.height) << window;
    for (std::size_t row = 0; row < design.controls.size(); ++row) {
        const ControlDesign& c = design.controls[row];
        HWND control = GetDlgItem(form.Window(), form.CommandId(c.id));
        const RECT r = ClientRectOf(control);  // left, top, width, height
        const Rect& laid = form.Layout().controls[row];
        // A closed combo box takes the system's height; its laid height is the dropped list's.
        const LONG laidHeight = c.kind == ControlKind::ComboBox ? r.bottom : laid.height;
        EXPECT_EQ(std::vector({r.left, r.top, r.right, r.bottom}),
                  std::vector<LONG>({laid.left, laid.top, laid.width, laidHeight}))
            << window << " row " << row;
        EXPECT_LE(r.left + r.right, client.right) << window << " row " << row;
        EXPECT_LE(r.top + r.bottom, client.bottom) << window << " row " << row;
        if (c.kind == ControlKind::Picture) continue;
        EXPECT_GE(r.left, TwipsToPixels(c.left, dpi)) << window << " row " << row;
        EXPECT_GE(r.top, TwipsToPixels(c.top, dpi)) << window << " row " << row;
        EXPECT_GE(r.right, TwipsToPixels(c.width, dpi)) << window << " row " << row;
        if (c.kind != ControlKind::ComboBox)
            EXPECT_GE(r.bottom, TwipsToPixels(c.height, dpi)) << window << " row " << row;

        const SIZE need = TextNeeds(control, r.right, c.kind == ControlKind::Label);
        LONG roomWidth = r.right, roomHeight = r.bottom;
        if (c.kind == ControlKind::Button) {
            roomWidth -= 2 * edge;
            roomHeight -= 2 * edge;
            if (c.id == shielded) roomWidth -= dpi::SystemMetric(SM_CXSMICON, dpi);
        } else if (c.kind == ControlKind::CheckBox) {
            roomWidth -= dpi::SystemMetric(SM_CXMENUCHECK, dpi) + edge;
        } else if (c.kind == ControlKind::ComboBox) {
            roomWidth -= dpi::SystemMetric(SM_CXVSCROLL, dpi) + 2 * edge;
        }
        EXPECT_LE(need.cx, roomWidth) << window << " row " << row << " is cut at the right";
        EXPECT_LE(need.cy, roomHeight) << window << " row " << row << " is cut at the bottom";
        std::printf("%s row %zu at %d DPI: text needs %ldx%ld, drawn %dx%d, given %ldx%ld\n",
                    window, row, dpi, need.cx, need.cy, TwipsToPixels(c.width, dpi),
                    TwipsToPixels(c.height, dpi), r.right, r.bottom);
    }
}

TEST_F(Forms, PartSettingsShowsTheStoredLimitAndStoresOnlyANumberInRange) {
    using Id = PartSettings::Id;
    const auto press = [](PartSettings& form, Id id) {
        SendMessageW(form.Window(), WM_COMMAND, MAKEWPARAM(form.CommandId(id), BN_CLICKED),
                     reinterpret_cast<LPARAM>(form.Control(id)));
    };
    sys.settings.stored = 1'234'567;
    PartSettings settings(host, p);
    settings.Show();
    EXPECT_EQ(WindowText(settings.Window()), L"分段设置");
    EXPECT_EQ(settings.Text(Id::limitBox), L"1,234,567") << "a stored number not in the list";
    EXPECT_EQ(SendMessageW(settings.Control(Id::limitBox), CB_GETCOUNT, 0, 0), 7);
    settings.SetText(Id::limitBox, L"999");
    press(settings, Id::okButton);
    ASSERT_EQ(sys.ui.shown.size(), 1u);
    EXPECT_EQ(sys.ui.shown[0].text, L"请输入 1,000 到 100,000,000 之间的数字，或选择“不分段”。");
    EXPECT_EQ(sys.ui.shown[0].style, platform::style::kExclamation);
    EXPECT_TRUE(IsWindow(settings.Window())) << "the window stays";
    sys.settings.refuse = true;
    settings.SetText(Id::limitBox, L"不分段");
    press(settings, Id::okButton);
    EXPECT_EQ(sys.ui.shown.back().text, L"无法保存设置：拒绝访问。（错误代码 5）");
    EXPECT_TRUE(IsWindow(settings.Window()));
    sys.settings.refuse = false;
    settings.SetText(Id::limitBox, L"14,000（Microsoft Teams）");
    press(settings, Id::okButton);
    EXPECT_EQ(sys.settings.stored, 14'000u);
    EXPECT_FALSE(IsWindow(settings.Window()));

    PartSettings again(host, p);
    again.Show();
    EXPECT_EQ(again.Text(Id::limitBox), L"14,000（Microsoft Teams）");
    const auto choose = [&](int entry) {
        SendMessageW(again.Control(Id::limitBox), CB_SETCURSEL, static_cast<WPARAM>(entry), 0);
        SendMessageW(again.Window(), WM_COMMAND, MAKEWPARAM(again.CommandId(Id::limitBox), CBN_SELCHANGE),
                     reinterpret_cast<LPARAM>(again.Control(Id::limitBox)));
        return IsWindowVisible(again.Control(Id::unitLabel)) != FALSE;
    };
    EXPECT_FALSE(choose(0)) << "不分段";
    EXPECT_TRUE(choose(1));
    again.SetText(Id::limitBox, L"4000");
    press(again, Id::cancelButton);
    EXPECT_EQ(sys.settings.stored, 14'000u) << "Cancel stores nothing";
}

// Run again at other DPIs and font mappings: it depends only on what the prefix gives.
class TextFits : public Forms {};

TEST_F(TextFits, EveryTextFitsItsControlInEveryWindow) {
    sys.process.elevated = false;  // as a user starts it: Apply carries the shield
    OptionsWindow main(host, p);
    main.Show();
    ExpectEveryTextFits(main, options_window::kDesign, "main", options_window::Id::applyButton);
    UsageGuide guide(host);
    guide.Show();
    ExpectEveryTextFits(guide, usage_guide::kDesign, "guide");
    AboutBox about(host, launcher);
    about.Show();
    ExpectEveryTextFits(about, about_box::kDesign, "about");
    auto layout = encode::LayOutParts(9'000'000, L"照片备份 2026.zip", 250'000);
    encode::PartsInMemory sending(*layout, std::vector<std::uint8_t>(9'000'000, 1));
    encode::PartsToShow shown{L"照片备份 2026.zip", 250'000, std::make_unique<encode::PartsInMemory>(std::move(sending)),
                              L"照片备份 2026.zip.uue"};
    PartsWindow partsWindow(host, p, shown);
    partsWindow.Show();
    // Its longest state lines, set as the relay would.
    for (const wchar_t* state : {L"剪切板已被其他内容替换。按“再放一次”重新放入第 9999 段。",
                                 L"对方已收到全部 9,999 段，文件已核对无误，可以关闭了。",
                                 L"无法设置剪切板：当前线程没有打开剪贴板。（错误代码 1418）"}) {
        partsWindow.SetText(parts_window::Id::state, state);
        ExpectEveryTextFits(partsWindow, parts_window::kDesign, "sending");
    }
    // The longest lines the receiving window can be given: ten four-digit numbers, a count of
    // thousands and a failure report.
    restore::Gathering gathering;
    gathering.receiver = std::make_unique<relay::Receiver>(uue::PartMarker{0, 9999, 9999 * 45, {}, std::nullopt},
                                                           L"照片备份 2026 年全年.zip");
    for (std::uint32_t k = 1; k <= 999; ++k) gathering.receiver->Keep(k, 45);
    gathering.receiver->Failed(L"无法读取剪切板：当前线程没有打开剪贴板。（错误代码 1418）");
    gathering.store = std::make_unique<restore::PartStore>(p, *gathering.receiver);
    ReceivingWindow receiving(host, p, gathering);
    receiving.Show();
    receiving.SetText(receiving_window::Id::state, L"已收到 9,990 段，还缺第 9990、9991、9992、9993、9994、9995、9996、9997、9998、9999 段。请复制第 9990 段。");
    ExpectEveryTextFits(receiving, receiving_window::kDesign, "receiving");
    PartSettings parts(host, p);
    parts.Show();
    for (const auto& choice : kPartChoices) {
        parts.SetText(PartSettings::Id::limitBox, choice.label);
        ExpectEveryTextFits(parts, part_settings::kDesign, "parts");
    }
}

}  // namespace
}  // namespace qb::windows
