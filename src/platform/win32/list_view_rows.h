// Rows and texts of a list view control, as its messages give them: what the control wrapper, its
// refill and its drag image share. Texts are code page 1250 bytes, so only the A messages are used.
#pragma once

#include <windows.h>

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

#include "platform/list_view.h"

namespace brio::platform::win32 {

// The buffer size as the control takes it (an int); no text comes near a larger one.
int textCapacity(size_t bufferSize);

// The text a read put in `buffer`, or where the control pointed instead. A text cut to the buffer may
// fill all of it without a terminator (Wine's A messages do so), and then its last byte goes.
std::string received(const char* text, const std::vector<char>& buffer);

// Inserts a row at `at` with its icon, column-0 text and state; its position, or -1.
int32_t insertRow(HWND list, int32_t at, int32_t image, std::string_view text, RowState state);

void setText(HWND list, int32_t row, int32_t column, std::string_view text);

// A text of a row that is there, read into a buffer of `capacity` bytes.
std::string readText(HWND list, int32_t row, int32_t column, int capacity);

// The whole text, however long.
std::string wholeText(HWND list, int32_t row, int32_t column);

int32_t rowCountOf(HWND list);

} // namespace brio::platform::win32
