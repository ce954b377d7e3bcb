// Which file of a set leads and which follow it, from a pass's list and
// the folder listings alone.
#include "engine/pairs.h"

#include <gtest/gtest.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <csignal>
#include <iterator>
#include <map>
#include <sstream>

#include "app/settings.h"
#include "platform/process.h"

namespace zantrel {
namespace {

using Names = std::vector<std::string>;

TFolderListings listingOf(const std::string& folder, const Names& files) {
  TFolderListings listings;
  for (const std::string& name : files) listings.folders[folder].push_back({name, platform::EntryKind::File, false});
  return listings;
}

// "leader: follower+tail follower+tail", one text per entry that leads.
std::map<std::string, std::string> describe(const Names& names, const TPairPlan& plan) {
  std::map<std::string, std::string> out;
  for (size_t i = 0; i < names.size(); ++i) {
    if (plan.Follows[i]) continue;
    std::string text;
    for (const TFollower& f : plan.Followers[i]) {
      text += (text.empty() ? "" : " ") + f.Path + (f.AfterWholeName ? "=" : "+") + f.Tail;
    }
    out[names[i]] = text;
  }
  return out;
}

std::string sortedWords(const std::string& text) {
  std::istringstream in(text);
  Names words{std::istream_iterator<std::string>(in), std::istream_iterator<std::string>()};
  std::sort(words.begin(), words.end());
  std::string out;
  for (const std::string& w : words) out += (out.empty() ? "" : " ") + w;
  return out;
}

const Names Card = {"IMG_1.JPG", "IMG_1.CR2", "IMG_1.CR2.xmp", "IMG_1.JPG.xmp", "IMG_1.XMP",     "IMG_1.txt",
                    "MVI_2.MOV", "MVI_2.MP4", "MVI_2.THM",     "MVI_2.MP4.xmp", "IMG_1.MOV", "img_1.jpg"};

DateTime onlyRawHasADate(const std::string& path) { return path.find(".CR2") != std::string::npos ? 41000.5 : 0; }

TEST(PairPlan, LeadersAndFollowers) {
  RunSettings = TRunSettings{};
  RunSettings.LowerExt = true;
  const struct {
    const char* name;
    Names selected;
    CaptureDateProbe probe;
    std::map<std::string, std::string> expected;
    std::unordered_set<std::string> followedBefore = {};
  } cases[] = {
      {"the JPEG leads the whole set",
       {"IMG_1.JPG", "IMG_1.CR2", "IMG_1.XMP", "IMG_1.CR2.xmp"},
       nullptr,
       {{"IMG_1.JPG", "IMG_1.CR2+.cr2 IMG_1.CR2.xmp+.cr2.xmp IMG_1.XMP+.xmp IMG_1.JPG.xmp=.xmp"}}},
      {"a dated RAW leads an undated JPEG",
       {"IMG_1.JPG", "IMG_1.CR2"},
       onlyRawHasADate,
       {{"IMG_1.CR2", "IMG_1.JPG+.jpg IMG_1.JPG.xmp+.jpg.xmp IMG_1.XMP+.xmp IMG_1.CR2.xmp=.xmp"}}},
      {"a RAW alone brings its twin",
       {"IMG_1.CR2"},
       nullptr,
       {{"IMG_1.CR2", "IMG_1.JPG+.jpg IMG_1.JPG.xmp+.jpg.xmp IMG_1.XMP+.xmp IMG_1.CR2.xmp=.xmp"}}},
      {"a clip leads its thumbnail; a second clip keeps only its own sidecar",
       {"MVI_2.MOV", "MVI_2.MP4"},
       nullptr,
       {{"MVI_2.MOV", "MVI_2.THM+.thm"}, {"MVI_2.MP4", "MVI_2.MP4.xmp=.xmp"}}},
      {"a sidecar of a file the pass leaves stays alone",
       {"MVI_2.MP4.xmp"},
       nullptr,
       {{"MVI_2.MP4.xmp", ""}}},
      {"a text of the base name follows nothing and brings nothing it does not own",
       {"IMG_1.txt", "IMG_1.JPG"},
       nullptr,
       {{"IMG_1.JPG", "IMG_1.CR2+.cr2 IMG_1.CR2.xmp+.cr2.xmp IMG_1.XMP+.xmp IMG_1.JPG.xmp=.xmp"}, {"IMG_1.txt", ""}}},
      {"a photo whose name differs only in case is another photo",
       {"IMG_1.JPG", "img_1.jpg"},
       nullptr,
       {{"IMG_1.JPG", "IMG_1.CR2+.cr2 IMG_1.CR2.xmp+.cr2.xmp IMG_1.XMP+.xmp IMG_1.JPG.xmp=.xmp"}, {"img_1.jpg", ""}}},
      {"a sidecar takes no photo along", {"IMG_1.XMP"}, nullptr, {{"IMG_1.XMP", ""}}},
      {"a clip takes no photo along, only a sidecar", {"IMG_1.MOV"}, nullptr, {{"IMG_1.MOV", "IMG_1.XMP+.xmp"}}},
      {"what followed in an earlier pass follows no one again",
       {"IMG_1.MOV"},
       nullptr,
       {{"IMG_1.MOV", ""}},
       {"IMG_1.XMP"}},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    const TPairPlan plan = planPairs(c.selected, listingOf("", Card), c.probe, c.followedBefore);
    // The order of followers within a set is that of the listing.
    std::map<std::string, std::string> got = describe(c.selected, plan), expected = c.expected;
    for (auto* map : {&got, &expected}) {
      for (auto& entry : *map) entry.second = sortedWords(entry.second);
    }
    EXPECT_EQ(got, expected);
  }
  RunSettings = TRunSettings{};
}

// The dates read to choose a leader are kept for the items' own EXIF step.
TEST(PairPlan, KeepsTheCaptureDatesItRead) {
  const Names selected = {"IMG_1.JPG", "IMG_1.CR2", "MVI_2.MOV"};
  const TPairPlan plan = planPairs(selected, listingOf("", Card), onlyRawHasADate);
  ASSERT_EQ(plan.CaptureDates.size(), selected.size());
  EXPECT_EQ(plan.CaptureDates[0], std::optional<DateTime>(0));
  EXPECT_EQ(plan.CaptureDates[1], std::optional<DateTime>(41000.5));
  EXPECT_FALSE(plan.CaptureDates[2].has_value());
}

// Planning reads photos, maybe on a slow share: a stop signal ends it. In
// a child process, since the signal is noted process-wide.
TEST(PairPlan, StopSignalEndsThePlanning) {
  const pid_t pid = ::fork();
  if (pid == 0) {
    platform::prepareProcess();
    std::raise(SIGINT);
    const TPairPlan plan = planPairs({"IMG_1.JPG", "MVI_2.MOV"}, listingOf("", Card), onlyRawHasADate);
    const bool none = plan.Followers.size() == 2 && plan.Followers[0].empty() && plan.Followers[1].empty() &&
                      plan.CaptureDates.empty();
    ::_exit(none ? 0 : 1);
  }
  int status = 0;
  ::waitpid(pid, &status, 0);
  ASSERT_TRUE(WIFEXITED(status));
  EXPECT_EQ(WEXITSTATUS(status), 0);
}

TEST(PairPlan, FollowerNames) {
  EXPECT_EQ(followerName("x_IMG_1.jpg", {"IMG_1.CR2", ".cr2", false, false}), "x_IMG_1.cr2");
  EXPECT_EQ(followerName("x_IMG_1.jpg", {"IMG_1.CR2.xmp", ".cr2.xmp", false, false}), "x_IMG_1.cr2.xmp");
  EXPECT_EQ(followerName("x_IMG_1.jpg", {"IMG_1.JPG.xmp", ".xmp", true, false}), "x_IMG_1.jpg.xmp");
  EXPECT_EQ(followerName("noext", {"noext.xmp", ".xmp", false, false}), "noext.xmp");
}

}  // namespace
}  // namespace zantrel
