// Checks that the escaped copy gives the GBK bytes g++ makes with
// -fexec-charset=GBK: a few literals against their GBK bytes, written out.
#include <cstdio>
#include <cstring>

namespace {

struct Pair {
    const char* literal;
    const char* gbk;
};

// 誠 ends in a backslash byte; "…" and "：" are punctuation; '天' checks a
// character literal inside a string of ASCII around it.
const Pair kPairs[] = {
    {"提醒", "\xCC\xE1\xD0\xD1"},
    {"启用", "\xC6\xF4\xD3\xC3"},
    {"每隔1分开始0时0分", "\xC3\xBF\xB8\xF4" "1" "\xB7\xD6\xBF\xAA\xCA\xBC" "0" "\xCA\xB1" "0" "\xB7\xD6"},
    {"誠.exe", "\xD5\x5C.exe"},
    {"…", "\xA1\xAD"},
    {"a：b", "a\xA3\xBA" "b"},
    {"\"第\"\\天", "\"\xB5\xDA\"\\\xCC\xEC"},
};

}  // namespace

int main() {
    int failures = 0;
    for (const Pair& p : kPairs) {
        if (std::strcmp(p.literal, p.gbk) != 0) {
            std::printf("a literal did not become its GBK bytes:");
            for (const char* c = p.literal; *c; ++c) std::printf(" %02X", static_cast<unsigned char>(*c));
            std::printf("\n");
            ++failures;
        }
    }
    std::printf("%d of %zu literals are GBK\n", static_cast<int>(sizeof kPairs / sizeof *kPairs) - failures,
                sizeof kPairs / sizeof *kPairs);
    return failures == 0 ? 0 : 1;
}
