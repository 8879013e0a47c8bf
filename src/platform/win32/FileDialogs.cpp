// The dialogs of a restore: the Vista item dialog to open files and pick a folder, and the common
// Save As box.
#include <windows.h>
#include <cderr.h>
#include <commdlg.h>
#include <shobjidl.h>

#include <algorithm>
#include <memory>
#include <string>
#include <vector>

#include "platform/Error.h"
#include "platform/Paths.h"
#include "platform/win32/Win32Platform.h"
#include "product/RestoreTexts.h"
#include "product/Texts.h"

namespace qb::platform::win32 {
namespace {

namespace text = product::text;

// The longest path Windows knows fits, so the buffer is rarely too small.
constexpr std::size_t kPathChars = 32768;

// "label\0patterns\0" for each pair, then the list's own terminating NUL.
std::wstring Filter(std::initializer_list<std::wstring_view> pairs) {
    std::wstring filter;
    for (const auto part : pairs) (filter += part) += L'\0';
    return filter;
}

// Runs a common file dialog; `initial` is what its name box starts with. A failure leaves a
// CommDlgExtendedError code, which has no system message of its own.
std::optional<std::wstring> RunFileDialog(OPENFILENAMEW& dialog, BOOL(WINAPI* show)(OPENFILENAMEW*),
                                          const wchar_t* operation, const std::wstring& initial) {
    std::vector<wchar_t> buffer(std::max(kPathChars, initial.size() + 1));
    for (;;) {
        std::fill(std::copy(initial.begin(), initial.end(), buffer.begin()), buffer.end(), L'\0');
        dialog.lpstrFile = buffer.data();
        dialog.nMaxFile = static_cast<DWORD>(buffer.size());
        if (show(&dialog)) return std::wstring(buffer.data());
        const DWORD code = CommDlgExtendedError();
        if (code == 0) return std::nullopt;  // cancelled
        if (code != FNERR_BUFFERTOOSMALL)
            ThrowError(operation, code, ErrorKind::kCommonDialog);
        // The first two bytes hold the size it needed; the user is asked again with room for it.
        const std::size_t needed = *reinterpret_cast<const WORD*>(buffer.data());
        buffer.resize(std::max(needed + 1, buffer.size() * 2));
    }
}

OPENFILENAMEW NewFileDialog(std::uintptr_t owner) {
    OPENFILENAMEW dialog{};
    dialog.lStructSize = sizeof dialog;
    dialog.hwndOwner = reinterpret_cast<HWND>(owner);
    return dialog;
}

// One COM interface, released once.
template <typename T>
class ComRef {
public:
    ComRef() = default;
    ~ComRef() {
        if (p_) p_->Release();
    }
    ComRef(const ComRef&) = delete;
    ComRef& operator=(const ComRef&) = delete;
    T** Put() { return &p_; }
    T* operator->() const { return p_; }

private:
    T* p_ = nullptr;
};

// COM in a single-threaded apartment for one call, as the shell's dialogs want it. A thread that
// already has it keeps it; one in the other model is left alone and the dialog tried anyway.
class ApartmentForCall {
public:
    ApartmentForCall()
        : initialised_(SUCCEEDED(CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED |
                                                             COINIT_DISABLE_OLE1DDE))) {}
    ~ApartmentForCall() {
        if (initialised_) CoUninitialize();
    }
    ApartmentForCall(const ApartmentForCall&) = delete;
    ApartmentForCall& operator=(const ApartmentForCall&) = delete;

private:
    bool initialised_;
};

void Check(HRESULT result, const wchar_t* operation) {
    if (FAILED(result))
        ThrowError(operation, static_cast<std::uint32_t>(result), ErrorKind::kHResult);
}

// The item dialog made, with `options` beside its own and file-system items only.
void OpenDialog(ComRef<IFileOpenDialog>& dialog, FILEOPENDIALOGOPTIONS options, std::wstring_view title) {
    Check(CoCreateInstance(CLSID_FileOpenDialog, nullptr, CLSCTX_INPROC_SERVER, IID_IFileOpenDialog,
                           reinterpret_cast<void**>(dialog.Put())),
          L"CoCreateInstance");
    FILEOPENDIALOGOPTIONS own = 0;
    Check(dialog->GetOptions(&own), L"IFileOpenDialog::GetOptions");
    Check(dialog->SetOptions(own | options | FOS_FORCEFILESYSTEM), L"IFileOpenDialog::SetOptions");
    Check(dialog->SetTitle(std::wstring(title).c_str()), L"IFileOpenDialog::SetTitle");
}

std::wstring FileSystemPath(const ComRef<IShellItem>& item) {
    wchar_t* path = nullptr;
    Check(item->GetDisplayName(SIGDN_FILESYSPATH, &path), L"IShellItem::GetDisplayName");
    const std::unique_ptr<wchar_t, decltype(&CoTaskMemFree)> owned(path, CoTaskMemFree);
    return std::wstring(path);
}

}  // namespace

std::vector<std::wstring> Win32Dialogs::PickTextFiles(std::uintptr_t owner) {
    // The item dialog, not GetOpenFileName: that one reports the room several long names need in
    // two bytes, too little for many of them.
    ApartmentForCall apartment;
    ComRef<IFileOpenDialog> dialog;
    OpenDialog(dialog, FOS_ALLOWMULTISELECT | FOS_FILEMUSTEXIST | FOS_PATHMUSTEXIST, text::kPickUueTitle);
    const std::wstring labels[] = {std::wstring(text::kUueFilter), std::wstring(text::kTextFilter),
                                   std::wstring(text::kAllFilter)};
    const std::wstring patterns[] = {std::wstring(text::kUuePatterns), std::wstring(text::kTextPatterns),
                                     std::wstring(text::kAllPatterns)};
    const COMDLG_FILTERSPEC types[] = {{labels[0].c_str(), patterns[0].c_str()},
                                       {labels[1].c_str(), patterns[1].c_str()},
                                       {labels[2].c_str(), patterns[2].c_str()}};
    Check(dialog->SetFileTypes(3, types), L"IFileOpenDialog::SetFileTypes");
    const HRESULT shown = dialog->Show(reinterpret_cast<HWND>(owner));
    if (shown == HRESULT_FROM_WIN32(ERROR_CANCELLED)) return {};
    Check(shown, L"IFileOpenDialog::Show");
    ComRef<IShellItemArray> items;
    Check(dialog->GetResults(items.Put()), L"IFileOpenDialog::GetResults");
    DWORD count = 0;
    Check(items->GetCount(&count), L"IShellItemArray::GetCount");
    std::vector<std::wstring> paths;
    for (DWORD i = 0; i < count; ++i) {
        ComRef<IShellItem> item;
        Check(items->GetItemAt(i, item.Put()), L"IShellItemArray::GetItemAt");
        paths.push_back(FileSystemPath(item));
    }
    return paths;
}

std::optional<std::wstring> Win32Dialogs::PickSavePath(std::uintptr_t owner,
                                                              const std::wstring& name,
                                                              const std::wstring& folder) {
    const std::wstring filter = Filter({text::kAllFilter, text::kAllPatterns});
    const std::wstring title(text::kSaveRestoredTitle);
    OPENFILENAMEW dialog = NewFileDialog(owner);
    dialog.lpstrFilter = filter.c_str();
    dialog.nFilterIndex = 1;
    dialog.lpstrTitle = title.c_str();
    // No lpstrDefExt: the name is the one the file had, extension or not.
    dialog.Flags = OFN_OVERWRITEPROMPT | OFN_PATHMUSTEXIST | OFN_EXPLORER | OFN_NOREADONLYRETURN |
                   OFN_HIDEREADONLY;
    // The folder goes into the name box, not lpstrInitialDir: from Windows 7 on, the folder the
    // user last chose wins over an initial folder the program has passed before.
    return RunFileDialog(dialog, GetSaveFileNameW, L"GetSaveFileName", JoinPath(folder, name));
}

std::optional<std::wstring> Win32Dialogs::PickFolder(std::uintptr_t owner) {
    ApartmentForCall apartment;
    ComRef<IFileOpenDialog> dialog;
    OpenDialog(dialog, FOS_PICKFOLDERS, text::kPickFolderTitle);
    const HRESULT shown = dialog->Show(reinterpret_cast<HWND>(owner));
    if (shown == HRESULT_FROM_WIN32(ERROR_CANCELLED)) return std::nullopt;
    Check(shown, L"IFileOpenDialog::Show");
    ComRef<IShellItem> item;
    Check(dialog->GetResult(item.Put()), L"IFileOpenDialog::GetResult");
    return FileSystemPath(item);
}

}  // namespace qb::platform::win32
