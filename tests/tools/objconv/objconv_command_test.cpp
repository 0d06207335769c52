// objconv run as a user runs it: what happens to the files named on its
// command line when a conversion fails, or when they are not files at all.
#include <dirent.h>
#include <gtest/gtest.h>
#include <stdlib.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <fstream>
#include <string>
#include <vector>

#include "child_process.h"
#include "test_env.h"

namespace {

using testenv::ReadFile;

const char* kTriangle = "mtllib t.mtl\nusemtl red\nv 0 0 0\nv 1 0 0\nv 0 1 0\nf 1 2 3\n";

class ObjConvCommand : public ::testing::Test {
 protected:
  void SetUp() override {
    char tmpl[] = "/tmp/rt_objconv_XXXXXX";
    ASSERT_NE(mkdtemp(tmpl), nullptr);
    dir_ = tmpl;
    std::ofstream(Path("t.obj")) << kTriangle;
    std::ofstream(Path("t.mtl")) << "newmtl red\nKd 1 0 0\n";
    std::ofstream(Path("bad.obj")) << "v 0 0 0\nf 1 2 3\n";
  }
  void TearDown() override { EXPECT_EQ(std::system(("rm -rf '" + dir_ + "'").c_str()), 0); }

  std::string Path(const std::string& name) const { return dir_ + "/" + name; }

  // Runs objconv; its error output is in Errors().
  int Run(std::vector<std::string> args) {
    args.insert(args.begin(), OBJCONV_EXE);
    return testchild::Wait(testchild::Spawn(args, Path("stdout.txt"), Path("stderr.txt")), 30);
  }
  std::string Errors() const { return ReadFile(Path("stderr.txt")); }

  // Only the files the test made and objconv's results: no temporary file
  // left beside an output.
  std::vector<std::string> Listing() const {
    std::vector<std::string> names;
    DIR* d = opendir(dir_.c_str());
    while (const dirent* e = d ? readdir(d) : nullptr) {
      if (e->d_name[0] != '.') names.push_back(e->d_name);
    }
    if (d) closedir(d);
    std::sort(names.begin(), names.end());
    return names;
  }

  std::string dir_;
};

TEST_F(ObjConvCommand, AFailedConversionLeavesTheOldOutputAlone) {
  std::ofstream(Path("out.dda")) << "a good model";
  chmod(Path("out.dda").c_str(), 0640);
  EXPECT_EQ(Run({"-o", Path("out.dda"), Path("bad.obj")}), 1);
  EXPECT_EQ(ReadFile(Path("out.dda")), "a good model");
  EXPECT_EQ(Listing(), (std::vector<std::string>{"bad.obj", "out.dda", "stderr.txt", "stdout.txt",
                                                 "t.mtl", "t.obj"}));

  // A successful one replaces it, keeping its permissions.
  ASSERT_EQ(Run({"-o", Path("out.dda"), Path("t.obj")}), 0) << Errors();
  EXPECT_NE(ReadFile(Path("out.dda")), "a good model");
  struct stat st;
  ASSERT_EQ(stat(Path("out.dda").c_str(), &st), 0);
  EXPECT_EQ(st.st_mode & 0777, 0640u);
  EXPECT_EQ(Listing().size(), 6u);
}

TEST_F(ObjConvCommand, RefusesToWriteOverItsOwnInputs) {
  const std::string model = ReadFile(Path("t.obj"));
  const std::string library = ReadFile(Path("t.mtl"));
  // The model itself, under its own name and under another (a link).
  ASSERT_EQ(link(Path("t.obj").c_str(), Path("alias.obj").c_str()), 0);
  for (const std::string& output : {Path("t.obj"), Path("alias.obj"), Path("t.mtl")}) {
    EXPECT_EQ(Run({"-o", output, Path("t.obj")}), 1) << output;
    EXPECT_NE(Errors().find("own inputs"), std::string::npos) << Errors();
  }
  EXPECT_EQ(ReadFile(Path("t.obj")), model);
  EXPECT_EQ(ReadFile(Path("t.mtl")), library);
}

TEST_F(ObjConvCommand, PipesAndDevicesAreRefusedAtOnce) {
  ASSERT_EQ(mkfifo(Path("pipe.obj").c_str(), 0600), 0);
  const auto start = std::chrono::steady_clock::now();
  EXPECT_EQ(Run({Path("pipe.obj")}), 1);
  EXPECT_NE(Errors().find("named pipe"), std::string::npos) << Errors();
  EXPECT_EQ(Run({"-o", Path("zero.dda"), "/dev/zero"}), 1);
  EXPECT_NE(Errors().find("device"), std::string::npos) << Errors();

  // A material library that is a pipe nobody writes: the model converts
  // with white materials and a warning that says why.
  ASSERT_EQ(unlink(Path("t.mtl").c_str()), 0);
  ASSERT_EQ(mkfifo(Path("t.mtl").c_str(), 0600), 0);
  EXPECT_EQ(Run({"-o", Path("out.dda"), Path("t.obj")}), 0) << Errors();
  EXPECT_NE(Errors().find("named pipe"), std::string::npos) << Errors();
  EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(20));
}

}  // namespace
