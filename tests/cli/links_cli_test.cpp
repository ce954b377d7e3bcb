// Whole-program tests of symbolic links met by a pass: a clash with a name
// that leads back to the item itself, and the steps that change modes and
// time stamps, which must never reach through a link.
#include <sys/stat.h>

#include <gtest/gtest.h>

#include <filesystem>

#include "cli/harness.h"
#include "support/exif_builder.h"

using namespace testing_support;
namespace fs = std::filesystem;

namespace {

using Names = std::vector<std::string>;

struct stat lstatOf(const fs::path& p) {
  struct stat st {};
  EXPECT_EQ(::lstat(p.c_str(), &st), 0) << p;
  return st;
}

std::string linkTarget(const fs::path& p) {
  std::error_code ec;
  return fs::read_symlink(p, ec).string();
}

// A clash with a destination that is a link to the item, or an item that
// is a link to the destination: either way both names lead to one photo,
// and no delete option may remove it.
struct SelfClash {
  const char* what;
  Names args;
  const char* photo;       // the regular file
  const char* link;        // the symbolic link to it
  const char* listed;      // the item
  const char* newName;     // its new name, the other of the two
};

TEST(LinksCli, ClashWithALinkToTheItselfDeletesNothing) {
  const SelfClash cases[] = {
      {"-des, destination links to the source", {"-log", "-l", "-des"}, "IMG_1.JPG", "img_1.jpg", "IMG_1.JPG",
       "img_1.jpg"},
      {"-ded, source links to the destination", {"-log", "-l", "-le", "-ded"}, "img_1.jpg", "IMG_1.JPG",
       "IMG_1.JPG", "img_1.jpg"},
      {"-ded, destination links to the source", {"-log", "-l", "-ded"}, "IMG_1.JPG", "img_1.jpg", "IMG_1.JPG",
       "img_1.jpg"},
      {"-des, source links to the destination", {"-log", "-l", "-des"}, "img_1.jpg", "IMG_1.JPG", "IMG_1.JPG",
       "img_1.jpg"},
  };
  for (const SelfClash& c : cases) {
    SCOPED_TRACE(c.what);
    TempDir dir;
    dir.write(c.photo, "P");
    fs::create_symlink(c.photo, dir / c.link);
    Names args = c.args;
    args.push_back(c.listed);
    RunResult r = runZantrel(args, dir.path());
    EXPECT_EQ(r.exitCode, 2);
    EXPECT_EQ(r.out, std::string("ERROR Can't rename file ") + c.listed + " -> " + c.newName + " !\n");
    EXPECT_EQ(logRecords(dir), Names{record({"ERROR", c.listed, c.newName, "can not rename file"})});
    EXPECT_EQ(dir.read(c.photo), "P");
    EXPECT_EQ(linkTarget(dir / c.link), c.photo);
    EXPECT_TRUE(S_ISREG(lstatOf(dir / c.photo).st_mode));
  }
}

// A photo somewhere else, read-only and dated, reached through a link in
// the folder that the run works on.
struct Outside {
  TempDir dir;
  fs::path target;
  fs::path work;
  Outside(const std::string& linkName, const std::string& bytes = "outside") {
    target = dir.write("elsewhere/photo.jpg", bytes);
    setLocalMtime(target, 2001, 2, 3, 4, 5, 6);
    fs::permissions(target, fs::perms::owner_read | fs::perms::group_read | fs::perms::others_read);
    work = dir.mkdir("work");
    fs::create_symlink("../elsewhere/photo.jpg", work / linkName);
  }
  void expectTargetUntouched(const std::string& bytes = "outside") const {
    EXPECT_EQ(dir.read("elsewhere/photo.jpg"), bytes);
    EXPECT_EQ(localMtimeText(target), "2001-02-03 04:05:06");
    EXPECT_EQ(lstatOf(target).st_mode & 07777, 0444u);
  }
};

std::string ownMtimeText(const fs::path& link) {
  const struct stat st = lstatOf(link);
  struct tm t {};
  ::localtime_r(&st.st_mtim.tv_sec, &t);
  char buf[32];
  std::strftime(buf, sizeof buf, "%Y-%m-%d %H:%M:%S", &t);
  return buf;
}

TEST(LinksCli, RenamingALinkLeavesItsReadOnlyTargetAlone) {
  Outside o("LINK.JPG");
  RunResult r = runZantrel({"-l", "LINK.JPG"}, o.work);
  EXPECT_EQ(r.out, "LINK.JPG -> link.jpg\n");
  EXPECT_EQ(linkTarget(o.work / "link.jpg"), "../elsewhere/photo.jpg");
  o.expectTargetUntouched();
}

TEST(LinksCli, SetTimeActsOnTheLinkItself) {
  Outside o("link.jpg");
  const std::string ownBefore = ownMtimeText(o.work / "link.jpg");
  RunResult r = runZantrel({"-st=2020-01-01 12:00", "link.jpg"}, o.work);
  EXPECT_EQ(r.out, "link.jpg LastWriteDateTime adjusted: " + ownBefore + " -> 2020-01-01 12:00:00\n");
  EXPECT_EQ(ownMtimeText(o.work / "link.jpg"), "2020-01-01 12:00:00");
  o.expectTargetUntouched();
}

TEST(LinksCli, ExifDatesActOnTheLinkItself) {
  CameraShot shot;
  shot.dateTimeOriginal = "2013:04:12 15:30:44";
  Outside o("IMG_1.JPG", cameraJpeg(shot));
  RunResult r = runZantrel({"-i", "-log", "IMG_1.JPG"}, o.work);
  EXPECT_EQ(r.out,
            "IMG_1.jpg\n"
            "130412-1530_IMG_1.jpg Create+Write adjusted to: 2013-04-12 15:30:44\n"
            "IMG_1.JPG -> 130412-1530_IMG_1.jpg\n");
  EXPECT_EQ(ownMtimeText(o.work / "130412-1530_IMG_1.jpg"), "2013-04-12 15:30:44");
  o.expectTargetUntouched(cameraJpeg(shot));
  // A second run compares with the link's own time and changes nothing.
  r = runZantrel({"-i", "*.jpg"}, o.work);
  EXPECT_EQ(r.out, "");
}

TEST(LinksCli, FolderDateLeavesAFolderReachedThroughALinkAlone) {
  TempDir dir;
  const fs::path target = dir.mkdir("elsewhere/album");
  setLocalMtime(dir.write("elsewhere/album/a.jpg"), 2015, 5, 1, 10, 0, 0);
  setLocalMtime(target, 2001, 2, 3, 4, 5, 6);
  fs::permissions(target, fs::perms::owner_read | fs::perms::owner_exec | fs::perms::group_read |
                              fs::perms::group_exec | fs::perms::others_read | fs::perms::others_exec);
  const fs::path work = dir.mkdir("work");
  fs::create_symlink("../elsewhere/album", work / "album");
  RunResult r = runZantrel({"-fdff", "-log", "*"}, work);
  EXPECT_EQ(r.out.find("album Folder Date adjusted: 2015-05-01 10:00:00 (was "), 0u) << r.out;
  EXPECT_EQ(localMtimeText(target), "2001-02-03 04:05:06");
  EXPECT_EQ(lstatOf(target).st_mode & 07777, 0555u);
  EXPECT_EQ(ownMtimeText(work / "album"), "2015-05-01 10:00:00");
}

// The time record names the photo where it is after the step: under its
// new name only when the rename happened.
TEST(LinksCli, TimeRecordNamesTheFileWhereItIs) {
  TempDir dir;
  CameraShot shot;
  shot.dateTimeOriginal = "2013:04:12 15:30:44";
  setLocalMtime(dir.write("IMG_1.JPG", cameraJpeg(shot)), 2013, 4, 12, 16, 0, 0);
  const fs::path other = dir.write("130412-1530_IMG_1.jpg", "unrelated");
  setLocalMtime(other, 2001, 2, 3, 4, 5, 6);
  RunResult r = runZantrel({"-i", "-log", "IMG_1.JPG"}, dir.path());
  EXPECT_EQ(r.out,
            "IMG_1.jpg\n"
            "IMG_1.JPG Create+Write adjusted to: 2013-04-12 15:30:44\n"
            "ERROR Can't rename file IMG_1.JPG -> 130412-1530_IMG_1.jpg !\n");
  EXPECT_EQ(logRecords(dir), (Names{record({"time", "IMG_1.JPG", "Create+Write adjusted"}),
                                    record({"ERROR", "IMG_1.JPG", "130412-1530_IMG_1.jpg", "can not rename file"})}));
  EXPECT_EQ(localMtimeText(dir / "IMG_1.JPG"), "2013-04-12 15:30:44");
  EXPECT_EQ(localMtimeText(other), "2001-02-03 04:05:06");
  EXPECT_EQ(dir.read("130412-1530_IMG_1.jpg"), "unrelated");
}

TEST(LinksCli, TimeRecordOfARenamedPhotoComesBeforeItsRenameRecord) {
  TempDir dir;
  CameraShot shot;
  shot.dateTimeOriginal = "2013:04:12 15:30:44";
  setLocalMtime(dir.write("IMG_1.JPG", cameraJpeg(shot)), 2013, 4, 12, 16, 0, 0);
  dir.write("130412-1530_IMG_1.jpg", "replaced on request");
  RunResult r = runZantrel({"-i", "-ded", "-log", "IMG_1.JPG"}, dir.path());
  EXPECT_EQ(r.out,
            "IMG_1.jpg\n"
            "130412-1530_IMG_1.jpg Create+Write adjusted to: 2013-04-12 15:30:44\n"
            "WARNING destination exists - overwrite 130412-1530_IMG_1.jpg !\n"
            "IMG_1.JPG -> 130412-1530_IMG_1.jpg\n");
  EXPECT_EQ(logRecords(dir),
            (Names{record({"time", "130412-1530_IMG_1.jpg", "Create+Write adjusted"}),
                   record({"WARNING", "IMG_1.JPG", "130412-1530_IMG_1.jpg", "overwrite destination file"}),
                   record({"rename", "IMG_1.JPG", "130412-1530_IMG_1.jpg", "file"})}));
  EXPECT_EQ(dir.read("130412-1530_IMG_1.jpg"), cameraJpeg(shot));
}

}  // namespace
