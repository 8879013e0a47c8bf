#include "windows/UsageGuide.h"

#include "product/Texts.h"

namespace qb::windows {

UsageGuide::UsageGuide(FormHost& host) : FormOf(host, usage_guide::kDesign) {}

void UsageGuide::Load() { SetText(Id::guideText, product::text::kUsageGuide); }

void UsageGuide::Click(Id id) {
    switch (id) {
    case Id::okButton: Unload(); break;
    case Id::heading: case Id::guideText: break;
    }
}

}  // namespace qb::windows
