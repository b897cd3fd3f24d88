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

// The absolute path of the list's first entry, where the browsers open;
// empty when it holds none.
std::string FirstEntryPath(const EntryList &list);

// A field's entry list, kept from one parse to the next for as long as the
// text and the selection mode stay the same.
class ParsedEntryText {
public:
    // The entries of strText, parsed again only when it or bMultipleFiles
    // differs from the last parse.
    const EntryList &Update(const std::string &strText, bool bMultipleFiles);
    // The entries of the last parse (none before the first).
    const EntryList &List() const { return m_list; }

private:
    std::string m_strText;
    bool m_bMultipleFiles = false;
    EntryList m_list;
};

// The text for files chosen in the open-file dialog, which come from one
// folder: the first with its full path, then "; " and the name of each
// further one, as ParseEntryText reads a multiple-file selection back.
// Empty for none.
std::string ChosenFilesText(const std::vector<std::string> &files);

// The text for dropped files, which may come from several folders: their
// full paths, "; " between them, only the first one unless bMultipleFiles.
// Empty for none.
std::string DroppedFilesText(const std::vector<std::string> &files, bool bMultipleFiles);
