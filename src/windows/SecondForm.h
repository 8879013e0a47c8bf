#pragma once
// The usage guide: a fixed page of steps, shown modally by whoever offers it.

#include "windows/Form.h"
#include "windows/SecondFormDesign.h"

namespace qb::windows {

class SecondForm final : public FormOf<second_form::Id> {
public:
    using Id = second_form::Id;
    explicit SecondForm(Session& session);

    // The whole text Form_Load puts into the guide.
    static std::wstring UsageText();

protected:
    void Load() override;
    void Click(Id id) override;
};

}  // namespace qb::windows
