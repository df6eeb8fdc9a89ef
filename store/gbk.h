// GBK texts byte by byte. A byte from 0x81 to 0xFE leads a two-byte
// character, whose second byte may look like ASCII ("\", ":", "*", letters):
// every scan of a GBK text steps over it.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>

inline bool IsGbkLeadByte(unsigned char c) { return c >= 0x81 && c <= 0xFE; }

// The bytes of the first `characters` characters of `text`, a two-byte
// character counting once and never split; a lead byte at the very end is a
// character of its own.
size_t GbkPrefixBytes(std::string_view text, size_t characters);

// The position of the last of `bytes` in a GBK text, or npos; a trail byte
// that happens to be one of them does not count.
size_t LastGbkByteOf(std::string_view text, std::string_view bytes);

// The file-name part of a path: the text after its last "\" or ":".
std::string FileNamePart(const std::string& path);

// Compares two GBK texts byte by byte with a to z taken as A to Z; a
// two-byte character is compared as it stands. Negative, zero or positive as
// for strcmp; a prefix comes first.
int CompareGbkFolded(std::string_view left, std::string_view right);
