#pragma once
// The usage guide: a fixed page of steps, shown modally by whoever offers it.

#include "windows/Form.h"

namespace qb::windows {

class SecondForm final : public Form {
public:
    explicit SecondForm(Session& session);

    // The whole text Form_Load puts into the guide.
    static std::wstring UsageText();

protected:
    void Load() override;
    void Click(std::wstring_view control) override;
};

}  // namespace qb::windows
