// Calls by name: libraries loaded once per name, and the program's own
// function table.
#include <gtest/gtest.h>

#include <sys/stat.h>
#include <unistd.h>

#include <string>

#include "runtime/core/conversion.h"
#include "runtime/host/functions_by_name.h"
#include "runtime/host/host_state.h"
#include "test_env.h"

namespace {

const std::string kLibraryDir = HOST_TEST_LIBRARY_DIR;

using IntFunction = int (*)();

TEST(DeclareFunction, TwoFunctionsOfOneLibraryLoadItOnce) {
  const size_t loadedBefore = Host().modules.size();
  // No suffix: the library's file is libhosttestlib.so.
  RtString module = (kLibraryDir + "/hosttestlib").c_str();
  void* answer = nullptr;
  DeclareFunction(module, "HostTestAnswer", answer);
  ASSERT_NE(answer, nullptr);
  EXPECT_EQ(std::string(module.c_str()), std::string(LowerCase(module).c_str()));
  EXPECT_EQ(reinterpret_cast<IntFunction>(answer)(), 42);
  EXPECT_EQ(Host().modules.size(), loadedBefore + 1);

  // Any spelling of the same name finds the cached library.
  RtString again = UpperCase((kLibraryDir + "/hosttestlib").c_str());
  void* other = nullptr;
  DeclareFunction(again, "HostTestOther", other);
  ASSERT_NE(other, nullptr);
  EXPECT_EQ(reinterpret_cast<IntFunction>(other)(), 7);
  EXPECT_EQ(Host().modules.size(), loadedBefore + 1);

  void* missing = &other;
  DeclareFunction(module, "NoSuchFunction", missing);
  EXPECT_EQ(missing, nullptr);
}

TEST(DeclareFunction, TheCallersSpellingIsTriedFirst) {
  // File names are case-sensitive: only the given spelling exists.
  const std::string dir = testenv::PrivateTempDir() + "/Libs";
  mkdir(dir.c_str(), 0700);
  const std::string link = dir + "/libMixedCase.so";
  unlink(link.c_str());
  ASSERT_EQ(symlink((kLibraryDir + "/libhosttestlib.so").c_str(), link.c_str()), 0);
  RtString module = link.c_str();
  void* answer = nullptr;
  DeclareFunction(module, "HostTestAnswer", answer);
  ASSERT_NE(answer, nullptr);
  EXPECT_EQ(reinterpret_cast<IntFunction>(answer)(), 42);
}

TEST(DeclareFunction, AMissingLibraryGivesNullAndIsNotCached) {
  const size_t loadedBefore = Host().modules.size();
  RtString module("no-such-library-4711");
  void* out = &module;
  testing::internal::CaptureStderr();
  DeclareFunction(module, "Anything", out);
  EXPECT_EQ(testing::internal::GetCapturedStderr(), "");
  EXPECT_EQ(out, nullptr);
  RtString empty("");
  DeclareFunction(empty, "malloc", out);
  EXPECT_EQ(out, nullptr);
  EXPECT_EQ(Host().modules.size(), loadedBefore);
}

int g_calls = 0;
void Bump() {
  ++g_calls;
}

TEST(CallByName, CallsRegisteredFunctionsByExactName) {
  static const CallableEntry table[] = {{Bump, "Bump"}, {nullptr, "Hollow"}, {nullptr, nullptr}};
  SetCallableFunctionTable(table);
  g_calls = 0;
  EXPECT_EQ(CallByName("Bump"), 1);
  EXPECT_EQ(g_calls, 1);
  EXPECT_EQ(FindFunctionByName("Bump"), &Bump);

  testing::internal::CaptureStderr();
  EXPECT_EQ(CallByName("bump"), 0);
  EXPECT_EQ(CallByName("Hollow"), 0);
  EXPECT_EQ(CallByName("Missing"), 0);
  EXPECT_EQ(testing::internal::GetCapturedStderr(), "");
  EXPECT_EQ(g_calls, 1);
  EXPECT_EQ(FindFunctionByName("Missing"), nullptr);

  SetCallableFunctionTable(nullptr);
  EXPECT_EQ(CallByName("Bump"), 0);
  EXPECT_EQ(FindFunctionByName("Bump"), nullptr);
}

}  // namespace
