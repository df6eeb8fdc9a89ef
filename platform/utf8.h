// Names found on disk as the backup engine keeps them: UTF-16 from Windows
// to UTF-8 and back without loss. A lone surrogate, which NTFS allows in a
// name, is written as the three bytes its code point would take, so that
// such a name, too, comes back as it was.
#pragma once

#include <string>
#include <string_view>

std::string Utf8FromUtf16(std::u16string_view text);
// Bytes that are no UTF-8 become U+FFFD.
std::u16string Utf16FromUtf8(std::string_view text);
