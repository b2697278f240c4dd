// The description setter that fills the transfer-speed placeholders, and the speed texts it reads.
#pragma once

#include <string>

#include "description/description_setter.h"

namespace brio {

// The four speed texts the feeds keep, empty while no feed has read anything.
struct SpeedTexts {
    std::string emuleDown, emuleUp, azureusDown, azureusUp;
    std::string currentDownload() const { return !azureusDown.empty() ? azureusDown : emuleDown; }
    std::string currentUpload() const { return !azureusUp.empty() ? azureusUp : emuleUp; }
};
SpeedTexts& speedTexts();

class SpeedDescriptionSetter : public DescriptionSetter {
public:
    using DescriptionSetter::DescriptionSetter;
    std::string formatFor(std::string_view text, int32_t network) override;
};

} // namespace brio
