// Listing a directory's matching files for the level browser.
#include "menus/file_list.h"

#include "core/paths.h"

#include <dirent.h>
#include <fnmatch.h>
#include <sys/stat.h>

#include <algorithm>
#include <cstring>
#include <string>
#include <vector>

namespace {

// Splits "MAP/*.map" into the directory, resolved on disk, and the wildcard.
bool split_pattern(const char *pattern, std::string &dir, std::string &wildcard) {
    if (!pattern || !*pattern) return false;
    std::string p(pattern);
    std::replace(p.begin(), p.end(), '\\', '/');
    const std::size_t slash = p.rfind('/');
    const std::string dir_name = slash == std::string::npos ? "." : p.substr(0, slash);
    wildcard = slash == std::string::npos ? p : p.substr(slash + 1);
    if (wildcard.empty()) return false;
    char resolved[kMaxDataPath];
    if (!resolve_data_path(dir_name.c_str(), resolved, sizeof resolved)) return false;
    dir = resolved;
    return true;
}

bool is_regular_file(const std::string &dir, const char *name) {
    struct stat st;
    const std::string path = dir + "/" + name;
    return stat(path.c_str(), &st) == 0 && S_ISREG(st.st_mode);
}

// Calls `take` with each matching name, up to kMaxListedFiles of them.
template <typename Take> uint32_t for_each_match(const char *pattern, Take take) {
    std::string dir, wildcard;
    if (!split_pattern(pattern, dir, wildcard)) return 0;
    DIR *d = opendir(dir.c_str());
    if (!d) return 0;
    uint32_t count = 0;
    while (dirent *e = readdir(d)) {
        if (count >= kMaxListedFiles) break;
        if (fnmatch(wildcard.c_str(), e->d_name, FNM_CASEFOLD | FNM_PERIOD) != 0) continue;
        if (std::strlen(e->d_name) >= kFileListNameSize) continue;
        if (!is_regular_file(dir, e->d_name)) continue;
        take(e->d_name);
        ++count;
    }
    closedir(d);
    return count;
}

void upper_case_copy(const char *name, FileListEntry &entry) {
    std::size_t i = 0;
    for (; name[i] && i + 1 < sizeof entry.name; ++i) {
        const char c = name[i];
        entry.name[i] = (c >= 'a' && c <= 'z') ? static_cast<char>(c - 32) : c;
    }
    entry.name[i] = '\0';
}

} // namespace

uint32_t count_matching_files(const char *pattern) {
    return for_each_match(pattern, [](const char *) {});
}

FileList list_map_files(const char *pattern) {
    std::vector<FileListEntry> found;
    for_each_match(pattern, [&](const char *name) {
        FileListEntry e;
        upper_case_copy(name, e);
        found.push_back(e);
    });
    FileList list;
    if (found.empty()) return list;
    std::sort(found.begin(), found.end(), [](const FileListEntry &a, const FileListEntry &b) {
        return std::strcmp(a.name, b.name) < 0;
    });
    list.entries = new FileListEntry[found.size()];
    std::copy(found.begin(), found.end(), list.entries);
    list.count = static_cast<uint32_t>(found.size());
    return list;
}

void free_file_list(FileList *list) {
    if (!list) return;
    delete[] list->entries;
    list->entries = nullptr;
    list->count = 0;
}

int find_entry_by_initial(const FileList &list, int character, int selection) {
    const int upper = (character >= 'a' && character <= 'z') ? character - 32 : character;
    for (uint32_t i = 0; i < list.count; ++i) {
        const int first = static_cast<unsigned char>(list.entries[i].name[0]);
        if (first == character || first == upper) return static_cast<int>(i);
    }
    return selection;
}
