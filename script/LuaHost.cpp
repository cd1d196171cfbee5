// The Lua host: state lifetimes, LoadLuaFile and the Sc-function registry.
#include "script/LuaHost.h"

#include <cstdio>
#include <vector>

#include "archive/ArchiveSet.h"
#include "platform/Encoding.h"
#include "platform/Platform.h"
#include "platform/System.h"
#include "script/bind/ScFunctionTables.h"

namespace script {

lua_State* NewStateWithLibraries() {
  lua_State* L = luaL_newstate();
  if (L) luaL_openlibs(L);
  return L;
}

void LuaHost::create() {
  mapTableState = NewStateWithLibraries();
  scriptState = NewStateWithLibraries();
  RegisterScriptFunctions(scriptState);
}

void LuaHost::close() {
  if (mapTableState) lua_close(mapTableState);
  mapTableState = nullptr;
  if (scriptState) lua_close(scriptState);
  scriptState = nullptr;
}

namespace {

void ReportLoadFailure(lua_State* state, const char* name) {
  char text[256];
  std::snprintf(text, sizeof text, CP932("%s を開けませんでした。").c_str(), name);
  platform::messageBox(text, "ERROR", platform::mb::Ok);
  const char* error = lua_tostring(state, -1);
  if (!error) error = "";
  platform::warningOutput(std::string(name) + ": " + error);
  platform::debugOutput(error);
  std::printf("error : %s\n", error);
  std::fflush(stdout);
}

}  // namespace

int LoadLuaFile(lua_State* state, const char* name) {
  int status;
  std::vector<uint8_t> bytes;
  switch (archive::ReadStoredFile(name, bytes)) {
    case archive::StoredRead::Read:
      // Archive entries load without a chunk name.
      status = luaL_loadbuffer(state, reinterpret_cast<const char*>(bytes.data()), bytes.size(), nullptr);
      break;
    case archive::StoredRead::ViewFailed: return 0;
    case archive::StoredRead::NotStored:
    default: {
      const std::string path = platform::diskPath(archive::ResolveLoosePath(name));
      // A loose-file filter (kmtool play --utf8-evt) sees the bytes before Lua does.
      if (platform::readFile(archive::ResolveLoosePath(name), bytes) && archive::FilterLooseFile(name, bytes)) {
        const std::string chunkName = "@" + path;
        status = luaL_loadbuffer(state, reinterpret_cast<const char*>(bytes.data()), bytes.size(), chunkName.c_str());
      } else {
        status = luaL_loadfile(state, path.c_str());
      }
      break;
    }
  }
  if (status == 0) status = lua_pcall(state, 0, 0, 0);
  if (status != 0) {
    ReportLoadFailure(state, name);
    return -1;
  }
  return 0;
}

void RegisterScriptFunctions(lua_State* state) {
  size_t position = 0;
  for (const bind::ScFunction* const* table = bind::kAllTables; *table; ++table) {
    for (const bind::ScFunction* f = *table; f->name; ++f) {
      // Each binding runs behind the guard that keeps C++ exceptions out of Lua.
      lua_pushcclosure(state, bind::GuardedScFunction(position++), 0);
      lua_setfield(state, LUA_GLOBALSINDEX, f->name);
    }
  }
}

}  // namespace script
