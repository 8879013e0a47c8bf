// qbmenu.dll: qbshow hooks it into Quillbox.exe, where menus can be read (a menu belongs to its
// process, and Wine does not read another process's). Given a marked WM_NULL, it writes the menu
// of that message's window as UTF-8 lines to the .txt file beside this DLL.
#include <windows.h>

#include <cstdio>
#include <string>

namespace {

HMODULE g_self = nullptr;

void Write(FILE* out, HMENU menu, const std::wstring& indent) {
    for (int i = 0, n = GetMenuItemCount(menu); i < n; ++i) {
        wchar_t text[128] = {};
        GetMenuStringW(menu, static_cast<UINT>(i), text, 128, MF_BYPOSITION);
        const UINT state = GetMenuState(menu, static_cast<UINT>(i), MF_BYPOSITION);
        const std::wstring line = indent + ((state & MF_SEPARATOR) ? L"-" : text) +
                                  ((state & MF_GRAYED) && !(state & MF_SEPARATOR) ? L" (disabled)" : L"") + L"\n";
        char utf8[512];
        const int size = WideCharToMultiByte(CP_UTF8, 0, line.c_str(), -1, utf8, sizeof utf8, nullptr, nullptr);
        if (size > 1) std::fwrite(utf8, 1, static_cast<std::size_t>(size - 1), out);
        if (HMENU sub = GetSubMenu(menu, i)) Write(out, sub, indent + L"  ");
    }
}

}  // namespace

BOOL WINAPI DllMain(HINSTANCE self, DWORD reason, void*) {
    if (reason == DLL_PROCESS_ATTACH) g_self = self;
    return TRUE;
}

extern "C" __declspec(dllexport) LRESULT CALLBACK ReadMenu(int code, WPARAM wp, LPARAM lp) {
    const auto* msg = reinterpret_cast<const MSG*>(lp);
    if (code == HC_ACTION && msg->message == WM_NULL && msg->wParam == 0x514D) {
        wchar_t path[MAX_PATH];
        std::wstring file(path, GetModuleFileNameW(g_self, path, MAX_PATH));
        file.replace(file.size() - 3, 3, L"txt");
        if (FILE* out = _wfopen((file + L".part").c_str(), L"wb")) {
            Write(out, GetMenu(msg->hwnd), L"  ");
            std::fclose(out);
            MoveFileExW((file + L".part").c_str(), file.c_str(), MOVEFILE_REPLACE_EXISTING);
        }
    }
    return CallNextHookEx(nullptr, code, wp, lp);
}
