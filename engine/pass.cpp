// One pass: build the whole list of selected objects first, so that an
// object renamed by this pass is never met again, then walk it item by item.
#include "engine/pass.h"

#include <algorithm>
#include <memory>
#include <string>
#include <unordered_set>
#include <vector>

#include "app/outcome.h"
#include "app/settings.h"
#include "engine/item.h"
#include "engine/pairs.h"
#include "engine/pass_report.h"
#include "engine/pipeline.h"
#include "engine/preview.h"
#include "engine/read_ahead.h"
#include "engine/steps.h"
#include "exif/capture_date.h"
#include "lib/files.h"
#include "lib/paths.h"
#include "lib/utf8.h"
#include "platform/console.h"
#include "platform/filesystem.h"
#include "platform/process.h"
#include "probes/magic.h"

namespace zantrel {

namespace {

struct TPassLists {
  TNameList LongNames;
  TNameList ShortNames;
  // Every folder read for the lists, until the walk begins.
  TFolderListings Listings;
  // The listed paths that are symbolic links: what such an item is depends
  // on what it leads to, so it is looked at in selection.
  std::unordered_set<std::string> Links;
};

void noteEmptyPattern(const std::string& pattern);

void reportUnreadableFolder(const std::string& folder) {
  std::vector<std::string>& known = RunOutcome.UnreadableFolders;
  if (std::find(known.begin(), known.end(), folder) != known.end()) return;
  known.push_back(folder);
  platform::writeLine("Error: Can not read folder " + folder);
}

// The patterns of FileSpec, up to the first empty one and at most 100.
bool buildLists(TPassLists& lists) {
  const TRunSettings& s = RunSettings;
  bool found = false;
  TFolderListings& listings = lists.Listings;
  for (const std::string& pattern : filePatterns(s.FileSpec)) {
    const size_t before = lists.LongNames.size();
    const bool hit =
        s.Folders ? FindDirs83(pattern, pattern, lists.LongNames, lists.ShortNames, s.Recursive, &listings)
                  : FindFiles83(pattern, pattern, lists.LongNames, lists.ShortNames, s.Recursive, &listings);
    found = found || hit;
    if (lists.LongNames.size() == before) noteEmptyPattern(pattern);
  }
  for (const std::string& folder : listings.unreadable) reportUnreadableFolder(folder);
  for (const auto& [folder, entries] : listings.folders) {
    for (const platform::FolderEntry& entry : entries) {
      if (entry.throughLink) lists.Links.insert(folder + entry.name);
    }
  }
  return found;
}

// The run's own log must never be renamed under the logger's feet.
void dropOwnLog(TPassLists& lists) {
  const std::string& log = RunSettings.LogFileName;
  if (!RunSettings.WriteLog || log.empty()) return;
  for (size_t i = 0; i < lists.LongNames.size();) {
    const std::string& name = lists.LongNames[i];
    if (namePart(name) == log && platform::sameObject(name, log)) {
      lists.LongNames.erase(lists.LongNames.begin() + static_cast<std::ptrdiff_t>(i));
      if (i < lists.ShortNames.size()) lists.ShortNames.erase(lists.ShortNames.begin() + static_cast<std::ptrdiff_t>(i));
    } else {
      ++i;
    }
  }
}

void noteEmptyPattern(const std::string& pattern) {
  std::vector<std::string>& empty = RunOutcome.EmptyPatterns;
  for (const std::string& known : empty) {
    if (known == pattern) return;
  }
  empty.push_back(pattern);
}

// On the status of the one look at the item: a folder counts as 0 bytes,
// and an item that could not be looked at as -1.
bool passesSizeFilter(const TPassItem& item) {
  const TRunSettings& s = RunSettings;
  if (s.MinSize <= 0 && s.MaxSize <= 0) return true;
  const platform::FileStatus& status = item.Status;
  const int64_t size = !status.exists ? -1 : status.isFolder ? 0 : static_cast<int64_t>(status.size);
  if (s.MinSize > 0 && size < s.MinSize) return false;
  if (s.MaxSize > 0 && size > s.MaxSize) return false;
  return true;
}

// A run that only changes names needs nothing of an item but its name
// until the rename, which itself finds out whether the item is still
// there: the look at it can wait. Every other run looks at each item once,
// in selection, for the steps that need its times, size or content.
bool lookCanWait(const TRunSettings& s) {
  return !s.ReadExif && s.ImageTag.empty() && !s.Nice && !s.Magic && !s.SuffixSize && !s.DatePrefix &&
         !s.DateSuffix && s.SetTime.empty() && !s.DateExif && !s.Copy && !s.CopyMedia && !s.Folders &&
         !s.FolderDateFromFiles && !s.Pairs && !s.Verbose && s.MinSize <= 0 && s.MaxSize <= 0;
}

// The one look at the item's path that tells whether it can be reached and
// what the later steps need to know of it. When the EXIF step will read the
// file, the look is its opening: the fstat that comes with the open tells
// the same as a stat, of the very file that will be read.
bool lookAt(TPassItem& item, bool canWait) {
  if (RunSettings.ReadExif && !item.KnownCaptureDate && readsCaptureDate(item.AccessPath)) {
    auto file = std::make_shared<platform::InputFile>();
    if (file->open(item.AccessPath, item.Status)) item.Opened = std::move(file);
  }
  // Listed a moment ago: the commit looks if the rename does not find it.
  if (canWait && item.AccessPath == item.ShortName) return true;
  // Not opened (not read, unreadable, or no regular file): a stat.
  if (!item.Opened && !item.Status.exists) item.Status = platform::fileStatus(item.AccessPath);
  item.StatusKnown = item.TimesKnown = item.Status.exists;
  return item.Status.exists;
}

// Selection of entry i; false when the item is skipped.
bool selectItem(const TPassLists& lists, size_t i, TPassItem& item) {
  const TRunSettings& s = RunSettings;
  item.ListedName = lists.LongNames[i];
  if (i < lists.ShortNames.size()) item.ShortName = lists.ShortNames[i];
  item.ItemDateFormat = s.DateFormat;
  item.AccessPath = item.ListedName;
  item.IsLink = !lists.Links.empty() && lists.Links.contains(item.ListedName);
  // A size limit makes the look happen now (lookCanWait): the limit is
  // judged by what it saw of the listed name.
  const bool canWait = lookCanWait(s) && !item.IsLink;
  const bool seen = lookAt(item, canWait);
  if (!passesSizeFilter(item)) {
    markItem(ItemMark::Skipped);
    return false;
  }
  if (!seen) {
    if (item.ShortName.empty()) {
      markItem(ItemMark::Skipped);
      return false;
    }
    item.AccessPath = item.ShortName;
    if (!lookAt(item, canWait)) {
      reportNotFound(item);
      return false;
    }
  }

  if (s.Verbose) {
    // The pipeline finishes this line.
    platform::writeText(item.ListedName);
    platform::flushOutput();
  }

  item.WorkName = item.ListedName;
  if (s.Magic && fileExtension(item.ListedName).empty()) {
    int readError = 0;
    const std::string extension = detectExtension(item.ListedName, readError);
    if (readError != 0) {
      reportUnreadable(item, readError);
      return false;
    }
    item.WorkName += extension;
  }

  item.FolderPart = folderPart(item.WorkName);
  item.WorkName = namePart(item.WorkName);

  if (s.EightOnly && charCount(item.WorkName) != 8) {
    markItem(ItemMark::Skipped);
    return false;
  }
  return true;
}

// The files that follow an item (-pairs), each an item of its own, once
// the item's ending has placed it (also where it was). A follower of an
// item that the ending left alone (skipped, refused, failed) stays too; one
// that the pass selected counts as skipped.
void walkFollowers(TPassReport& report, const TPassItem& leader) {
  for (const TFollower& follower : *leader.Followers) {
    if (leader.PlacedAt.empty() && !follower.Selected) continue;
    if (!follower.Selected) ++RunOutcome.Selected;
    TPassItem item;
    report.beginItem(item);
    if (leader.PlacedAt.empty()) {
      markItem(ItemMark::Skipped);
    } else {
      followLeader(leader, follower, item);
      RunOutcome.Followed.insert(follower.Path);
    }
    report.endItem();
  }
}

// The files of the pass from item first on whose capture date it reads.
std::unique_ptr<TReadAhead> startReadAhead(const TNameList& names, size_t first) {
  std::vector<bool> wanted(names.size());
  for (size_t i = first; i < names.size(); ++i) wanted[i] = readsCaptureDate(names[i]);
  return std::make_unique<TReadAhead>(names, std::move(wanted), first, CaptureDateFirstRead);
}

}  // namespace

void runPass() {
  const TRunSettings& s = RunSettings;
  TPassReport report;
  TPassLists lists;
  const bool found = buildLists(lists);
  dropOwnLog(lists);
  if (s.Verbose) platform::writeLine(std::to_string(lists.LongNames.size()) + " files found");
  if (!found) return;
  // A walk cut short by a stop signal lists only part of what was asked.
  if (platform::stopSignal() != 0) return;
  RunOutcome.Selected += lists.LongNames.size();
  const bool pairs = s.Pairs && !s.Folders;
  TPairPlan plan;
  const CaptureDateProbe probe = readExifCaptureDate;
  if (pairs) plan = planPairs(lists.LongNames, lists.Listings, s.ReadExif ? probe : nullptr, RunOutcome.Followed);
  // What the folders held is about to change, unless this is a test run:
  // then its preview looks the new names up in them.
  if (s.Test) previewListedFolders(std::move(lists.Listings), lists.LongNames.size());
  else lists.Listings = TFolderListings{};
  const bool reads = s.ReadExif && !s.Folders;
  TSlowMediumWatch watch;
  std::unique_ptr<TReadAhead> readAhead;
  for (size_t i = 0; i < lists.LongNames.size(); ++i) {
    // A stop signal ends the pass between two items, never inside one.
    if (platform::stopSignal() != 0) return;
    if (pairs && plan.Follows[i]) continue;  // walked with the item it follows
    if (readAhead) readAhead->passAt(i);
    TPassItem item;
    if (pairs && !plan.Followers[i].empty()) item.Followers = &plan.Followers[i];
    if (pairs && !plan.CaptureDates.empty()) item.KnownCaptureDate = plan.CaptureDates[i];
    report.beginItem(item);
    std::shared_ptr<platform::InputFile> watched;
    if (selectItem(lists, i, item)) {
      if (reads && !readAhead && item.Opened) {
        item.Opened->probeCache();
        watched = item.Opened;
      }
      runPipeline(item);
    }
    report.endItem();
    if (item.Followers) walkFollowers(report, item);
    if (watched) {
      watch.readItem(watched->waitedForMedium());
      if (watch.slow()) readAhead = startReadAhead(lists.LongNames, i + 1);
    }
  }
}

}  // namespace zantrel
