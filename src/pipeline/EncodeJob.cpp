#include "pipeline/EncodeJob.h"

#include <new>

#include "pipeline/Delivery.h"
#include "product/ExitCodes.h"
#include "pipeline/JobSizes.h"
#include "product/Texts.h"
#include "platform/Error.h"

namespace qb::pipeline {

namespace st = platform::style;
using namespace product;

std::wstring FailureReport(const std::wstring& operation, std::uint32_t code,
                           const std::wstring& message) {
    return L"操作失败：" + operation + L"\r\n" + message + L"（错误代码 " + std::to_wstring(code) +
           L"）";
}

int RunEncodeJob(const std::wstring& path, platform::Platform& p) {
    const auto length = p.files.FileLength(path);
    if (!length) {
        p.ui.Message(text::kOpenFailed, st::kExclamation);
        return kOpenFailed;
    }
    if (*length > kAskAbove &&
        p.ui.Message(text::kAskLarge, st::kYesNo | st::kDefaultSecond) == platform::kAnswerNo)
        return kDeclined;
    if (*length > kMaxInputSize) {
        p.ui.Message(text::kTooLarge, st::kError);
        return kTooLarge;
    }
    if (*length == 0) {
        p.ui.Message(text::kEmpty, st::kInformation);
        return kEmptyFile;
    }

    ExitCode failure = kReadFailed;
    try {
        // Mapped rather than read: the page cache's own pages are encoded, with no copy.
        const auto input = p.files.MapWhole(path, *length);
        failure = kDeliveryFailed;
        Deliver(p, input->Bytes(), path);
        return kDelivered;
    } catch (const platform::Error& e) {
        p.ui.Message(FailureReport(e.Operation(), e.Code(), e.Message()), st::kError);
        return failure;
    } catch (const std::bad_alloc&) {
        p.ui.Message(text::kOutOfMemory, st::kError);
        return kOutOfMemory;
    }
}

}  // namespace qb::pipeline
