// The description setter that fills the transfer-speed placeholders, and the speed texts it reads.
#pragma once

#include <cstddef>
#include <stdexcept>
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

// Thrown by SpeedDescriptionSetter::formatFor (so by apply) when the speeds filled in would make a
// description longer than it may grow; nothing is sent then. Whoever applies a description catches it
// as it catches the rest of what apply throws.
class DescriptionTooLong : public std::length_error {
public:
    DescriptionTooLong() : std::length_error("the speeds would make the description too long") {}
};

class SpeedDescriptionSetter : public DescriptionSetter {
public:
    // What the speeds may add to a description, however it is made: the format text and the speed texts
    // come from the user and from files, and a few placeholders times a long speed would otherwise ask
    // for any amount of memory. The description with the download speed in and the finished one are
    // each at most this much longer than the text given.
    static constexpr size_t kLongestGrowth = 64 * 1024;

    using DescriptionSetter::DescriptionSetter;
    using DescriptionSetter::formatFor;
    // Throws DescriptionTooLong when the speeds would add more than kLongestGrowth bytes.
    void formatFor(std::string_view text, int32_t network, std::string& out) override;
    // Whether a text can be filled with these speeds (formatFor would not throw).
    static bool fills(std::string_view text, std::string_view down, std::string_view up);

private:
    static bool fill(std::string& out, std::string& downFilled, std::string_view text, std::string_view down,
                     std::string_view up);
    std::string downFilled_; // the text with the download speed in, kept for its memory
};

} // namespace brio
