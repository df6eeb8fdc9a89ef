// The program keeps its texts as GBK bytes; Windows gets them as UTF-16,
// converted with code page 936 whatever the system's ANSI code page.
#pragma once

#include <string>

inline constexpr unsigned kGbkCodePage = 936;

std::wstring Wide(const std::string& gbk);
std::string Narrow(const std::wstring& text);
// The system's message for an error code, in the user's language, without
// its line break; "错误 <code>" when the system has none.
std::string SystemErrorText(unsigned long code);
