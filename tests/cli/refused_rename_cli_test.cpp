// Renames and deletes that the system refuses, on a read-only bind mount
// in a private mount namespace. We run as root, where permission bits do
// not stop a rename; where mount namespaces are not permitted the tests
// skip.
#include <sys/wait.h>

#include <gtest/gtest.h>

#include <cstdlib>

#include "cli/harness.h"

using namespace testing_support;

namespace {

// Runs zantrel in dir with dir/ro mounted read-only for that run only.
RunResult runOnReadOnlyMount(const TempDir& dir, const std::vector<std::string>& args) {
  return runZantrelVia("unshare --mount sh -c "
                       "'mount --bind ro ro && mount -o remount,bind,ro ro && exec \"$0\" \"$@\"'",
                       args, dir.path());
}

bool readOnlyMountsPermitted() {
  TempDir probe;
  probe.mkdir("ro");
  const std::string command = "cd " + shellQuoted(probe.path().string()) +
                              " && unshare --mount sh -c 'mount --bind ro ro && mount -o remount,bind,ro ro' "
                              ">/dev/null 2>&1";
  return std::system(command.c_str()) == 0;
}

std::string logText(const TempDir& dir) {
  for (const std::string& name : dir.list()) {
    if (name.rfind("_zantrel_", 0) == 0) return dir.read(name);
  }
  return {};
}

TEST(RefusedRenameCli, FileRenameAndDeleteOnReadOnlyMount) {
  if (!readOnlyMountsPermitted()) GTEST_SKIP() << "no private read-only mounts here";
  TempDir dir;
  dir.write("ro/a.jpg", "a intact");
  dir.write("ro/b.jpg", "b intact");
  dir.write("ro/x_b.jpg", "x_b intact");
  RunResult r = runOnReadOnlyMount(dir, {"-log", "-ded", "-pre=x_", "ro/a.jpg,ro/b.jpg"});
  EXPECT_EQ(r.exitCode, 2) << r.err;
  EXPECT_EQ(r.out,
            "ERROR Can't rename file ro/a.jpg -> ro/x_a.jpg !\n"
            "WARNING destination exists - overwrite ro/x_b.jpg !\n"
            "ERROR! Failed to delete: ro/x_b.jpg\n");
  EXPECT_EQ(dir.read("ro/a.jpg"), "a intact");
  EXPECT_EQ(dir.read("ro/b.jpg"), "b intact");
  EXPECT_EQ(dir.read("ro/x_b.jpg"), "x_b intact");
  EXPECT_EQ(dir.list("ro"), (std::vector<std::string>{"a.jpg", "b.jpg", "x_b.jpg"}));
  // The replacement did not happen: an error record, not a warning that
  // reads as done.
  EXPECT_EQ(logText(dir),
            "ERROR\tro/a.jpg\tro/x_a.jpg\tcan not rename file\r\n"
            "ERROR\tro/b.jpg\tro/x_b.jpg\tcan not rename file\r\n");
}

TEST(RefusedRenameCli, SourceDeleteOnReadOnlyMount) {
  if (!readOnlyMountsPermitted()) GTEST_SKIP() << "no private read-only mounts here";
  TempDir dir;
  dir.write("ro/b.jpg", "b intact");
  dir.write("ro/x_b.jpg", "x_b intact");
  RunResult r = runOnReadOnlyMount(dir, {"-log", "-des", "-pre=x_", "ro/b.jpg"});
  EXPECT_EQ(r.out, "WARNING destination exists - delete ro/b.jpg !\nERROR! Failed to delete: ro/b.jpg\n");
  EXPECT_EQ(dir.read("ro/b.jpg"), "b intact");
  EXPECT_EQ(dir.read("ro/x_b.jpg"), "x_b intact");
  EXPECT_EQ(logText(dir), "ERROR\tro/b.jpg\tro/x_b.jpg\tcan not rename file\r\n");
}

TEST(RefusedRenameCli, FolderRenameOnReadOnlyMount) {
  if (!readOnlyMountsPermitted()) GTEST_SKIP() << "no private read-only mounts here";
  TempDir dir;
  dir.write("ro/trip/a.jpg");
  RunResult r = runOnReadOnlyMount(dir, {"-log", "-dir", "-pre=x_", "ro/trip"});
  EXPECT_EQ(r.out, "ERROR Can't rename directory ro/trip -> ro/x_trip !\n");
  EXPECT_TRUE(dir.exists("ro/trip/a.jpg"));
  EXPECT_FALSE(dir.exists("ro/x_trip"));
  EXPECT_EQ(logText(dir), "ERROR\tro/trip\tro/x_trip\tcan not rename directory\r\n");
}

}  // namespace
