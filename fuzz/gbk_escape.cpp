// gbk_escape IN OUT: copies a UTF-8 C++ source, writing every non-ASCII
// character of a narrow string or character literal as the octal escapes of
// its GBK bytes ("提醒" becomes "\314\341\320\321").
//
// The fuzz harnesses are built with clang, for libFuzzer's coverage and
// runtime, and clang accepts no -fexec-charset but UTF-8; the program's
// narrow literals must be GBK, as g++ makes them with -fexec-charset=GBK.
// Compiled from such a copy, clang gives the same bytes. Prefixed literals
// (L, u, U, u8) and comments are copied unchanged; a narrow raw string with
// a non-ASCII character is refused, since it cannot hold an escape.
#include <iconv.h>

#include <cctype>
#include <cstdio>
#include <fstream>
#include <iterator>
#include <sstream>
#include <string>

namespace {

bool IdentifierChar(char c) {
    return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') || c == '_';
}

// The encoding prefix right before a quote at `quote`, such as "u8" or "LR".
std::string PrefixBefore(const std::string& s, size_t quote) {
    size_t start = quote;
    while (start > 0 && IdentifierChar(s[start - 1])) --start;
    return s.substr(start, quote - start);
}

size_t Utf8Length(unsigned char lead) {
    if (lead >= 0xF0) return 4;
    if (lead >= 0xE0) return 3;
    if (lead >= 0xC0) return 2;
    return 1;
}

class Converter {
public:
    Converter() : cd_(iconv_open("GBK", "UTF-8")) {}
    ~Converter() {
        if (cd_ != reinterpret_cast<iconv_t>(-1)) iconv_close(cd_);
    }
    bool ok() const { return cd_ != reinterpret_cast<iconv_t>(-1); }
    // The GBK bytes of one UTF-8 character, or false when it has none.
    bool Convert(const std::string& utf8, std::string& gbk) {
        char out[8];
        char* in = const_cast<char*>(utf8.data());
        size_t inLeft = utf8.size(), outLeft = sizeof out;
        char* outPtr = out;
        iconv(cd_, nullptr, nullptr, nullptr, nullptr);
        if (iconv(cd_, &in, &inLeft, &outPtr, &outLeft) == static_cast<size_t>(-1) || inLeft != 0) return false;
        gbk.assign(out, outPtr);
        return true;
    }

private:
    iconv_t cd_;
};

}  // namespace

int main(int argc, char** argv) {
    if (argc != 3) {
        std::fprintf(stderr, "usage: gbk_escape IN OUT\n");
        return 2;
    }
    std::ifstream in(argv[1], std::ios::binary);
    if (!in) {
        std::fprintf(stderr, "gbk_escape: cannot read %s\n", argv[1]);
        return 1;
    }
    const std::string s((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    Converter converter;
    if (!converter.ok()) {
        std::fprintf(stderr, "gbk_escape: no UTF-8 to GBK conversion in this C library\n");
        return 1;
    }

    std::string out;
    out.reserve(s.size() * 2);
    int line = 1;
    auto fail = [&](const char* what) {
        std::fprintf(stderr, "%s:%d: gbk_escape: %s\n", argv[1], line, what);
        return 1;
    };
    for (size_t i = 0; i < s.size();) {
        const char c = s[i];
        if (c == '\n') ++line;
        if (c == '/' && i + 1 < s.size() && s[i + 1] == '/') {
            const size_t end = s.find('\n', i);
            const size_t stop = end == std::string::npos ? s.size() : end;
            out.append(s, i, stop - i);
            i = stop;
            continue;
        }
        if (c == '/' && i + 1 < s.size() && s[i + 1] == '*') {
            const size_t end = s.find("*/", i + 2);
            const size_t stop = end == std::string::npos ? s.size() : end + 2;
            for (size_t j = i; j < stop; ++j) line += s[j] == '\n';
            out.append(s, i, stop - i);
            i = stop;
            continue;
        }
        if (c == '\'' && !PrefixBefore(s, i).empty() && std::isdigit(static_cast<unsigned char>(PrefixBefore(s, i)[0]))) {
            out += c;  // a digit separator, as in 1'000
            ++i;
            continue;
        }
        if (c != '"' && c != '\'') {
            out += c;
            ++i;
            continue;
        }
        const std::string prefix = PrefixBefore(s, i);
        const bool raw = !prefix.empty() && prefix.back() == 'R';
        const bool narrow = prefix.empty() || prefix == "R";
        if (raw) {
            const size_t open = s.find('(', i);
            if (open == std::string::npos) return fail("raw string without its parenthesis");
            const std::string close = ")" + s.substr(i + 1, open - i - 1) + "\"";
            const size_t end = s.find(close, open);
            if (end == std::string::npos) return fail("unterminated raw string");
            const size_t stop = end + close.size();
            for (size_t j = i; j < stop; ++j) {
                if (narrow && static_cast<unsigned char>(s[j]) >= 0x80)
                    return fail("a narrow raw string holds a non-ASCII character");
                line += s[j] == '\n';
            }
            out.append(s, i, stop - i);
            i = stop;
            continue;
        }
        // An ordinary literal up to its closing quote; escapes are copied as they are.
        out += c;
        size_t j = i + 1;
        while (j < s.size() && s[j] != c) {
            if (s[j] == '\n') return fail("unterminated literal");
            if (s[j] == '\\' && j + 1 < s.size()) {
                out.append(s, j, 2);
                j += 2;
                continue;
            }
            const unsigned char byte = static_cast<unsigned char>(s[j]);
            if (byte < 0x80 || !narrow) {
                out += s[j];
                ++j;
                continue;
            }
            const std::string character = s.substr(j, Utf8Length(byte));
            std::string gbk;
            if (!converter.Convert(character, gbk)) return fail("a character with no GBK form");
            for (unsigned char b : gbk) {
                char escape[8];
                std::snprintf(escape, sizeof escape, "\\%03o", b);
                out += escape;
            }
            j += character.size();
        }
        if (j >= s.size()) return fail("unterminated literal");
        out += c;
        i = j + 1;
    }

    std::ofstream file(argv[2], std::ios::binary);
    file << out;
    return file ? 0 : 1;
}
