// What the harnesses share: a property check that stops the run, so that
// libFuzzer keeps the input as a crash, and the realistic short date pictures.
#pragma once

#include <cstdio>
#include <cstdlib>
#include <string>

#define FUZZ_CHECK(condition, what)                                                     \
    do {                                                                                \
        if (!(condition)) {                                                             \
            std::fprintf(stderr, "property failed at %s:%d: %s\n", __FILE__, __LINE__, \
                         std::string(what).c_str());                                    \
            std::abort();                                                               \
        }                                                                               \
    } while (0)

// Pictures Windows offers as short date formats, and one of them picked by a byte.
inline const char* const kPictures[] = {"yyyy/M/d", "yyyy-MM-dd", "M/d/yyyy", "dd.MM.yyyy", "yy/MM/dd",
                                        "d/M/yyyy", "yyyy'年'M'月'd'日'", "dd-MMM-yy", "yyyy.M.d"};
inline const char* PictureFor(unsigned char pick) { return kPictures[pick % (sizeof kPictures / sizeof *kPictures)]; }

// Bytes as C escapes, for failure messages.
inline std::string Shown(const std::string& text) {
    std::string out;
    for (unsigned char c : text) {
        if (c >= 0x20 && c < 0x7F && c != '\\') {
            out += static_cast<char>(c);
        } else {
            char escape[8];
            std::snprintf(escape, sizeof escape, "\\x%02X", c);
            out += escape;
        }
    }
    return out;
}
