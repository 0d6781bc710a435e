// The fixed text record's operations. Whatever they are given (a record read from a
// file may hold anything), what they return has a NUL at character 99 and a length of
// at most 99, so no later use of the record can run past its 100 characters.
#include "core/fixed_string.h"

#include <cstring>

namespace {

// How many characters of `r` can be trusted: its length, but never past the first
// NUL nor past 99 (a record read from a file may claim anything).
int usable_length(const FixedString &r) {
    int n = r.length < kFixedStringMaxLength ? r.length : kFixedStringMaxLength;
    const void *nul = std::memchr(r.text, '\0', static_cast<std::size_t>(n));
    return nul ? static_cast<int>(static_cast<const char *>(nul) - r.text) : n;
}

} // namespace

FixedString fixed_empty() {
    FixedString r;
    std::memset(&r, 0, sizeof r);
    return r;
}

FixedString fixed_from_text(const char *text) {
    FixedString r = fixed_empty();
    if (!text) return r;
    std::size_t n = std::strlen(text);
    if (n > static_cast<std::size_t>(kFixedStringMaxLength)) n = kFixedStringMaxLength;
    std::memcpy(r.text, text, n);
    r.length = static_cast<uint8_t>(n);
    return r;
}

FixedString fixed_copy(FixedString r) {
    FixedString c = fixed_empty();
    std::memcpy(c.text, r.text, sizeof c.text);
    c.text[kFixedStringMaxLength] = '\0';
    c.length = static_cast<uint8_t>(r.length < kFixedStringMaxLength ? r.length
                                                                     : kFixedStringMaxLength);
    return c;
}

FixedString fixed_concat(FixedString a, FixedString b) {
    FixedString r = fixed_empty();
    int a_len = usable_length(a);
    int b_len = usable_length(b);
    std::memcpy(r.text, a.text, static_cast<std::size_t>(a_len));
    int room = kFixedStringMaxLength - a_len;
    int take = b_len < room ? b_len : room;
    std::memcpy(r.text + a_len, b.text, static_cast<std::size_t>(take));
    r.length = static_cast<uint8_t>(a_len + take);
    return r;
}

FixedString fixed_concat_text(const char *first, const char *second) {
    return fixed_concat(fixed_from_text(first), fixed_from_text(second));
}
