#include "windows/ReceiverScript.h"

#include <windows.h>

#include <cstring>

#include "platform/Error.h"
#include "platform/Failure.h"
#include "product/Resources.h"
#include "product/Texts.h"

namespace qb::windows {

using namespace product::text;

void PutReceiverScript(platform::Platform& p, unsigned boxStyle, const std::function<void(std::u16string)>& put) {
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
        if (put) put({script.begin(), script.end()});  // ASCII
        p.ui.Message(kScriptPut, platform::style::kOk | boxStyle);
    } catch (const platform::Error& e) {
        p.ui.Message(platform::FailureReport(kCannotSetClipboard, e), platform::style::kError | boxStyle);
    }
}

}  // namespace qb::windows
