// Whole-program tests with what else a folder may hold: FIFOs, sockets,
// devices and symbolic links of every kind, under every step that lists,
// reads, renames or re-dates; and other processes deleting and creating
// files while a run works.
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/sysmacros.h>
#include <sys/un.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <atomic>
#include <cstring>
#include <filesystem>
#include <set>
#include <thread>

#include "cli/harness.h"
#include "support/exif_builder.h"

using namespace testing_support;
namespace fs = std::filesystem;

namespace {

using Names = std::vector<std::string>;

void makeSocket(const fs::path& at) {
  const int fd = ::socket(AF_UNIX, SOCK_STREAM, 0);
  ASSERT_GE(fd, 0);
  sockaddr_un address{};
  address.sun_family = AF_UNIX;
  ASSERT_LT(at.string().size(), sizeof address.sun_path);
  std::strcpy(address.sun_path, at.c_str());
  ASSERT_EQ(::bind(fd, reinterpret_cast<sockaddr*>(&address), sizeof address), 0);
  ::close(fd);  // the socket file stays
}

// Everything but plain files and folders that a folder may hold, plus a few
// of those, in work/; and a photo outside, reached by a link.
struct Zoo {
  TempDir dir;
  fs::path work;
  fs::path outside;
  bool withDevice = ::geteuid() == 0;

  Zoo() {
    work = dir.mkdir("work");
    outside = dir.write("outside/photo.jpg", "outside photo");
    setLocalMtime(outside, 2001, 2, 3, 4, 5, 6);
    fs::permissions(outside, fs::perms::owner_read | fs::perms::group_read | fs::perms::others_read);
    CameraShot shot;
    shot.dateTimeOriginal = "2013:04:12 15:30:44";
    dir.write("work/a.jpg", "a");
    dir.write("work/IMG_1.JPG", cameraJpeg(shot));
    dir.write("work/noext", cameraJpeg(shot));
    dir.write("work/sub/c.jpg", "c");
    EXPECT_EQ(::mkfifo((work / "fifo.jpg").c_str(), 0666), 0);
    EXPECT_EQ(::mkfifo((work / "fifo").c_str(), 0666), 0);
    EXPECT_EQ(::mkfifo((work / "sub/fifo.jpg").c_str(), 0666), 0);
    makeSocket(work / "sock.jpg");
    if (withDevice) {
      EXPECT_EQ(::mknod((work / "dev.jpg").c_str(), S_IFCHR | 0666, ::makedev(1, 3)), 0);
    }
    fs::create_symlink("missing.jpg", work / "dangling.jpg");
    fs::create_symlink("a.jpg", work / "lnk.jpg");
    fs::create_symlink("../outside/photo.jpg", work / "out.jpg");
    fs::create_symlink("loop2.jpg", work / "loop1.jpg");
    fs::create_symlink("loop1.jpg", work / "loop2.jpg");
    fs::create_symlink("self.jpg", work / "self.jpg");
    fs::create_symlink("sub", work / "linkdir");
    fs::create_symlink("..", work / "sub/back");
    fs::create_symlink("../outside", work / "outdir");
  }

  // What must hold after any run: the special objects and the links that
  // lead nowhere are where they were, as they were; what lies outside is
  // untouched; every plain file is there exactly once.
  void expectIntact() const {
    auto kind = [&](const char* name) { return fs::symlink_status(work / name).type(); };
    EXPECT_EQ(kind("fifo.jpg"), fs::file_type::fifo);
    EXPECT_EQ(kind("fifo"), fs::file_type::fifo);
    EXPECT_EQ(kind("sub/fifo.jpg"), fs::file_type::fifo);
    EXPECT_EQ(kind("sock.jpg"), fs::file_type::socket);
    if (withDevice) {
      EXPECT_EQ(kind("dev.jpg"), fs::file_type::character);
    }
    for (const auto& [name, target] : {std::pair{"dangling.jpg", "missing.jpg"}, {"loop1.jpg", "loop2.jpg"},
                                       {"loop2.jpg", "loop1.jpg"}, {"self.jpg", "self.jpg"},
                                       {"sub/back", ".."}}) {
      EXPECT_EQ(fs::read_symlink(work / name).string(), target) << name;
    }
    EXPECT_EQ(dir.read("outside/photo.jpg"), "outside photo");
    EXPECT_EQ(localMtimeText(outside), "2001-02-03 04:05:06");
    EXPECT_EQ(fs::status(outside).permissions() & fs::perms::all,
              fs::perms::owner_read | fs::perms::group_read | fs::perms::others_read);
    EXPECT_EQ(dir.list("outside"), Names{"photo.jpg"});
    // The plain files, each once, as regular files, wherever they are now.
    std::multiset<std::string> contents;
    for (const auto& entry : fs::recursive_directory_iterator(work)) {
      if (entry.is_symlink() || !entry.is_regular_file()) continue;
      if (entry.path().filename().string().rfind("_zantrel_", 0) == 0) continue;
      contents.insert(dir.read(fs::relative(entry.path(), dir.path()).string()).substr(0, 1));
    }
    EXPECT_EQ(contents.count("a"), 1u);
    EXPECT_EQ(contents.count("c"), 1u);
    EXPECT_EQ(contents.size(), 4u);  // a, c, and the two photos
  }
};

struct Mode {
  const char* what;
  Names args;
};

TEST(SpecialFilesCli, EveryStepLeavesWhatIsNoPlainFileAlone) {
  const Mode modes[] = {
      {"plain", {"-log", "-pre=x_", "*"}},
      {"-sub", {"-log", "-sub", "-pre=x_", "*"}},
      {"-i", {"-log", "-i", "*"}},
      {"-i -sub", {"-log", "-i", "-sub", "*"}},
      {"-de", {"-log", "-de", "-l", "*"}},
      {"-st", {"-log", "-st=2020-01-01 12:00", "*"}},
      {"-ss", {"-log", "-ss", "*"}},
      {"-magic", {"-log", "-magic", "-sub", "*"}},
      {"-des", {"-log", "-l", "-des", "*"}},
      {"-ded", {"-log", "-l", "-ded", "*"}},
      {"-fdff", {"-log", "-fdff", "*"}},
      {"-daf -sub", {"-log", "-daf", "-sub", "-l", "*"}},
  };
  for (const Mode& mode : modes) {
    SCOPED_TRACE(mode.what);
    Zoo zoo;
    RunResult r = runZantrelVia("timeout 60", mode.args, zoo.work);
    ASSERT_NE(r.exitCode, 124) << "the run hung";
    EXPECT_TRUE(r.exitCode == 0 || r.exitCode == 2) << r.exitCode << "\n" << r.err;
    // Never listed, so never named in a line.
    for (const char* name : {"fifo", "sock", "dev.jpg", "dangling", "loop", "self", "back/"}) {
      EXPECT_EQ(r.out.find(name), std::string::npos) << name << " in\n" << r.out;
    }
    zoo.expectIntact();
    for (const auto& entry : fs::directory_iterator(zoo.work)) {
      if (entry.path().filename().string().rfind("_zantrel_", 0) != 0) continue;
      const std::string log = zoo.dir.read("work/" + entry.path().filename().string());
      EXPECT_TRUE(log.size() >= 2 && log.substr(log.size() - 2) == "\r\n") << log;
    }
  }
}

// The link to the photo outside is renamed and re-dated as a link.
TEST(SpecialFilesCli, ALinkIsRenamedAndItsTargetKeepsItsName) {
  Zoo zoo;
  RunResult r = runZantrel({"-pre=x_", "out.jpg,lnk.jpg"}, zoo.work);
  EXPECT_EQ(sortedLines(r.out), (Names{"lnk.jpg -> x_lnk.jpg", "out.jpg -> x_out.jpg"}));
  EXPECT_EQ(fs::read_symlink(zoo.work / "x_out.jpg").string(), "../outside/photo.jpg");
  EXPECT_EQ(fs::read_symlink(zoo.work / "x_lnk.jpg").string(), "a.jpg");
  zoo.expectIntact();
}

// Other processes delete every other file and add new ones while a run
// renames 5,000: nothing crashes, and every file is accounted for.
TEST(SpecialFilesCli, FilesDeletedAndCreatedDuringARun) {
  TempDir dir;
  constexpr int Files = 5000;
  auto name = [](int i) {
    char buf[32];
    std::snprintf(buf, sizeof buf, "f%05d.jpg", i);
    return std::string(buf);
  };
  for (int i = 0; i < Files; ++i) dir.write(name(i), name(i));

  std::atomic<bool> started{false};
  std::thread deleter([&] {
    started = true;
    for (int i = 0; i < Files; i += 2) ::unlink((dir / name(i)).c_str());
  });
  std::thread creator([&] {
    while (!started) std::this_thread::yield();
    for (int i = 0; i < 500; ++i) dir.write("new" + std::to_string(i) + ".jpg", "new");
  });
  RunResult r = runZantrel({"-log", "-pre=x_", "*.jpg"}, dir.path());
  deleter.join();
  creator.join();
  EXPECT_TRUE(r.exitCode == 0 || r.exitCode == 2) << r.exitCode << "\n" << r.err;

  std::set<std::string> renamed;
  for (const std::string& line : lines(r.out)) {
    const size_t arrow = line.find(" -> ");
    if (line.rfind("Error: Can not find file (char-set?) (f", 0) == 0 ||
        line.rfind("ERROR Can't rename file f", 0) == 0) {
      continue;  // deleted under the run's hands
    }
    ASSERT_NE(arrow, std::string::npos) << line;
    renamed.insert(line.substr(0, arrow));
    EXPECT_TRUE(dir.exists(line.substr(arrow + 4))) << line;
  }
  for (int i = 0; i < Files; ++i) {
    const bool kept = i % 2 == 1;
    EXPECT_FALSE(dir.exists(name(i)) && dir.exists("x_" + name(i))) << name(i);
    if (kept) {
      EXPECT_TRUE(renamed.count(name(i))) << name(i);
      EXPECT_EQ(dir.read("x_" + name(i)), name(i));
    } else {
      EXPECT_FALSE(dir.exists(name(i))) << name(i);
      EXPECT_EQ(renamed.count(name(i)) == 1, dir.exists("x_" + name(i))) << name(i);
    }
  }
  for (int i = 0; i < 500; ++i) {
    const std::string n = "new" + std::to_string(i) + ".jpg";
    EXPECT_NE(dir.exists(n), dir.exists("x_" + n)) << n << ": exactly one of the two";
  }
  for (const std::string& rec : logRecords(dir)) {
    if (rec.rfind("ERROR\tf", 0) == 0) continue;  // a file deleted under the run's hands
    ASSERT_EQ(rec.rfind("rename\t", 0), 0u) << rec;
    const size_t newStart = rec.find("\tx_") + 1;
    EXPECT_TRUE(dir.exists(rec.substr(newStart, rec.rfind('\t') - newStart))) << rec;
  }
}

}  // namespace
