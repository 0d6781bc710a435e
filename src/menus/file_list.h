// The list of map files the level browser offers: every file in a directory whose
// name matches a wildcard, whatever the letter case of the directory and of the
// names on disk, upper-cased and sorted.
#pragma once

#include <cstdint>

constexpr int kFileListNameSize = 264; // a name of up to 259 characters and more
// A directory with more matching files than this lists the first ones found.
constexpr uint32_t kMaxListedFiles = 10000;

struct FileListEntry {
    char name[kFileListNameSize]; // upper case, NUL-terminated
};

struct FileList {
    FileListEntry *entries = nullptr;
    uint32_t count = 0;
};

// `pattern` is "<directory>/<wildcard>" (a backslash is taken as the separator too)
// where the wildcard may hold * and ?; letter case is ignored in both. Only regular
// files count.
uint32_t count_matching_files(const char *pattern);

// The matching names, upper-cased (a-z only) and sorted in ascending byte order.
// An empty list when nothing matches or the directory is missing.
FileList list_map_files(const char *pattern);

// Releases the list and leaves it empty.
void free_file_list(FileList *list);

// The index of the first entry from the top whose first character is `character`,
// or its upper-case form when it is a lower-case letter; `selection` when none is.
int find_entry_by_initial(const FileList &list, int character, int selection);

