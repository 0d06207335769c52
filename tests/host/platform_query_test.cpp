// Platform facts: key folding, the fixed answers, GL names against a real
// context and a machine identity that holds across processes.
#include <GL/gl.h>
#include <gtest/gtest.h>

#include <cstdio>
#include <ctime>
#include <regex>
#include <string>

#include "host_screen.h"
#include "runtime/host/platform_query.h"

namespace {

std::string Query(const char* key) {
  RtString k(key);
  return QueryPlatform(k).c_str();
}

std::string LocalTimeNow() {
  const std::time_t now = std::time(nullptr);
  std::tm local{};
  localtime_r(&now, &local);
  char text[32];
  std::strftime(text, sizeof text, "%Y-%m-%d %H:%M:%S", &local);
  return text;
}

std::string OutputOf(const std::string& command) {
  std::string out;
  if (std::FILE* pipe = popen(command.c_str(), "r")) {
    char buf[256];
    size_t n;
    while ((n = std::fread(buf, 1, sizeof buf, pipe)) > 0) out.append(buf, n);
    pclose(pipe);
  }
  return out;
}

TEST(PlatformQuery, KeyIsUpperCasedInTheCallersVariable) {
  const std::string before = LocalTimeNow();
  RtString key("time");
  const std::string answer = QueryPlatform(key).c_str();
  const std::string after = LocalTimeNow();
  EXPECT_STREQ(key.c_str(), "TIME");
  EXPECT_TRUE(answer == before || answer == after) << answer;
  EXPECT_TRUE(std::regex_match(answer, std::regex(R"(\d{4}-\d\d-\d\d \d\d:\d\d:\d\d)"))) << answer;

  RtString device("Device");
  EXPECT_STREQ(QueryPlatform(device).c_str(), "DESKTOP");
  EXPECT_STREQ(device.c_str(), "DEVICE");

  RtString unknown("what-ever9");
  EXPECT_STREQ(QueryPlatform(unknown).c_str(), "NO_DATA");
  EXPECT_STREQ(unknown.c_str(), "WHAT-EVER9");
}

TEST(PlatformQuery, FixedAnswers) {
  EXPECT_EQ(Query(""), "LINUX");
  EXPECT_EQ(Query("GLEXT"), "NO_DATA");  // the prefix needs its colon
  const std::string battery = Query("battery");
  ASSERT_TRUE(std::regex_match(battery, std::regex(R"(\d{1,3})"))) << battery;
  const int percent = std::stoi(battery);
  EXPECT_TRUE(percent <= 100 || percent == 255) << percent;
}

TEST(PlatformQuery, CompiledIsTheProgramsStampOrTheRuntimesOwn) {
  const std::regex stamp(R"([A-Z][a-z]{2} [ 1-3]\d \d{4}-\d\d:\d\d:\d\d)");
  EXPECT_TRUE(std::regex_match(Query("COMPILED"), stamp)) << Query("COMPILED");
  SetProgramBuildStamp("Jul 16 2009", "18:12:24");
  EXPECT_EQ(Query("compiled"), "Jul 16 2009-18:12:24");
  SetProgramBuildStamp(nullptr, nullptr);
  EXPECT_TRUE(std::regex_match(Query("COMPILED"), stamp));
}

TEST(PlatformQuery, IdIsFourPrintableCharactersStableAcrossProcesses) {
  const std::string id = Query("id");
  EXPECT_TRUE(std::regex_match(id, std::regex("[0-9A-Za-z]{4}"))) << id;
  EXPECT_EQ(OutputOf(std::string("'") + HOST_QUERY_CHILD + "' ID"), id);
  EXPECT_EQ(OutputOf(std::string("'") + HOST_QUERY_CHILD + "' iD"), id);
}

TEST(PlatformQueryDeathTest, GlNamesAreUnknownWithoutAContext) {
  GTEST_FLAG_SET(death_test_style, "threadsafe");
  // The child runs this test alone, so no engine and no context exist.
  EXPECT_EXIT(std::exit(Query("GLEXT:glBindTexture") == "0" ? 0 : 1), testing::ExitedWithCode(0),
              "");
}

TEST(PlatformQuery, GlNamesAgainstARealContext) {
  hosttest::HostScreen();
  ASSERT_TRUE(plat::HasGLContext());
  // An OpenGL 1.1 function, in the caller's letter case though the key is
  // upper-cased.
  RtString key("glext:glBindTexture");
  EXPECT_STREQ(QueryPlatform(key).c_str(), "1");
  EXPECT_STREQ(key.c_str(), "GLEXT:GLBINDTEXTURE");
  EXPECT_EQ(Query("GLEXT:glbindtexture"), "0");
  // The driver hands out an address for any "gl" name; that is no answer.
  EXPECT_EQ(Query("GLEXT:glNoSuchEntryPointAtAll"), "0");
  EXPECT_EQ(Query("GLEXT:"), "0");

  const char* all = reinterpret_cast<const char*>(glGetString(GL_EXTENSIONS));
  ASSERT_NE(all, nullptr);
  std::string list = all;
  while (!list.empty() && list.back() == ' ') list.pop_back();
  const std::string first = list.substr(0, list.find(' '));
  const std::string last = list.substr(list.rfind(' ') + 1);
  EXPECT_EQ(Query(("GLEXT:" + first).c_str()), "1") << first;
  EXPECT_EQ(Query(("GLEXT:" + last).c_str()), "1") << last;
  // Only whole names count.
  EXPECT_EQ(Query(("GLEXT:" + first.substr(0, first.size() - 1)).c_str()), "0");
  EXPECT_EQ(Query("GLEXT:GL_NO_such_extension"), "0");
}

}  // namespace
