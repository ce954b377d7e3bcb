// Which file of a set leads and which follow it, from a pass's list and
// the folder listings alone.
#include "engine/pairs.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <iterator>
#include <map>
#include <sstream>

#include "app/settings.h"

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

const Names Card = {"IMG_1.JPG", "IMG_1.CR2", "IMG_1.CR2.xmp", "IMG_1.JPG.xmp", "IMG_1.XMP",
                    "IMG_1.txt", "MVI_2.MOV", "MVI_2.MP4",     "MVI_2.THM",     "MVI_2.MP4.xmp"};

DateTime onlyRawHasADate(const std::string& path) { return path.find(".CR2") != std::string::npos ? 41000.5 : 0; }

TEST(PairPlan, LeadersAndFollowers) {
  RunSettings = TRunSettings{};
  RunSettings.LowerExt = true;
  const struct {
    const char* name;
    Names selected;
    CaptureDateProbe probe;
    std::map<std::string, std::string> expected;
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
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    const TPairPlan plan = planPairs(c.selected, listingOf("", Card), c.probe);
    // The order of followers within a set is that of the listing.
    std::map<std::string, std::string> got = describe(c.selected, plan), expected = c.expected;
    for (auto* map : {&got, &expected}) {
      for (auto& entry : *map) entry.second = sortedWords(entry.second);
    }
    EXPECT_EQ(got, expected);
  }
  RunSettings = TRunSettings{};
}

TEST(PairPlan, FollowerNames) {
  EXPECT_EQ(followerName("x_IMG_1.jpg", {"IMG_1.CR2", ".cr2", false, false}), "x_IMG_1.cr2");
  EXPECT_EQ(followerName("x_IMG_1.jpg", {"IMG_1.CR2.xmp", ".cr2.xmp", false, false}), "x_IMG_1.cr2.xmp");
  EXPECT_EQ(followerName("x_IMG_1.jpg", {"IMG_1.JPG.xmp", ".xmp", true, false}), "x_IMG_1.jpg.xmp");
  EXPECT_EQ(followerName("noext", {"noext.xmp", ".xmp", false, false}), "noext.xmp");
}

}  // namespace
}  // namespace zantrel
