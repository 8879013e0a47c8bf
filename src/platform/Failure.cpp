#include "platform/Failure.h"

namespace qb::platform {

std::wstring FailureReport(std::wstring_view action, const Error& e) {
    return std::wstring(action) + L"：" + e.Message() + L"（错误代码 " + std::to_wstring(e.Code()) +
           L"）";
}

}  // namespace qb::platform
