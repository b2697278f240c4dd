// The description setter that fills the transfer-speed placeholders, and the speed texts it reads.
#pragma once

#include <string>

#include "description/description_setter.h"

namespace brio {

// The four speed texts the feeds keep, empty while no feed has read anything.
struct SpeedTexts {
    std::string emuleDown, emuleUp, azureusDown, azureusUp;
    const std::string& currentDownload() const { return !azureusDown.empty() ? azureusDown : emuleDown; }
    const std::string& currentUpload() const { return !azureusUp.empty() ? azureusUp : emuleUp; }
};
SpeedTexts& speedTexts();

class SpeedDescriptionSetter : public DescriptionSetter {
public:
    using DescriptionSetter::DescriptionSetter;
    using DescriptionSetter::formatFor;
    void formatFor(std::string_view text, int32_t network, std::string& out) override;

private:
    std::string downFilled_; // the text with the download speed in, kept for its memory
};

} // namespace brio
