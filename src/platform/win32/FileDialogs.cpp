// The dialogs of a restore: the Vista item dialog to open files, save one and pick a folder.
#include <windows.h>
#include <shobjidl.h>

#include <algorithm>
#include <memory>
#include <string>
#include <vector>

#include "platform/Error.h"
#include "platform/FileNames.h"
#include "platform/Paths.h"
#include "platform/win32/Win32Platform.h"
#include "product/RestoreTexts.h"
#include "product/Texts.h"

namespace qb::platform::win32 {
namespace {

namespace text = product::text;

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

// A name that the file system resolves to a file of another long name, its 8.3 short name say:
// saving under it would replace that file.
bool IsAlias(const std::wstring& path) {
    WIN32_FIND_DATAW found;
    const HANDLE find = FindFirstFileExW(path.c_str(), FindExInfoBasic, &found, FindExSearchNameMatch, nullptr, 0);
    if (find == INVALID_HANDLE_VALUE) return false;
    FindClose(find);
    const std::wstring_view name = SplitPath(path).name;
    return CompareStringOrdinal(found.cFileName, -1, name.data(), static_cast<int>(name.size()), TRUE) != CSTR_EQUAL;
}

// Save As's watch over its name box: a name that is another file's short name in the folder shown
// becomes " (2)" as any taken name does, both when a folder is shown and when it is chosen, so the
// person is never asked to replace a file that would not be replaced.
class AliasGuard final : public IFileDialogEvents {
public:
    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID id, void** out) override {
        if (id != IID_IUnknown && id != IID_IFileDialogEvents) {
            *out = nullptr;
            return E_NOINTERFACE;
        }
        *out = static_cast<IFileDialogEvents*>(this);
        return S_OK;
    }
    // On the stack of the call that shows the dialog, and unadvised before it returns.
    ULONG STDMETHODCALLTYPE AddRef() override { return 2; }
    ULONG STDMETHODCALLTYPE Release() override { return 1; }
    HRESULT STDMETHODCALLTYPE OnFolderChange(IFileDialog* dialog) override {
        ComRef<IShellItem> folder;
        wchar_t* name = nullptr;
        if (FAILED(dialog->GetFolder(folder.Put())) || FAILED(dialog->GetFileName(&name))) return S_OK;
        const std::unique_ptr<wchar_t, decltype(&CoTaskMemFree)> owned(name, CoTaskMemFree);
        const std::wstring typed(name ? name : L"");
        // A name with its folder stands for itself; a bare one for a file in the folder shown.
        std::wstring path = typed;
        if (typed.find_first_of(L"\\/") == std::wstring::npos) {
            try {
                path = JoinPath(FileSystemPath(folder), typed);
            } catch (const Error&) {
                return S_OK;  // no folder of the file system
            }
        }
        if (!typed.empty() && IsAlias(path)) {
            const auto [in, bare] = SplitPath(typed);
            const std::wstring numbered = NumberedName(bare, 2);
            dialog->SetFileName((in.empty() ? numbered : JoinPath(in, numbered)).c_str());
        }
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE OnOverwrite(IFileDialog* dialog, IShellItem* item,
                                          FDE_OVERWRITE_RESPONSE* response) override {
        *response = FDEOR_DEFAULT;
        wchar_t* path = nullptr;
        if (FAILED(item->GetDisplayName(SIGDN_FILESYSPATH, &path))) return S_OK;
        const std::unique_ptr<wchar_t, decltype(&CoTaskMemFree)> owned(path, CoTaskMemFree);
        if (IsAlias(path)) {
            dialog->SetFileName(NumberedName(SplitPath(path).name, 2).c_str());
            *response = FDEOR_REFUSE;
        }
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE OnFileOk(IFileDialog*) override { return S_OK; }
    HRESULT STDMETHODCALLTYPE OnFolderChanging(IFileDialog*, IShellItem*) override { return S_OK; }
    HRESULT STDMETHODCALLTYPE OnSelectionChange(IFileDialog*) override { return S_OK; }
    HRESULT STDMETHODCALLTYPE OnShareViolation(IFileDialog*, IShellItem*, FDE_SHAREVIOLATION_RESPONSE*) override {
        return E_NOTIMPL;
    }
    HRESULT STDMETHODCALLTYPE OnTypeChange(IFileDialog*) override { return S_OK; }
};

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
    ApartmentForCall apartment;
    ComRef<IFileSaveDialog> dialog;
    Check(CoCreateInstance(CLSID_FileSaveDialog, nullptr, CLSCTX_INPROC_SERVER, IID_IFileSaveDialog,
                           reinterpret_cast<void**>(dialog.Put())),
          L"CoCreateInstance");
    FILEOPENDIALOGOPTIONS own = 0;
    Check(dialog->GetOptions(&own), L"IFileSaveDialog::GetOptions");
    Check(dialog->SetOptions(own | FOS_OVERWRITEPROMPT | FOS_PATHMUSTEXIST | FOS_NOREADONLYRETURN |
                             FOS_FORCEFILESYSTEM),
          L"IFileSaveDialog::SetOptions");
    Check(dialog->SetTitle(std::wstring(text::kSaveRestoredTitle).c_str()), L"IFileSaveDialog::SetTitle");
    const std::wstring label(text::kAllFilter), patterns(text::kAllPatterns);
    const COMDLG_FILTERSPEC all{label.c_str(), patterns.c_str()};
    Check(dialog->SetFileTypes(1, &all), L"IFileSaveDialog::SetFileTypes");
    // No default extension: the name is the one the file had, extension or not. The folder goes
    // into the name box: the folder the user last chose would win over a default one, and
    // SetFolder's item would need a call Windows 7 was never checked for here.
    Check(dialog->SetFileName(JoinPath(folder, name).c_str()), L"IFileSaveDialog::SetFileName");
    AliasGuard guard;
    DWORD cookie = 0;
    const bool advised = SUCCEEDED(dialog->Advise(&guard, &cookie));
    const HRESULT shown = dialog->Show(reinterpret_cast<HWND>(owner));
    if (advised) dialog->Unadvise(cookie);
    if (shown == HRESULT_FROM_WIN32(ERROR_CANCELLED)) return std::nullopt;
    Check(shown, L"IFileSaveDialog::Show");
    ComRef<IShellItem> item;
    Check(dialog->GetResult(item.Put()), L"IFileSaveDialog::GetResult");
    return FileSystemPath(item);
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
