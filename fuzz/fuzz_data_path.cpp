// The data-path resolver (resolve_data_path) on any name, as a map file dropped into
// MAP/ or a name in a data file can be, in a directory of files whose names differ
// in letter case from how the game writes them. The first input byte chooses the
// size of the output buffer, the rest is the name (up to a NUL).
//
// What it promises: the result always fits the buffer (which is exactly that big,
// so AddressSanitizer sees a byte beyond it) and is empty when refused, which only a
// name that is empty or does not fit may be; an accepted name keeps its components
// in order, each matching the name's ignoring case, with '/' for '\', and a name
// that names a planted file ignoring case finds it.
#include "fuzz_support.h"

#include "core/paths.h"

#include <strings.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstring>
#include <string>
#include <vector>

namespace {

// Stored as a level maker might have them; the game asks for other spellings.
const char *const kPlanted[] = {"GFX/Menu_Spr.PCX", "GFX/fondo_menu.jpg", "MAP/Prueba.MAP",
                                "sfx/CUEVA.xm", "Vespertil.cfg"};

std::vector<std::string> components(const std::string &path) {
    std::vector<std::string> parts;
    std::string part;
    for (char c : path) {
        if (c == '/' || c == '\\') {
            if (!part.empty()) parts.push_back(part);
            part.clear();
        } else {
            part += c;
        }
    }
    if (!part.empty()) parts.push_back(part);
    return parts;
}

bool same_ignoring_case(const std::vector<std::string> &a, const std::vector<std::string> &b) {
    if (a.size() != b.size()) return false;
    for (std::size_t i = 0; i < a.size(); ++i)
        if (a[i].size() != b[i].size() || strcasecmp(a[i].c_str(), b[i].c_str()) != 0) return false;
    return true;
}

} // namespace

extern "C" int LLVMFuzzerInitialize(int *, char ***) {
    const std::string dir = fuzz_scratch_path("data");
    mkdir(dir.c_str(), 0755);
    for (const char *sub : {"GFX", "MAP", "sfx"}) mkdir((dir + "/" + sub).c_str(), 0755);
    for (const char *file : kPlanted) {
        const uint8_t byte = 0;
        fuzz_write_file(dir + "/" + file, &byte, 1);
    }
    FUZZ_CHECK(chdir(dir.c_str()) == 0, "cannot enter %s", dir.c_str());
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, std::size_t size) {
    if (size == 0) return 0;
    const std::size_t out_size = data[0] == 255 ? kMaxDataPath : data[0];
    const std::string name(reinterpret_cast<const char *>(data + 1),
                           strnlen(reinterpret_cast<const char *>(data + 1), size - 1));
    std::vector<char> out(out_size);
    if (out_size > 0) out[0] = 'x';
    const bool ok = resolve_data_path(name.c_str(), out.data(), out_size);
    if (!ok) {
        FUZZ_CHECK(out_size == 0 || out[0] == '\0', "a refused name left '%.*s'",
                   static_cast<int>(out_size), out.data());
        // A result is never longer than its name (empty components go, cases change
        // nothing), so a name that fits the buffer and the resolver is resolved.
        FUZZ_CHECK(name.empty() || name.size() >= kMaxDataPath || name.size() >= out_size,
                   "'%s' refused with %zu bytes of room", name.c_str(), out_size);
        return 0;
    }
    const std::size_t length = strnlen(out.data(), out_size);
    FUZZ_CHECK(length < out_size, "the result fills the buffer without its end");
    const std::string result(out.data(), length);
    FUZZ_CHECK(result.find('\\') == std::string::npos, "a backslash in '%s'", result.c_str());
    FUZZ_CHECK(same_ignoring_case(components(result), components(name)),
               "'%s' became '%s'", name.c_str(), result.c_str());
    const bool rooted = name[0] == '/' || name[0] == '\\';
    FUZZ_CHECK(rooted == (result[0] == '/'), "'%s' became '%s'", name.c_str(), result.c_str());
    for (const char *file : kPlanted)
        if (!rooted && same_ignoring_case(components(name), components(file)))
            FUZZ_CHECK(result == file, "'%s' found '%s', not %s", name.c_str(), result.c_str(), file);
    return 0;
}
