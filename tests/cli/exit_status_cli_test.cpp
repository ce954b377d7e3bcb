// Whole-program tests of the exit status: 0 when every item was done or
// needed nothing, 1 for a fatal error, 2 when the run went to its end but
// an item failed. Each failure that a run can meet is provoked for real.
#include <unistd.h>

#include <ctime>

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <functional>

#include "cli/harness.h"
#include "support/image_builder.h"

using namespace testing_support;
namespace fs = std::filesystem;

namespace {

bool contains(const std::string& text, const std::string& part) { return text.find(part) != std::string::npos; }

struct Case {
  const char* name;
  // Prepares the folder and returns the arguments.
  std::function<std::vector<std::string>(const TempDir&)> setUp;
  int exitCode;
  // A line part that shows the run met what the case is about.
  const char* expectedOutput;
};

// Runs as root: no permission bit is needed to provoke these.
TEST(ExitStatusCli, EachOutcomeGivesItsStatus) {
  const Case cases[] = {
      {"done", [](const TempDir& d) { d.write("a.jpg"); return std::vector<std::string>{"-pre=x_", "a.jpg"}; }, 0,
       "a.jpg -> x_a.jpg"},
      {"nothing needed", [](const TempDir& d) { d.write("a.jpg"); return std::vector<std::string>{"-l", "a.jpg"}; },
       0, ""},
      {"nothing matched", [](const TempDir&) { return std::vector<std::string>{"*.jpg"}; }, 0, ""},
      {"test mode shows a clash the real run would fail on",
       [](const TempDir& d) {
         d.write("a.jpg");
         d.write("x_a.jpg");
         return std::vector<std::string>{"-t", "-pre=x_", "a.jpg"};
       },
       2, "a.jpg -> x_a.jpg (test)"},
      {"test mode shows a clash that -ded settles",
       [](const TempDir& d) {
         d.write("a.jpg");
         d.write("x_a.jpg");
         return std::vector<std::string>{"-t", "-ded", "-pre=x_", "a.jpg"};
       },
       0, "a.jpg -> x_a.jpg (test)"},
      {"overwrite warning",
       [](const TempDir& d) {
         d.write("a.jpg");
         d.write("x_a.jpg");
         return std::vector<std::string>{"-ded", "-pre=x_", "a.jpg"};
       },
       0, "WARNING destination exists - overwrite x_a.jpg !"},
      {"delete-source warning",
       [](const TempDir& d) {
         d.write("a.jpg");
         d.write("x_a.jpg");
         return std::vector<std::string>{"-des", "-pre=x_", "a.jpg"};
       },
       0, "WARNING destination exists - delete a.jpg !"},
      {"no EXIF date warning",
       [](const TempDir& d) { d.write("a.jpg", "no photo"); return std::vector<std::string>{"-dt=E", "-dp", "a.jpg"}; },
       0, "Warning: no Exif date found, using filedate. (a.jpg)"},
      {"library copy exists",
       [](const TempDir& d) {
         d.write("cam/tune.mp3", "music");
         setLocalMtime(d / "cam/tune.mp3", 2020, 5, 1, 12, 0, 0);
         d.write("lib/Music/2020/tune.mp3", "music");
         return std::vector<std::string>{"-cd=" + (d / "cam").string(), "-cm=" + (d / "lib").string()};
       },
       0, "File exists (skipping): "},
      {"names that look like failures",
       [](const TempDir& d) {
         d.write("ERROR 1.jpg");
         d.write("Error: 2.jpg");
         d.write("ERROR! 3.jpg");
         return std::vector<std::string>{"-dp", "-df=yyyy", "-st=2020-01-01 10:00", "*.jpg"};
       },
       0, "ERROR 1.jpg LastWriteDateTime adjusted: "},
      {"unsettled clash",
       [](const TempDir& d) {
         d.write("a.jpg");
         d.write("x_a.jpg");
         d.write("b.jpg");
         return std::vector<std::string>{"-pre=x_", "a.jpg,b.jpg"};
       },
       2, "ERROR Can't rename file a.jpg -> x_a.jpg !"},
      {"folder clash",
       [](const TempDir& d) {
         d.mkdir("a");
         d.mkdir("x_a");
         return std::vector<std::string>{"-dir", "-pre=x_", "a"};
       },
       2, "ERROR Can't rename directory a -> x_a !"},
      {"failed rename",
       [](const TempDir& d) { d.write("a.jpg"); return std::vector<std::string>{"-pre=missing/", "a.jpg"}; }, 2,
       "ERROR Can't rename file a.jpg -> missing/a.jpg !"},
      {"library folder that cannot be made",
       [](const TempDir& d) {
         d.write("cam/tune.mp3", "music");
         d.write("blocker", "a file where a folder should be");
         return std::vector<std::string>{"-cd=" + (d / "cam").string(), "-cm=" + (d / "blocker/lib").string()};
       },
       2, "tune.mp3 Error make directory: "},
      {"item gone before its turn",
       [](const TempDir& d) { d.write("a.jpg"); return std::vector<std::string>{"-pre=x_", "a.jpg,*.jpg"}; }, 2,
       "Error: Can not find file (char-set?) (a.jpg / a.jpg)"},
      {"folder date without files",
       [](const TempDir& d) { d.mkdir("empty"); return std::vector<std::string>{"-fdff", "empty"}; }, 2,
       "empty Error: no files in folder date found?"},
      {"unwritable log",
       [](const TempDir& d) {
         d.write("a.jpg");
         // The log is named after the start minute: block this one and the next.
         const time_t now = ::time(nullptr);
         d.mkdir(logNameAt(now));
         d.mkdir(logNameAt(now + 60));
         return std::vector<std::string>{"-log", "-pre=x_", "a.jpg"};
       },
       2, "Error! _zantrel_"},
      {"bad folder", [](const TempDir& d) { return std::vector<std::string>{"-cd=" + (d / "none").string(), "*"}; },
       1, "Error - Path not found:"},
      {"bad time shift", [](const TempDir&) { return std::vector<std::string>{"-ts=24:00", "*"}; }, 1, ""},
  };
  for (const Case& c : cases) {
    TempDir dir;
    const std::vector<std::string> args = c.setUp(dir);
    const RunResult r = runZantrel(args, dir.path());
    EXPECT_EQ(r.exitCode, c.exitCode) << c.name << "\n" << r.out << r.err;
    EXPECT_TRUE(contains(r.out, c.expectedOutput)) << c.name << "\n" << r.out;
  }
}

// A failure does not stop the run: the items after it are still done.
TEST(ExitStatusCli, TheRunGoesOnAfterAFailure) {
  TempDir dir;
  dir.write("a.jpg");
  dir.write("x_a.jpg");
  dir.write("b.jpg");
  const RunResult r = runZantrel({"-pre=x_", "a.jpg,b.jpg"}, dir.path());
  EXPECT_EQ(r.exitCode, 2);
  EXPECT_TRUE(dir.exists("x_b.jpg"));
  EXPECT_TRUE(dir.exists("a.jpg"));
}

// A failure in any pass of a multi-pass run counts at the end.
TEST(ExitStatusCli, AFailureInAnEarlyPassCounts) {
  TempDir dir;
  dir.mkdir("a");
  dir.write("x_a", "a file where the folder wants to go");
  dir.write("b.jpg");
  const RunResult r = runZantrel({"-daf", "-pre=x_", "*.jpg"}, dir.path());
  EXPECT_EQ(r.exitCode, 2) << r.out;
  EXPECT_TRUE(contains(r.out, "ERROR Can't rename directory a -> x_a !")) << r.out;
  EXPECT_TRUE(dir.exists("x_b.jpg"));
}

constexpr uid_t Nobody = 65534;

fs::path nobodysFolder(const TempDir& dir, const std::string& name) {
  const fs::path p = dir.mkdir(name);
  if (::chown(p.c_str(), Nobody, Nobody) != 0) ADD_FAILURE() << "chown " << p;
  return p;
}

TEST(ExitStatusCli, FailuresThatPermissionsCause) {
  if (::geteuid() != 0 || !setprivAvailable()) GTEST_SKIP() << "needs root and setpriv";
  const Case cases[] = {
      {"rename in a folder the user may not change",
       [](const TempDir& d) { d.write("a.jpg"); return std::vector<std::string>{"-pre=x_", "a.jpg"}; }, 2,
       "ERROR Can't rename file a.jpg -> x_a.jpg !"},
      {"copy of a file the user may not read",
       [](const TempDir& d) {
         nobodysFolder(d, "out");
         fs::permissions(d.write("secret.jpg"), fs::perms::owner_read | fs::perms::owner_write);
         return std::vector<std::string>{"-copy", "-cd=" + (d / "out").string(), "../secret.jpg"};
       },
       2, "ERROR! Failed to copy: "},
      {"delete the user may not do",
       [](const TempDir& d) {
         d.write("a.jpg");
         d.write("x_a.jpg");
         return std::vector<std::string>{"-des", "-pre=x_", "a.jpg"};
       },
       2, "ERROR! Failed to delete: a.jpg"},
      {"time stamps of another user's file",
       [](const TempDir& d) { d.write("a.jpg"); return std::vector<std::string>{"-st=2020-01-01 10:00", "a.jpg"}; },
       2, "ERROR! Failed to set time: a.jpg"},
      {"log in a folder the user may not write",
       [](const TempDir& d) {
         const fs::path sub = nobodysFolder(d, "sub");
         d.write("sub/a.jpg");
         if (::chown((sub / "a.jpg").c_str(), Nobody, Nobody) != 0) ADD_FAILURE() << "chown";
         return std::vector<std::string>{"-log", "-sub", "-pre=x_", "*.jpg"};
       },
       2, "Error! _zantrel_"},
      {"what the user may do",
       [](const TempDir& d) {
         nobodysFolder(d, "sub");
         d.write("sub/a.jpg");
         return std::vector<std::string>{"-cd=" + (d / "sub").string(), "-pre=x_", "a.jpg"};
       },
       0, "a.jpg -> x_a.jpg"},
  };
  for (const Case& c : cases) {
    TempDir dir;
    const std::vector<std::string> args = c.setUp(dir);
    const RunResult r = runAsNobody(dir, args, NobodyFolder::ReadOnly);
    EXPECT_EQ(r.exitCode, c.exitCode) << c.name << "\n" << r.out << r.err;
    EXPECT_TRUE(contains(r.out, c.expectedOutput)) << c.name << "\n" << r.out;
  }
}

// The log failure costs the log, not the rename.
TEST(ExitStatusCli, AnUnwritableLogLeavesTheRenameDone) {
  if (::geteuid() != 0 || !setprivAvailable()) GTEST_SKIP() << "needs root and setpriv";
  TempDir dir;
  nobodysFolder(dir, "sub");
  dir.write("sub/a.jpg");
  const RunResult r = runAsNobody(dir, {"-log", "-sub", "-pre=x_", "*.jpg"}, NobodyFolder::ReadOnly);
  EXPECT_EQ(r.exitCode, 2);
  EXPECT_TRUE(dir.exists("sub/x_a.jpg")) << r.out;
}

}  // namespace
