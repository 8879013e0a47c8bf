#pragma once
// The usage guide: a fixed page of steps, shown modally by whoever offers it.

#include "windows/Form.h"
#include "windows/UsageGuideDesign.h"

namespace qb::windows {

class UsageGuide final : public FormOf<usage_guide::Id> {
public:
    using Id = usage_guide::Id;
    explicit UsageGuide(FormHost& host);

protected:
    void Load() override;
    void Click(Id id) override;
};

}  // namespace qb::windows
