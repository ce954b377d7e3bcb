// A test run tells where the real run would not do what a " (test)" line
// shows. The lines stay as they are; a note on standard error names the
// item and the reason, and the item counts as one that would fail.
//
// A preview changes nothing on disk, so it keeps what its own lines would
// have changed: the names its renames would take and free, in the order
// shown, for every pass of the run. A later item is checked against that
// state, not against a disk that the real run would have changed by then.
// The cost stays small: the pass's own listings tell whether a new name is
// on disk (a look at it only where they cannot), and one access check per
// folder serves the whole run.
#pragma once

#include <cstddef>
#include <string>

#include "lib/files.h"

namespace zantrel {

// After the " (test)" line of a rename of source to target (folder: a
// folder rename). mustExist: the source may be gone (an undo), so look.
// deletionSettles: -ded and -des would settle a clash with a file (not for
// a follower of -pairs). True when the real run would give source that name.
bool checkPreviewedRename(const std::string& source, const std::string& target, bool folder,
                          bool mustExist = false, bool deletionSettles = true);

// After a test-mode copy line: the real copy would fail where the folder
// (or, for one still to be made, the nearest folder above it that exists)
// cannot be written.
void checkPreviewedCopy(const std::string& source, const std::string& folder);

// A test-mode copy of source to path: later lines find path taken by it.
void previewTakes(const std::string& path, const std::string& source);

// The item whose shown rename or copy took path; empty where no line of
// the preview did (what is there is then what the disk holds).
std::string previewHolder(const std::string& path);

// After a test-mode copy line that shows the item's new name where the real
// copy would number its way past it: a note names the name it would take
// (dest) and what holds the name that was taken.
void notePreviewedCopyName(const std::string& source, const std::string& dest, const std::string& taken);

// The folders the pass has listed, for the preview to look names up in
// while the disk stays as listed (a test run changes nothing); items: how
// many the pass will walk.
void previewListedFolders(TFolderListings&& listings, size_t items);

// Whether something is at path as the preview would have left it.
bool previewFinds(const std::string& path);

// A new run: the preview starts from the disk again.
void forgetPreview();

}  // namespace zantrel
