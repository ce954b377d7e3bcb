// -pairs: photo sets keep one name. The files beside an item that share
// its base name (ignoring case) and carry a companion extension (a RAW or
// JPEG twin, a sidecar such as .xmp or .thm), and the sidecars named after
// a whole name (IMG_1.JPG.xmp), follow the item: each takes the item's new
// base name with its own extension, right after the item's rename or copy,
// with a line and a record of its own.
//
// When a pass selects several files of one set, one leads: the first with
// a capture date, JPEG and HEIC before RAW (then any other file, then a
// sidecar); the others follow it and are not walked on their own. Only a
// JPEG, HEIC or RAW leader takes its twins along: a video or other file,
// and a sidecar, take only their sidecars. A file whose new name would end
// as another member's does (the leader's case twin: IMG_1.JPG beside
// img_1.jpg) is no follower. The plan is made from the lists and folder
// listings that the pass has already read, before anything is renamed;
// a stop signal cuts it short.
#pragma once

#include <optional>
#include <string>
#include <unordered_set>
#include <vector>

#include "engine/item.h"
#include "lib/datetime.h"
#include "lib/files.h"

namespace zantrel {

struct TPairPlan {
  // By entry of the pass's list: the files that follow it.
  std::vector<std::vector<TFollower>> Followers;
  // By entry: it follows another entry.
  std::vector<bool> Follows;
  // By entry (empty when none was read): the capture date read to choose
  // a set's leader, for the entry's own EXIF step.
  std::vector<std::optional<DateTime>> CaptureDates;
};

// The capture date of a file, 0 for none; asked only to choose between
// twins that a pass selects together.
using CaptureDateProbe = DateTime (*)(const std::string& path);

// The plan of a file pass over names (the long-name list), whose folders
// listings holds. probe may be nullptr: then no date is read and the
// order of kinds alone decides. followedBefore: files that followed a
// leader in an earlier pass of the run, which follow no one again.
TPairPlan planPairs(const TNameList& names, const TFolderListings& listings, CaptureDateProbe probe,
                    const std::unordered_set<std::string>& followedBefore = {});

// The new name part of a follower of a leader whose new name part is
// leaderName.
std::string followerName(const std::string& leaderName, const TFollower& follower);

// After the leader's ending placed it (leader.PlacedAt not empty): the
// follower, as an item of its own, renamed or copied as the run does it.
void followLeader(const TPassItem& leader, const TFollower& follower, TPassItem& item);

}  // namespace zantrel
