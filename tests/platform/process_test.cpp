// The stop signals: the first one is only noted, so that the item in hand
// can be finished; a second one ends the process at once; one that the
// starter had the process ignore (nohup) stays ignored. Each case in a
// child process, since signals act process-wide.
#include "platform/process.h"

#include <gtest/gtest.h>
#include <sys/wait.h>
#include <unistd.h>

#include <csignal>
#include <vector>

namespace {

TEST(StopSignals, ASecondOneEndsTheProcess) {
  const struct {
    const char* name;
    int ignoredBefore;  // 0: none
    std::vector<int> raised;
    int killedBy;  // 0: the process lives on
  } cases[] = {
      {"one signal is only noted", 0, {SIGINT}, 0},
      {"a second of the same kind ends it", 0, {SIGINT, SIGINT}, SIGINT},
      {"a second of another kind ends it", 0, {SIGTERM, SIGHUP}, SIGHUP},
      {"an ignored signal stays ignored", SIGHUP, {SIGINT, SIGHUP}, 0},
      {"an ignored one does not count as the first", SIGHUP, {SIGHUP, SIGTERM}, 0},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    const pid_t pid = ::fork();
    if (pid == 0) {
      if (c.ignoredBefore != 0) std::signal(c.ignoredBefore, SIG_IGN);
      platform::prepareProcess();
      for (const int sig : c.raised) std::raise(sig);
      const int first = c.raised.front() == c.ignoredBefore ? c.raised.back() : c.raised.front();
      ::_exit(platform::stopSignal() == first ? 0 : 1);
    }
    int status = 0;
    ::waitpid(pid, &status, 0);
    if (c.killedBy != 0) {
      ASSERT_TRUE(WIFSIGNALED(status)) << "the process lived on";
      EXPECT_EQ(WTERMSIG(status), c.killedBy);
    } else {
      ASSERT_TRUE(WIFEXITED(status)) << "a signal ended the process";
      EXPECT_EQ(WEXITSTATUS(status), 0);
    }
  }
}

}  // namespace
