#include "windows/ReceiverScript.h"

#include <windows.h>

#include <cstring>

#include "platform/Error.h"
#include "platform/Failure.h"
#include "product/Resources.h"
#include "product/Texts.h"

namespace qb::windows {

using namespace product::text;

std::u16string PutReceiverScript(platform::Platform& p, unsigned boxStyle) {
    try {
        const HMODULE self = GetModuleHandleW(nullptr);
        const HRSRC found = FindResourceW(self, MAKEINTRESOURCEW(IDR_RECEIVER_SCRIPT), MAKEINTRESOURCEW(10));
        if (!found) platform::ThrowLastError(L"FindResource");
        const HGLOBAL loaded = LoadResource(self, found);
        const auto* bytes = loaded ? static_cast<const char*>(LockResource(loaded)) : nullptr;
        if (!bytes) platform::ThrowLastError(L"LoadResource");
        const std::string script(bytes, SizeofResource(self, found));
        auto target = p.clipboard.Text(script.size(), true);
        std::memcpy(target->Bytes().data(), script.data(), script.size());
        target->Open([] { return false; });
        target->Commit();
        p.ui.Message(kScriptPut, platform::style::kOk | boxStyle);
        return {script.begin(), script.end()};  // ASCII
    } catch (const platform::Error& e) {
        p.ui.Message(platform::FailureReport(kCannotSetClipboard, e), platform::style::kError | boxStyle);
        return {};
    }
}

}  // namespace qb::windows
