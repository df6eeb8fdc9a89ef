#include "store/gbk.h"

#include <algorithm>

size_t GbkPrefixBytes(std::string_view text, size_t characters) {
    size_t end = 0;
    for (size_t counted = 0; counted < characters && end < text.size(); ++counted)
        end += IsGbkLeadByte(static_cast<unsigned char>(text[end])) && end + 1 < text.size() ? 2 : 1;
    return end;
}

size_t LastGbkByteOf(std::string_view text, std::string_view bytes) {
    size_t last = std::string::npos;
    for (size_t i = 0; i < text.size(); ++i) {
        const unsigned char c = static_cast<unsigned char>(text[i]);
        if (IsGbkLeadByte(c) && i + 1 < text.size())
            ++i;
        else if (bytes.find(static_cast<char>(c)) != std::string_view::npos)
            last = i;
    }
    return last;
}

std::string FileNamePart(const std::string& path) {
    const size_t last = LastGbkByteOf(path, "\\:");
    return last == std::string::npos ? path : path.substr(last + 1);
}

int CompareGbkFolded(std::string_view left, std::string_view right) {
    const size_t common = std::min(left.size(), right.size());
    bool trail = false;  // the byte at hand is the second of a character
    for (size_t i = 0; i < common; ++i) {
        unsigned char l = static_cast<unsigned char>(left[i]), r = static_cast<unsigned char>(right[i]);
        if (!trail) {
            if (l >= 'a' && l <= 'z') l = static_cast<unsigned char>(l - 0x20);
            if (r >= 'a' && r <= 'z') r = static_cast<unsigned char>(r - 0x20);
        }
        if (l != r) return l < r ? -1 : 1;
        trail = !trail && IsGbkLeadByte(l);
    }
    if (left.size() == right.size()) return 0;
    return left.size() < right.size() ? -1 : 1;
}
