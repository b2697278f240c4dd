// Message boxes without an owner window.
#pragma once

#include <string_view>

namespace brio::platform {

enum class MessageIcon { None, Information, Warning, Error };

// Shows the text with a single OK button and waits until it is dismissed.
void showMessage(std::string_view text, std::string_view title, MessageIcon icon);

// Shows the text with the buttons Yes and No, No the default one, and waits for the answer; true for
// Yes. A box closed without either (or that could not be shown) answers No.
bool askYesNo(std::string_view text, std::string_view title, MessageIcon icon);

} // namespace brio::platform
