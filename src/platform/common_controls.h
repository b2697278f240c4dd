#pragma once

namespace brio::platform {

// Registers the list view window class (comctl32's InitCommonControlsEx, list view classes).
void initCommonControls();

} // namespace brio::platform
