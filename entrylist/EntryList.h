// The entries of a path field's text: one path, or in a multiple-file
// selection a first path followed by further file names of the same folder,
// separated by semicolons ("/data/a.txt; b.txt; c.txt").
#pragma once

#include <optional>
#include <string>
#include <vector>

struct EntryList {
    std::string strEntryFolder;       // put before relative entries; empty except after a multiple-file parse
    std::vector<std::string> entries; // empty when the text holds no entry
};

// Where one entry stands in an EntryList; none after the last entry.
using EntryPosition = std::optional<std::size_t>;

// Splits strText into entries.  Leading semicolons and blanks are skipped; a
// text with nothing else holds no entry.  With bMultipleFiles the first entry
// gives the folder and its own file name, and every further entry up to the
// next semicolon is kept as it is (trailing blanks included); otherwise only
// the text before the first semicolon counts, made absolute against the
// current directory.
EntryList ParseEntryText(const std::string &strText, bool bMultipleFiles);

// The absolute path of strEntry: an absolute entry as it is, any other one
// below the list's entry folder (or the current directory when that is
// empty), with "." and ".." resolved.  No length limit.
std::string AbsoluteEntryPath(const EntryList &list, const std::string &strEntry);

// The position of the list's first entry; none when it holds none.
EntryPosition FirstEntryPosition(const EntryList &list);

// The absolute path of the entry at position, which moves on to the next
// entry, or to none after the last.
std::string NextEntryPath(const EntryList &list, EntryPosition &position);
