#include "engine/pairs.h"

#include <algorithm>
#include <exception>
#include <string_view>
#include <unordered_map>
#include <unordered_set>

#include "app/settings.h"
#include "engine/name_steps.h"
#include "engine/steps.h"
#include "lib/case_map.h"
#include "lib/paths.h"
#include "lib/strings.h"
#include "platform/process.h"

namespace zantrel {

namespace {

// In the order in which a set's files lead.
enum class Kind { JpegHeic = 0, Raw = 1, Other = 2, Sidecar = 3 };

constexpr std::string_view JpegHeic[] = {".jpg", ".jpeg", ".heic", ".heif"};
constexpr std::string_view RawTwins[] = {".cr2", ".cr3", ".crw", ".nef", ".nrw", ".arw", ".srf", ".sr2", ".dng",
                                         ".orf", ".rw2", ".raf", ".pef", ".srw", ".x3f", ".3fr", ".iiq"};
constexpr std::string_view Sidecars[] = {".xmp", ".thm", ".aae", ".pp3", ".dop", ".on1"};

template <size_t N>
bool among(const std::string_view (&list)[N], std::string_view ext) {
  return std::find(std::begin(list), std::end(list), ext) != std::end(list);
}

Kind kindOf(std::string_view name) {
  const std::string ext = asciiLowerText(fileExtension(name));
  if (among(JpegHeic, ext)) return Kind::JpegHeic;
  if (among(RawTwins, ext)) return Kind::Raw;
  if (among(Sidecars, ext)) return Kind::Sidecar;
  return Kind::Other;
}

// Names of one set are compared without regard to case.
std::string caseKey(std::string_view text) { return lowerText(text); }

// An extension as the run's case rules leave it on a name.
std::string extensionAsNamed(std::string_view ext) {
  const TRunSettings& s = RunSettings;
  std::string name = "x" + std::string(ext);
  if (s.Html) name = htmlFileName(name);
  if (s.Simple) name = simpleFileName(name);
  if (s.LowerCase) name = lowerText(name);
  if (s.UpperCase) name = upperText(name);
  if (s.Downloads) name = downloadFileName(name);
  if (s.NameCase) name = nameCaseFileName(name);
  if (s.LowerExt) name = lowerExtension(name);
  if (s.UpperExt) name = upperExtension(name);
  return fileExtension(name);
}

// The plain files of one folder, by their base names and by their names.
struct TFolderIndex {
  std::unordered_map<std::string, std::vector<std::string>> byBase;
  std::unordered_map<std::string, std::string> byName;
};

class TPlanner {
 public:
  TPlanner(const TNameList& names, const TFolderListings& listings, CaptureDateProbe probe,
           const std::unordered_set<std::string>& followedBefore)
      : names_(names), listings_(listings), probe_(probe), followedBefore_(followedBefore) {
    plan_.Followers.resize(names.size());
    plan_.Follows.assign(names.size(), false);
    isLeader_.assign(names.size(), false);
    for (size_t i = 0; i < names.size(); ++i) entryOf_.emplace(names[i], i);
  }

  TPairPlan run() {
    struct TGroup {
      std::vector<size_t> candidates;  // entries that may lead the set
    };
    std::vector<std::string> order;
    std::unordered_map<std::string, TGroup> groups;
    for (size_t i = 0; i < names_.size(); ++i) {
      const TFolderIndex* index = indexOf(folderPart(names_[i]));
      if (!index) continue;
      const std::string name = namePart(names_[i]);
      // A sidecar of a whole name belongs to the file it is named after.
      if (!wholeNameOwner(*index, name).empty()) continue;
      const std::string key = folderPart(names_[i]) + "/" + caseKey(baseName(name));
      auto [at, added] = groups.try_emplace(key);
      if (added) order.push_back(key);
      at->second.candidates.push_back(i);
    }
    for (const std::string& key : order) {
      // Planning reads photos on a share that may be slow: a stop signal
      // ends it, and the pass then stops before its first item.
      if (platform::stopSignal() != 0) return std::move(plan_);
      const size_t leader = chooseLeader(groups[key].candidates);
      if (claimed_.count(names_[leader])) continue;
      isLeader_[leader] = true;
      claimed_.insert(names_[leader]);
      claimSet(leader);
    }
    // Files that lead no set (a second video of one base name, a video or
    // a case twin beside a photo, a sidecar of a file the pass does not
    // rename) still take the sidecars of their whole name along.
    for (size_t i = 0; i < names_.size(); ++i) {
      if (isLeader_[i] || plan_.Follows[i]) continue;
      if (const TFolderIndex* index = indexOf(folderPart(names_[i]))) {
        claimed_.insert(names_[i]);
        startSet(namePart(names_[i]));
        claimSidecarsOf(i, *index, namePart(names_[i]), {}, true);
      }
    }
    return std::move(plan_);
  }

 private:
  const TFolderIndex* indexOf(const std::string& folder) {
    const auto known = folders_.find(folder);
    if (known != folders_.end()) return &known->second;
    const auto listing = listings_.folders.find(folder);
    if (listing == listings_.folders.end()) return nullptr;
    TFolderIndex index;
    for (const platform::FolderEntry& entry : listing->second) {
      if (entry.kind != platform::EntryKind::File) continue;
      index.byBase[caseKey(baseName(entry.name))].push_back(entry.name);
      index.byName.emplace(caseKey(entry.name), entry.name);
    }
    return &folders_.emplace(folder, std::move(index)).first->second;
  }

  // IMG_1.JPG for IMG_1.JPG.xmp when that file is there; empty otherwise.
  static std::string wholeNameOwner(const TFolderIndex& index, const std::string& name) {
    if (kindOf(name) != Kind::Sidecar) return {};
    const std::string inner = baseName(name);
    if (fileExtension(inner).empty()) return {};
    const auto owner = index.byName.find(caseKey(inner));
    return owner == index.byName.end() ? std::string() : owner->second;
  }

  size_t chooseLeader(std::vector<size_t> candidates) {
    std::stable_sort(candidates.begin(), candidates.end(), [&](size_t a, size_t b) {
      return kindOf(namePart(names_[a])) < kindOf(namePart(names_[b]));
    });
    const auto twins = std::count_if(candidates.begin(), candidates.end(),
                                     [&](size_t c) { return kindOf(namePart(names_[c])) <= Kind::Raw; });
    if (probe_ && twins > 1) {
      for (size_t k = 0; k < static_cast<size_t>(twins); ++k) {
        if (hasCaptureDate(candidates[k])) return candidates[k];
      }
    }
    return candidates.front();
  }

  // The date read here is kept for the item's own EXIF step, which then
  // need not read the file a second time.
  bool hasCaptureDate(size_t entry) {
    try {
      const DateTime date = probe_(names_[entry]);
      if (plan_.CaptureDates.empty()) plan_.CaptureDates.resize(names_.size());
      plan_.CaptureDates[entry] = date;
      return date >= 1.0;
    } catch (const std::exception&) {
      // The item's own read reports it.
      return false;
    }
  }

  // A new set, led by a file called leaderName.
  void startSet(const std::string& leaderName) {
    leaderExt_ = fileExtension(leaderName);
    endings_.clear();
    endings_.insert(lowerText(leaderExt_));
  }

  // Claims path for the set unless its new name would end as another
  // member's does: the leader's case twin (IMG_1.JPG and img_1.jpg, two
  // photos on a case-sensitive file system) or a second file of one
  // extension would be given the same new name as that other file. Such a
  // file is no follower; the pass walks it on its own when it selected it.
  bool add(size_t leader, const std::string& path, std::string tail, bool afterWholeName) {
    if (claimed_.count(path) || followedBefore_.count(path)) return false;
    if (!endings_.insert(lowerText(afterWholeName ? leaderExt_ + tail : tail)).second) return false;
    claimed_.insert(path);
    TFollower follower{path, std::move(tail), afterWholeName, false};
    const auto entry = entryOf_.find(path);
    if (entry != entryOf_.end()) {
      follower.Selected = true;
      plan_.Follows[entry->second] = true;
    }
    plan_.Followers[leader].push_back(std::move(follower));
    return true;
  }

  // The sidecars named after name (a file of the leader's folder): tailHead
  // is what the named file's own tail is, for a twin; empty for the leader.
  void claimSidecarsOf(size_t leader, const TFolderIndex& index, const std::string& name,
                       const std::string& tailHead, bool ofLeader) {
    const auto sidecars = index.byBase.find(caseKey(name));
    if (sidecars == index.byBase.end()) return;
    const std::string folder = folderPart(names_[leader]);
    for (const std::string& sidecar : sidecars->second) {
      if (kindOf(sidecar) != Kind::Sidecar) continue;
      add(leader, folder + sidecar, tailHead + extensionAsNamed(fileExtension(sidecar)), ofLeader);
    }
  }

  // Only a JPEG, HEIC or RAW file takes its twins along. A video or any
  // other file is no twin of a photo of its base name, either way round,
  // and a sidecar belongs to its photo, not the photo to it: they take
  // only their sidecars.
  void claimSet(size_t leader) {
    const std::string folder = folderPart(names_[leader]);
    const std::string name = namePart(names_[leader]);
    const TFolderIndex& index = *indexOf(folder);
    const bool takesTwins = kindOf(name) <= Kind::Raw;
    startSet(name);
    const auto set = index.byBase.find(caseKey(baseName(name)));
    if (set != index.byBase.end()) {
      for (const std::string& member : set->second) {
        const Kind kind = kindOf(member);
        if (kind == Kind::Other || (kind != Kind::Sidecar && !takesTwins)) continue;
        const std::string tail = extensionAsNamed(fileExtension(member));
        if (add(leader, folder + member, tail, false) && kind != Kind::Sidecar) {
          claimSidecarsOf(leader, index, member, tail, false);
        }
      }
    }
    claimSidecarsOf(leader, index, name, {}, true);
  }

  const TNameList& names_;
  const TFolderListings& listings_;
  CaptureDateProbe probe_;
  const std::unordered_set<std::string>& followedBefore_;
  TPairPlan plan_;
  std::vector<bool> isLeader_;
  std::unordered_map<std::string, size_t> entryOf_;
  std::unordered_map<std::string, TFolderIndex> folders_;
  std::unordered_set<std::string> claimed_;
  // The set being claimed: its leader's extension, and how the new names of
  // its files end (lower case), the leader's own included.
  std::string leaderExt_;
  std::unordered_set<std::string> endings_;
};

}  // namespace

TPairPlan planPairs(const TNameList& names, const TFolderListings& listings, CaptureDateProbe probe,
                    const std::unordered_set<std::string>& followedBefore) {
  return TPlanner(names, listings, probe, followedBefore).run();
}

std::string followerName(const std::string& leaderName, const TFollower& follower) {
  return (follower.AfterWholeName ? leaderName : baseName(leaderName)) + follower.Tail;
}

void followLeader(const TPassItem& leader, const TFollower& follower, TPassItem& item) {
  const TRunSettings& s = RunSettings;
  item.ListedName = item.AccessPath = item.ShortName = follower.Path;
  item.FolderPart = folderPart(follower.Path);
  item.WorkName = followerName(namePart(leader.PlacedAt), follower);
  item.Follower = true;
  if (s.Copy) return copyFollower(item, item.WorkName);
  if (s.CopyMedia) return mediaCopyFollower(item, folderPart(leader.PlacedAt) + item.WorkName);
  item.NewPath = folderPart(leader.PlacedAt) + item.WorkName;
  stepCommit(item);
}

}  // namespace zantrel
