// The Lua host: loading Lua files from the archive or the disk, failures, the argument convention.
#include <gtest/gtest.h>

#include <cstdio>
#include <stdexcept>
#include <string>

#include "archive/ArchiveSet.h"
#include "archive/Scramble.h"
#include "platform/Platform.h"
#include "script/LuaHost.h"
#include "script/ScArgs.h"
#include "script/bind/ScFunctionTables.h"
#include "support/TempDir.h"

namespace {

class LuaHostTest : public ::testing::Test {
 protected:
  void SetUp() override {
    archive::resetArchiveSet();
    platform::clearMessageBoxLog();
    L_ = script::NewStateWithLibraries();
  }
  void TearDown() override {
    lua_close(L_);
    archive::resetArchiveSet();
  }
  lua_State* L_ = nullptr;
  testsupport::TempDir dir_;
};

TEST_F(LuaHostTest, DiskFileRunsAndSetsGlobals) {
  dir_.write("setup.lua", "answer = 6 * 7\n");
  testsupport::ScopedChdir cd(dir_.path());
  EXPECT_EQ(script::LoadLuaFile(L_, "setup.lua"), 0);
  lua_getfield(L_, LUA_GLOBALSINDEX, "answer");
  EXPECT_EQ(lua_tointeger(L_, -1), 42);
}

TEST_F(LuaHostTest, FailuresShowTheRequestedNameAndPrintTheLuaError) {
  struct Case {
    const char* file;
    const char* body;
    const char* errorPart;
  };
  const Case cases[] = {
      {"missing.lua", nullptr, "cannot open"},
      {"broken.lua", "x = = 1\n", "broken.lua:1:"},
      {"throws.lua", "error('boom')\n", "boom"},
  };
  for (const Case& c : cases) {
    platform::clearMessageBoxLog();
    if (c.body) dir_.write(c.file, c.body);
    testsupport::ScopedChdir cd(dir_.path());
    testing::internal::CaptureStdout();
    EXPECT_EQ(script::LoadLuaFile(L_, c.file), -1) << c.file;
    const std::string out = testing::internal::GetCapturedStdout();
    ASSERT_EQ(platform::messageBoxLog().size(), 1u);
    EXPECT_EQ(platform::messageBoxLog()[0].textUtf8, std::string(c.file) + " を開けませんでした。");
    EXPECT_EQ(platform::messageBoxLog()[0].captionUtf8, "ERROR");
    EXPECT_EQ(out.rfind("error : ", 0), 0u) << out;
    EXPECT_NE(out.find(c.errorPart), std::string::npos) << out;
    EXPECT_TRUE(lua_isstring(L_, -1));  // the error value stays on the stack
    lua_settop(L_, 0);
  }
}

// Lays out a one-entry archive by hand: header, directory entry, scrambled data.
std::vector<uint8_t> OneEntryArchive(const std::string& name, const std::string& body) {
  const uint32_t dataOffset = 8 + 136;
  std::vector<uint8_t> bytes(dataOffset + body.size(), 0);
  auto put32 = [&](size_t at, uint32_t v) {
    for (int i = 0; i < 4; ++i) bytes[at + i] = static_cast<uint8_t>(v >> (8 * i));
  };
  put32(0, static_cast<uint32_t>(bytes.size()));
  put32(4, 1);
  std::copy(name.begin(), name.end(), bytes.begin() + 8);
  put32(8 + 128, static_cast<uint32_t>(body.size()));
  put32(8 + 132, dataOffset);
  // Header and directory are scrambled word by word, the file data as a stored file.
  for (size_t o = 0; o < dataOffset; o += 4) {
    for (int i = 0; i < 4; ++i) bytes[o + i] ^= static_cast<uint8_t>(0x6B2D94E3u >> (8 * i));
  }
  std::copy(body.begin(), body.end(), bytes.begin() + dataOffset);
  archive::UnscrambleStoredFile(bytes.data() + dataOffset, body.size());
  return bytes;
}

TEST_F(LuaHostTest, ArchivedFileLoadsWithoutAChunkName) {
  dir_.write("data.pkg", OneEntryArchive("scripts\\bad.lua", "local x = = 2\n"));
  testsupport::ScopedChdir cd(dir_.path());
  ASSERT_TRUE(archive::OpenArchives());
  testing::internal::CaptureStdout();
  EXPECT_EQ(script::LoadLuaFile(L_, "bad.lua"), -1);
  const std::string out = testing::internal::GetCapturedStdout();
  EXPECT_NE(out.find("[string \"?\"]:1:"), std::string::npos) << out;
  EXPECT_EQ(platform::messageBoxLog().at(0).textUtf8, "bad.lua を開けませんでした。");
}

TEST_F(LuaHostTest, ArchivedFileRuns) {
  dir_.write("data.pkg", OneEntryArchive("good.lua", "value = 'from the archive'\n"));
  testsupport::ScopedChdir cd(dir_.path());
  ASSERT_TRUE(archive::OpenArchives());
  EXPECT_EQ(script::LoadLuaFile(L_, "good.lua"), 0);
  lua_getfield(L_, LUA_GLOBALSINDEX, "value");
  EXPECT_STREQ(lua_tostring(L_, -1), "from the archive");
}

// A binding that takes two arguments.
int Subtract(lua_State* L) {
  script::ScArgs args(L, "ii");
  const lua_Integer a = args.integer(1);
  const lua_Integer b = args.integer(2);
  lua_pushinteger(L, a - b);
  return 1;
}

TEST_F(LuaHostTest, ArgumentsAreReadFromTheTopSoAnExtraLeadingOneIsIgnored) {
  lua_register(L_, "Subtract", Subtract);
  ASSERT_EQ(luaL_dostring(L_, "r1 = Subtract(10, 3); r2 = Subtract('ignored', 10, 3)"), 0);
  lua_getfield(L_, LUA_GLOBALSINDEX, "r1");
  lua_getfield(L_, LUA_GLOBALSINDEX, "r2");
  EXPECT_EQ(lua_tointeger(L_, -2), 7);
  EXPECT_EQ(lua_tointeger(L_, -1), 7);
  // A wrong type raises Lua's argument error in the caller.
  EXPECT_NE(luaL_dostring(L_, "Subtract(1, 'x')"), 0);
  EXPECT_NE(std::string(lua_tostring(L_, -1)).find("bad argument"), std::string::npos);
}

// Wrong and missing arguments of registered Sc functions: the error names the argument's position
// in the call (#1 = first, an ignored leading argument counted) and the type that was expected.
// The bindings check everything before they reach the engine, so no engine is needed here.
TEST_F(LuaHostTest, ArgumentErrorsNameThePositionInTheCallAndTheExpectedType) {
  struct Case {
    const char* call;
    const char* error;
  };
  const Case cases[] = {
      // ScSetBG(file, width, height, x, y, rotation, time)
      {"ScSetBG()", "bad argument #1 to 'ScSetBG' (string expected, got no value)"},
      {"ScSetBG('a', 1)", "bad argument #3 to 'ScSetBG' (number expected, got no value)"},
      {"ScSetBG('a', 'x', 3)", "bad argument #4 to 'ScSetBG' (number expected, got no value)"},
      {"ScSetBG('a', 1, 2, 3, 4, 5)", "bad argument #7 to 'ScSetBG' (number expected, got no value)"},
      {"ScSetBG('a', 'w', 2, 3, 4, 5, 6)", "bad argument #2 to 'ScSetBG' (number expected, got string)"},
      {"ScSetBG('a', 1, 2, 3, 4, 5, {})", "bad argument #7 to 'ScSetBG' (number expected, got table)"},
      {"ScSetBG(0, 'a', 'w', 2, 3, 4, 5, 6)", "bad argument #3 to 'ScSetBG' (number expected, got string)"},
      {"ScSetBG({}, 1, 2, 3, 4, 5, 6)", "bad argument #1 to 'ScSetBG' (string expected, got table)"},
      // ScPlaySE(buffer, file, loop)
      {"ScPlaySE(0, nil, 1)", "bad argument #2 to 'ScPlaySE' (string expected, got nil)"},
      {"ScPlaySE(0)", "bad argument #2 to 'ScPlaySE' (string expected, got no value)"},
      // ScSetWindow(type, page, file, width, height, x, y, draggable)
      {"ScSetWindow('m', 0, 'f.png', 9, 9, 0, 0)", "bad argument #8 to 'ScSetWindow' (number expected, got no value)"},
      {"ScSetWindow('m', 0, 'f.png', 9, 9, true, 0, 0)",
       "bad argument #6 to 'ScSetWindow' (number expected, got boolean)"},
      // ScSetTempFlag(name, value): the value may be of any type, but must be there.
      {"ScSetTempFlag('a')", "bad argument #2 to 'ScSetTempFlag' (value expected)"},
      {"ScSetTempFlag(nil, 1)", "bad argument #1 to 'ScSetTempFlag' (string expected, got nil)"},
      // ScCompJump(left, op, right, labelTrue, labelFalse): operands are numbers or strings.
      {"ScCompJump(1, '==', {}, 'a', 'b')", "bad argument #3 to 'ScCompJump' (string expected, got table)"},
      {"ScEventJump('a.evt')", "bad argument #2 to 'ScEventJump' (string expected, got no value)"},
      {"ScWait('soon')", "bad argument #1 to 'ScWait' (number expected, got string)"},
      {"ScMapJump(1, 2, 3, 4)", "bad argument #5 to 'ScMapJump' (number expected, got no value)"},
  };
  script::RegisterScriptFunctions(L_);
  for (const Case& c : cases) {
    SCOPED_TRACE(c.call);
    ASSERT_NE(luaL_dostring(L_, c.call), 0);
    const std::string error = lua_tostring(L_, -1);
    EXPECT_NE(error.find(c.error), std::string::npos) << error;
    lua_settop(L_, 0);
  }
}

int g_trackedAlive = 0;
struct Tracked {
  Tracked() { ++g_trackedAlive; }
  ~Tracked() { --g_trackedAlive; }
};

int ThrowsStdException(lua_State*) {
  Tracked held;
  throw std::runtime_error("no room");
}
int ThrowsAnything(lua_State*) {
  Tracked held;
  throw 42;
}
int PushesSeven(lua_State* L) {
  lua_pushinteger(L, 7);
  return 1;
}
template <const script::bind::ScFunction& f>
int Guarded(lua_State* L) {
  return script::bind::CallGuarded(L, f);
}
constexpr script::bind::ScFunction kStd{"ScStd", ThrowsStdException};
constexpr script::bind::ScFunction kAny{"ScAny", ThrowsAnything};
constexpr script::bind::ScFunction kSeven{"ScSeven", PushesSeven};

// A C++ exception leaves its binding as a Lua error naming the binding, after the binding's
// objects were destroyed; the state stays usable, and a binding that returns passes through.
TEST_F(LuaHostTest, TheGuardTurnsCppExceptionsIntoLuaErrors) {
  lua_register(L_, "ScStd", Guarded<kStd>);
  lua_register(L_, "ScAny", Guarded<kAny>);
  lua_register(L_, "ScSeven", Guarded<kSeven>);
  const struct {
    const char* chunk;
    const char* error;
  } cases[] = {
      {"ScStd()", "ScStd: no room"},
      {"ScAny()", "ScAny: unknown C++ exception"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.chunk);
    ASSERT_NE(luaL_dostring(L_, c.chunk), 0);
    EXPECT_NE(std::string(lua_tostring(L_, -1)).find(c.error), std::string::npos) << lua_tostring(L_, -1);
    EXPECT_EQ(g_trackedAlive, 0);
    lua_settop(L_, 0);
  }
  // pcall inside Lua catches it like any Lua error.
  ASSERT_EQ(luaL_dostring(L_, "ok, e = pcall(ScStd); seven = ScSeven()"), 0);
  lua_getfield(L_, LUA_GLOBALSINDEX, "ok");
  EXPECT_FALSE(lua_toboolean(L_, -1));
  lua_getfield(L_, LUA_GLOBALSINDEX, "seven");
  EXPECT_EQ(lua_tointeger(L_, -1), 7);
}

// Every Sc global is the guard for its own binding, in table order, so that a binding added to a
// table later is guarded without further work.
TEST_F(LuaHostTest, EveryRegisteredScFunctionIsGuarded) {
  script::RegisterScriptFunctions(L_);
  size_t position = 0;
  for (const script::bind::ScFunction* const* table = script::bind::kAllTables; *table; ++table) {
    for (const script::bind::ScFunction* f = *table; f->name; ++f, ++position) {
      SCOPED_TRACE(f->name);
      lua_getfield(L_, LUA_GLOBALSINDEX, f->name);
      ASSERT_TRUE(lua_iscfunction(L_, -1));
      EXPECT_EQ(lua_tocfunction(L_, -1), script::bind::GuardedScFunction(position));
      EXPECT_NE(lua_tocfunction(L_, -1), f->function);
      lua_pop(L_, 1);
    }
  }
  EXPECT_GT(position, 60u);
  EXPECT_EQ(script::bind::GuardedScFunction(position), nullptr);
}

TEST_F(LuaHostTest, HostStatesHaveTheirLibrariesAndCloseInOrder) {
  script::LuaHost host;
  host.create();
  ASSERT_NE(host.scriptState, nullptr);
  ASSERT_NE(host.mapTableState, nullptr);
  EXPECT_EQ(luaL_dostring(host.mapTableState, "assert(string.format and math.floor and io.write)"), 0);
  EXPECT_EQ(luaL_dostring(host.scriptState, "assert(coroutine.create and os.time)"), 0);
  host.close();
  EXPECT_EQ(host.scriptState, nullptr);
}

}  // namespace
