#pragma once
// The desktop's trash, as the freedesktop.org trash specification lays it out: the user's own
// trash in $XDG_DATA_HOME/Trash (~/.local/share/Trash), and for a file on another file system
// the trash at the top of that file system (.Trash/<uid> or .Trash-<uid>). A trashed file goes
// to files/<name>, and info/<name>.trashinfo tells where it came from and when, so the desktop
// can restore it.

#include <filesystem>

namespace archive {

// Moves the file (or link) `path` into the trash, under another name where its own is taken;
// false, with the file left where it was, when no trash takes it.
bool MoveToTrash(const std::filesystem::path& path);

} // namespace archive
