#include "engine/media_library.h"

#include <gtest/gtest.h>

namespace zantrel {
namespace {

TEST(MediaLibrary, KindByExtension) {
  struct Case {
    const char* ext;
    MediaKind kind;
  } cases[] = {
      {".jpg", MediaKind::Image}, {".JPEG", MediaKind::Image}, {".3gp", MediaKind::Video},
      {".ogg", MediaKind::Video}, {".m4p", MediaKind::Audio},  {".mp3", MediaKind::Music},
      {".wav", MediaKind::Audio}, {".m2ts", MediaKind::Video}, {".jp", MediaKind::None},
      {".pdf", MediaKind::None},  {"", MediaKind::None},       {".", MediaKind::None},
      {".a", MediaKind::None},    {".mp", MediaKind::None},
      // Phone and camera formats beyond JPEG are photos too.
      {".heic", MediaKind::Image}, {".HIF", MediaKind::Image}, {".avif", MediaKind::Image},
      {".webp", MediaKind::Image}, {".webm", MediaKind::Video}, {".CR3", MediaKind::Image},
      {".cr2", MediaKind::Image},  {".nef", MediaKind::Image},  {".raf", MediaKind::Image},
      {".3fr", MediaKind::Image},  {".iiq", MediaKind::Image},  {".mos", MediaKind::Image},
      {".mo", MediaKind::None},    {".he", MediaKind::None},
  };
  for (const auto& c : cases) EXPECT_EQ(mediaKindOf(c.ext), c.kind) << c.ext;
}

TEST(MediaLibrary, VideoFolderNames) {
  EXPECT_EQ(videoFolderName("20240131-1005_clip.mp4"), "20240131");
  EXPECT_EQ(videoFolderName("20240131_mvi_1234.mov"), "20240131_mvi_1234");
  EXPECT_EQ(videoFolderName("240131-1005.mov"), "240131-1005");
  EXPECT_EQ(videoFolderName("x.mp4"), "x.mp4");
}

TEST(MediaLibrary, FoldersByKindAndDate) {
  const DateTime d = encodeDateTime(2024, 1, 31, 23, 30);
  EXPECT_EQ(mediaFolder("/m/", MediaKind::Image, d, "a.jpg"), "/m/Imgs/o/2024/01/");
  EXPECT_EQ(mediaFolder("/m/", MediaKind::Music, d, "a.mp3"), "/m/Music/2024/");
  EXPECT_EQ(mediaFolder("/m/", MediaKind::Audio, d, "a.wav"), "/m/Audio/2024/");
  EXPECT_EQ(mediaFolder("/m/", MediaKind::Video, d, "20240131-1005_clip.mp4"), "/m/Video/20240131/");
}

}  // namespace
}  // namespace zantrel
