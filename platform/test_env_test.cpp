// The runner that tests and benchmarks start programs with.
#include <gtest/gtest.h>
#include <signal.h>
#include <sys/resource.h>

#include <fstream>
#include <sstream>
#include <string>

#include "platform/test_env.h"

namespace {

TEST(RunProgram, StreamsEnvironmentFolderAndStatus) {
  testenv::ScratchDir dir("zel-run");
  testenv::SetEnv("ZEL_RUN_KEPT", "kept");
  testenv::SetEnv("ZEL_RUN_GONE", "gone");
  struct Case {
    testenv::Program program;
    int status;
    std::string out, err;
  } cases[] = {
      // Inherited, replaced, added and removed variables; input text.
      {{.argv = {"sh", "-c", "echo $ZEL_RUN_KEPT-$ZEL_RUN_GONE-$ZEL_RUN_NEW; cat; echo oops >&2; exit 3"},
        .env = {"ZEL_RUN_NEW=a=b", "ZEL_RUN_GONE", "ZEL_RUN_NEW=new"},
        .input = "fed\n"},
       3,
       "kept--new\nfed\n",
       "oops\n"},
      // An empty environment; no input; the working folder.
      {{.argv = {"/bin/sh", "-c", "echo \"[$ZEL_RUN_KEPT]\"; cat; pwd"},
        .clean_env = true,
        .folder = dir.path()},
       0,
       "[]\n" + dir.path() + "\n",
       ""},
      // Standard error where standard output goes, in order.
      {{.argv = {"sh", "-c", "echo 1; echo 2 >&2; echo 3"}, .merge_error = true}, 0, "1\n2\n3\n", ""},
      // Killed by a signal; a program or folder that is not there.
      {{.argv = {"sh", "-c", "kill -TERM $$"}}, 128 + SIGTERM, "", ""},
      {{.argv = {"zel-no-such-program"}}, 127, "", "cannot start zel-no-such-program\n"},
      {{.argv = {"true"}, .folder = dir.Host("missing")},
       127,
       "",
       "cannot start true in " + dir.Host("missing") + "\n"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.program.argv.back());
    testenv::ProgramResult r = testenv::RunProgram(c.program);
    EXPECT_EQ(r.status, c.status);
    EXPECT_EQ(r.signal, c.status > 128 ? c.status - 128 : 0);
    EXPECT_EQ(r.out, c.out);
    EXPECT_EQ(r.err, c.err);
    EXPECT_FALSE(r.timed_out);
  }
  testenv::UnsetEnv("ZEL_RUN_KEPT");
  testenv::UnsetEnv("ZEL_RUN_GONE");
}

TEST(RunProgram, FilesLimitsAndKills) {
  testenv::ScratchDir dir("zel-run");
  // Output into files; a write beyond the size limit fails, the program
  // goes on.
  testenv::ProgramResult r =
      testenv::RunProgram({.argv = {"sh", "-c", "head -c 3000 /dev/zero; echo after >&2"},
                           .output_file = dir.Host("out"),
                           .error_file = dir.Host("err"),
                           .limits = {{RLIMIT_FSIZE, 1000}}});
  EXPECT_NE(r.status, 128 + SIGXFSZ);
  EXPECT_EQ(r.out + r.err, "");
  std::ifstream out(dir.Host("out")), err(dir.Host("err"));
  std::stringstream o, e;
  o << out.rdbuf();
  e << err.rdbuf();
  EXPECT_EQ(o.str().size(), 1000u);
  EXPECT_NE(e.str().find("File too large\nafter\n"), std::string::npos) << e.str();

  // A time-out kills what the program started too, which would otherwise
  // hold its output open.
  r = testenv::RunProgram({.argv = {"sh", "-c", "sleep 30 & echo started; wait"}, .timeout = 0.3});
  EXPECT_TRUE(r.timed_out);
  EXPECT_EQ(r.status, 128 + SIGKILL);
  EXPECT_EQ(r.out, "started\n");
  EXPECT_LT(r.seconds, 10);

  // stop_when is asked while the program runs.
  int asked = 0;
  r = testenv::RunProgram({.argv = {"sleep", "30"}, .stop_when = [&] { return ++asked == 3; }});
  EXPECT_EQ(asked, 3);
  EXPECT_EQ(r.signal, SIGKILL);
  EXPECT_FALSE(r.timed_out);
}

TEST(RunProgram, ProgramsRunTogether) {
  // Each waits for the other's file: they end only when they run at once.
  testenv::ScratchDir dir("zel-run");
  auto waiter = [&](const char* mine, const char* other) {
    return testenv::Program{.argv = {"sh", "-c",
                                     std::string("touch ") + mine + "; until [ -e " + other +
                                         " ]; do sleep 0.01; done; echo " + mine},
                            .folder = dir.path(),
                            .timeout = 20};
  };
  std::vector<testenv::ProgramResult> r = testenv::RunPrograms({waiter("a", "b"), waiter("b", "a")});
  ASSERT_EQ(r.size(), 2u);
  EXPECT_EQ(r[0].out, "a\n");
  EXPECT_EQ(r[1].out, "b\n");
  EXPECT_FALSE(r[0].timed_out || r[1].timed_out);
}

}  // namespace
