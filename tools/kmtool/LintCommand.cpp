// kmtool lint DIR|PKG: the mistakes a game maker makes that the engine passes over quietly or
// with a bare message box, as "FILE:LINE: error|warning: MESSAGE" lines. Tag and attribute
// names come from the engine's tag table, Sc function names from its binding tables and the
// configuration keys from its reader, so the checks follow the engine.
#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <map>
#include <memory>
// GCC 12 warns inside <regex> itself when sanitizers are on (a false maybe-uninitialized);
// clang has no such warning group.
#if defined(__GNUC__) && !defined(__clang__)
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wmaybe-uninitialized"
#endif
#include <regex>
#if defined(__GNUC__) && !defined(__clang__)
#pragma GCC diagnostic pop
#endif
#include <set>
#include <string>
#include <vector>

#include <lua.hpp>

#include "app/Config.h"
#include "archive/ArchiveDirectory.h"
#include "archive/Scramble.h"
#include "platform/Encoding.h"
#include "platform/System.h"
#include "script/EventScriptTranslator.h"
#include "script/TagLine.h"
#include "script/TagTable.h"
#include "script/bind/ScFunctionTables.h"
#include "tools/kmtool/ArchiveReader.h"
#include "tools/kmtool/Commands.h"
#include "window/C_WindowLayer.h"

namespace fs = std::filesystem;

namespace kmtool {

namespace {

// A game's files by name: code page 932 names with '\' separators, and their bytes as the
// engine reads them (scripts in code page 932, the second layer undone).
struct Game {
  std::map<std::string, std::vector<uint8_t>> files;
  std::set<std::string> bareNames;  // the last name component of every file
  // Text sources that were UTF-8 on disk: their original text, for the code page 932 check.
  std::map<std::string, std::string> utf8Sources;

  bool holds(const std::string& name) const {
    std::string key = name;
    std::replace(key.begin(), key.end(), '/', '\\');
    return files.count(key) || (key.find('\\') == std::string::npos && bareNames.count(key));
  }
  const std::vector<uint8_t>* find(const std::string& name) const {
    std::string key = name;
    std::replace(key.begin(), key.end(), '/', '\\');
    if (auto it = files.find(key); it != files.end()) return &it->second;
    for (const auto& [stored, bytes] : files) {
      if (archive::LastNameComponent(stored) == key) return &bytes;
    }
    return nullptr;
  }
};

struct Findings {
  int errors = 0;
  int warnings = 0;
  void report(const std::string& fileCp932, uint32_t line, bool error, const std::string& messageCp932) {
    (error ? errors : warnings)++;
    const std::string file = platform::cp932ToUtf8(fileCp932);
    const std::string message = platform::cp932ToUtf8(messageCp932);
    if (line > 0) {
      std::printf("%s:%u: %s: %s\n", file.c_str(), line, error ? "error" : "warning", message.c_str());
    } else {
      std::printf("%s: %s: %s\n", file.c_str(), error ? "error" : "warning", message.c_str());
    }
  }
};

bool HasExtension(std::string_view name, std::string_view extension) {
  if (name.size() < extension.size()) return false;
  for (size_t i = 0; i < extension.size(); ++i) {
    char c = name[name.size() - extension.size() + i];
    if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
    if (c != extension[i]) return false;
  }
  return true;
}

bool IsTextSource(std::string_view name) { return HasExtension(name, ".evt") || HasExtension(name, ".lua"); }

// UTF-8 with at least one multi-byte sequence: a UTF-8 source (code page 932 text with
// Japanese in it is almost never valid UTF-8).
bool LooksLikeUtf8(const std::vector<uint8_t>& bytes) {
  bool multiByte = false;
  for (size_t i = 0; i < bytes.size();) {
    const uint8_t c = bytes[i];
    size_t n = c < 0x80 ? 1 : (c & 0xE0) == 0xC0 ? 2 : (c & 0xF0) == 0xE0 ? 3 : (c & 0xF8) == 0xF0 ? 4 : 0;
    if (n == 0 || i + n > bytes.size()) return false;
    for (size_t k = 1; k < n; ++k) {
      if ((bytes[i + k] & 0xC0) != 0x80) return false;
    }
    multiByte |= n > 1;
    i += n;
  }
  return multiByte;
}

void AddFile(Game& game, const std::string& storedName, std::vector<uint8_t> bytes) {
  game.bareNames.insert(std::string(archive::LastNameComponent(storedName)));
  game.files[storedName] = std::move(bytes);
}

bool ReadFolder(const std::string& dir, Game& game) {
  std::error_code error;
  for (auto it = fs::recursive_directory_iterator(dir, error); !error && it != fs::recursive_directory_iterator();
       it.increment(error)) {
    const std::string leaf = it->path().filename().string();
    if (!leaf.empty() && (leaf[0] == '.' || leaf.back() == '~')) {  // as pack skips them
      if (it->is_directory(error)) it.disable_recursion_pending();
      continue;
    }
    if (!it->is_regular_file(error)) continue;
    std::string relative = it->path().lexically_relative(dir).generic_string();
    std::replace(relative.begin(), relative.end(), '/', '\\');
    std::vector<uint8_t> bytes;
    if (!platform::readFile(it->path().string(), bytes)) continue;
    const std::string storedName = platform::utf8ToCp932(relative);
    if (IsTextSource(relative) && LooksLikeUtf8(bytes)) {
      std::string_view text(reinterpret_cast<const char*>(bytes.data()), bytes.size());
      if (text.substr(0, 3) == "\xEF\xBB\xBF") text.remove_prefix(3);
      game.utf8Sources[storedName] = std::string(text);
      const std::string converted = platform::utf8ToCp932(text);
      bytes.assign(converted.begin(), converted.end());
    }
    AddFile(game, storedName, std::move(bytes));
  }
  if (error) {
    std::fprintf(stderr, "kmtool lint: %s: %s\n", dir.c_str(), error.message().c_str());
    return false;
  }
  return true;
}

bool ReadArchive(const std::string& path, Game& game) {
  ArchiveReader reader;
  if (!reader.open(path, "lint") || !reader.checkIsArchive("lint")) return false;
  const archive::ArchiveDirectory& directory = reader.directory();
  std::vector<uint8_t> bytes;
  for (size_t i = 0; i < directory.entryCount(); ++i) {
    const archive::StoredEntry entry = directory.entry(i);
    if (!directory.holds(entry)) continue;
    archive::CopyUnscrambled(directory.bytes() + entry.offset, entry.size, bytes);
    if (game.files.count(entry.storedName)) continue;  // the first of two equal names counts
    AddFile(game, entry.storedName, bytes);
  }
  return true;
}

// ---- Lua ----------------------------------------------------------------------------------------

struct LuaState {
  lua_State* state = luaL_newstate();
  ~LuaState() { lua_close(state); }
};

// Lua's message when the chunk does not compile, else empty.
std::string CompileError(lua_State* L, const std::string& chunk, const std::string& chunkName) {
  std::string message;
  if (luaL_loadbuffer(L, chunk.data(), chunk.size(), chunkName.c_str()) != 0) {
    const char* text = lua_tostring(L, -1);
    message = text ? text : "";
  }
  lua_settop(L, 0);
  return message;
}

const std::set<std::string>& ScFunctionNames() {
  static const std::set<std::string> names = [] {
    std::set<std::string> all;
    for (const script::bind::ScFunction* const* table = script::bind::kAllTables; *table; ++table) {
      for (const script::bind::ScFunction* f = *table; f->name; ++f) all.insert(f->name);
    }
    return all;
  }();
  return names;
}

// Names that eventProg.lua defines (its helpers are callable from every script line).
std::set<std::string> DefinedFunctions(const Game& game) {
  std::set<std::string> names;
  if (const std::vector<uint8_t>* bytes = game.find("eventProg.lua")) {
    const std::string text(bytes->begin(), bytes->end());
    static const std::regex definition(
        R"(function\s+([A-Za-z_][A-Za-z0-9_]*)|([A-Za-z_][A-Za-z0-9_]*)\s*=\s*function)");
    for (std::sregex_iterator it(text.begin(), text.end(), definition), end; it != end; ++it) {
      names.insert((*it)[1].matched ? (*it)[1].str() : (*it)[2].str());
    }
  }
  return names;
}

// The files that a Lua line's string literals name, by their extension.
bool NamesAFile(const std::string& text) {
  for (const char* extension :
       {".png", ".jpg", ".jpeg", ".bmp", ".tga", ".dds", ".ogg", ".wav", ".evt", ".lua", ".x", ".mqo"}) {
    if (HasExtension(text, extension)) return true;
  }
  return false;
}

// ---- Event scripts ------------------------------------------------------------------------------

struct Linter {
  const Game& game;
  Findings& findings;
  script::TagTable tags;
  LuaState lua;
  std::set<std::string> defined;
  // Labels of every translated script, by name.
  std::map<std::string, std::set<std::string>> labels;

  Linter(const Game& g, Findings& f) : game(g), findings(f) {
    script::BuildTagTable(tags);
    defined = DefinedFunctions(game);
  }

  static std::string Label(const std::string& name) { return name.starts_with("*") ? name : "*" + name; }

  // The translated table of a script and its source lines; empty when the game lacks it.
  const std::set<std::string>* labelsOf(const std::string& script) {
    const std::vector<uint8_t>* bytes = game.find(script);
    if (!bytes) return nullptr;
    std::string key = script;
    auto it = labels.find(key);
    if (it != labels.end()) return &it->second;
    std::set<std::string>& set = labels[key];
    if (bytes->empty()) return &set;
    std::vector<uint8_t> copy = *bytes;
    archive::UndoEventScriptLayer(archive::LastNameComponent(script), copy.data(), copy.size());
    for (const std::string& line :
         script::TranslateEventSource(reinterpret_cast<const char*>(copy.data()), copy.size())) {
      if (line.starts_with("*")) set.insert(line);
    }
    return &set;
  }

  void checkFile(const std::string& script, uint32_t line, const std::string& what, const std::string& name) {
    if (name.empty() || name.find_first_of("{&$") == 0) return;
    if (!game.holds(name)) findings.report(script, line, true, what + " '" + name + "' is not in the game");
  }

  void checkJump(const std::string& script, uint32_t line, const std::string& file, const std::string& label) {
    const std::string target = file.empty() ? script : file;
    if (!file.empty() && !game.holds(file)) {
      findings.report(script, line, true, "script '" + file + "' is not in the game");
      return;
    }
    if (label.empty() || HasExtension(target, ".lua")) return;
    const std::set<std::string>* targetLabels = labelsOf(target);
    if (targetLabels && !targetLabels->count(Label(label)))
      findings.report(script, line, true, "label '" + label + "' is not in " + target);
  }

  void checkTag(const std::string& script, uint32_t line, const std::string& text) {
    const script::TagTokens tokens = script::TokenizeTagLine(text);
    if (tokens.empty()) return;
    const script::TagEntry* tag = tags.entry(tokens[0]);
    if (!tag) {
      findings.report(script, line, true, "unknown tag '" + tokens[0] + "'");
      return;
    }
    std::map<std::string, std::string> values;
    for (size_t i = 1; i < tokens.size(); ++i) {
      const size_t equals = tokens[i].find('=');
      const std::string key = tokens[i].substr(0, equals);
      const std::string value = equals == std::string::npos ? "" : tokens[i].substr(equals + 1);
      const char kind = script::AttributeKindOf(*tag, key);
      if (kind == 0) {
        findings.report(script, line, true, "tag '" + tokens[0] + "' has no attribute '" + key + "'");
        continue;
      }
      if (!script::AttributeValueConverts(kind, value)) {
        const char* expected = kind == 'i'   ? "an integer"
                               : kind == 'r' ? "a number"
                               : kind == 'c' ? "a hexadecimal colour"
                                             : "true or false";
        findings.report(script, line, true,
                        "attribute '" + key + "' of tag '" + tokens[0] + "': '" + value + "' is not " + expected);
      }
      values[key] = value;
    }
    const std::string& name = tokens[0];
    if (name == "Jump" || name == "Call") {
      checkJump(script, line, values["file"], values["label"]);
    } else if (name == "CompareJump") {
      for (const char* key : {"label_true", "label_false"}) {
        if (!values[key].empty()) checkJump(script, line, "", values[key]);
      }
    } else if (values.count("file")) {
      checkFile(script, line, name == "PlayBGM" || name == "PlaySE" ? "sound" : "picture", values["file"]);
    }
  }

  void checkLuaLine(const std::string& script, uint32_t line, const std::string& text) {
    // As the runner does: a double-byte character's second byte '\\' is doubled.
    std::string chunk;
    for (size_t i = 0; i < text.size(); ++i) {
      chunk.push_back(text[i]);
      if (!platform::isLeadByte(static_cast<uint8_t>(text[i])) || i + 1 >= text.size()) continue;
      chunk.push_back(text[++i]);
      if (text[i] == '\\') chunk.push_back('\\');
    }
    const std::string error = CompileError(lua.state, chunk, "line");
    if (!error.empty()) {
      findings.report(script, line, true, "Lua line does not compile: " + error);
      return;
    }
    static const std::regex call(R"(\b(Sc[A-Za-z0-9_]*)\s*\()");
    for (std::sregex_iterator it(text.begin(), text.end(), call), end; it != end; ++it) {
      const std::string function = (*it)[1].str();
      if (!ScFunctionNames().count(function) && !defined.count(function))
        findings.report(script, line, true, "unknown function '" + function + "'");
    }
    static const std::regex literal(R"re("([^"]*)"|'([^']*)')re");
    for (std::sregex_iterator it(text.begin(), text.end(), literal), end; it != end; ++it) {
      const std::string value = (*it)[1].matched ? (*it)[1].str() : (*it)[2].str();
      if (NamesAFile(value)) checkFile(script, line, "file", value);
    }
    // Jumps and calls from Lua lines: ScEventJump("file", "label") and kin.
    static const std::regex jump(R"re(\bSc(?:EventJump|EventCall)\s*\(\s*"([^"]*)"\s*,\s*"([^"]*)")re");
    std::smatch m;
    if (std::regex_search(text, m, jump)) checkJump(script, line, m[1].str(), m[2].str());
  }

  void checkScript(const std::string& script, const std::vector<uint8_t>& stored) {
    std::vector<uint8_t> bytes = stored;
    if (!bytes.empty() && !archive::IsPlainEventScript(bytes.data(), bytes.size())) {
      // Layered (packed with --scramble-evt), or a plain text without its final line feed, which
      // the engine would take for a layered one.
      std::vector<uint8_t> undone = bytes;
      archive::UndoEventScriptLayer(archive::LastNameComponent(script), undone.data(), undone.size());
      if (archive::IsPlainEventScript(undone.data(), undone.size())) {
        bytes = std::move(undone);
      } else {
        findings.report(script, 0, true,
                        "the last line has no line feed: the engine reads nothing of that line and takes the "
                        "script for a scrambled one; end it with a line feed");
      }
    }
    if (bytes.size() > script::kMaxScriptBytes) {
      findings.report(script, 0, true,
                      "the script is " + std::to_string(bytes.size()) + " bytes; the engine reads only the first " +
                          std::to_string(script::kMaxScriptBytes));
    }
    // Source lines over the line buffer are cut.
    uint32_t number = 0;
    for (size_t start = 0; start < bytes.size();) {
      size_t end = start;
      while (end < bytes.size() && bytes[end] != '\n') ++end;
      ++number;
      size_t length = end - start;
      if (length > 0 && bytes[end - 1] == '\r') --length;
      if (length > script::kMaxSourceLineBytes)
        findings.report(script, number, true,
                        "the line is " + std::to_string(length) + " bytes; the engine cuts it at " +
                            std::to_string(script::kMaxSourceLineBytes));
      start = end + 1;
    }
    script::TranslationNotes notes;
    const std::vector<std::string> table =
        bytes.empty() ? std::vector<std::string>()
                      : script::TranslateEventSource(reinterpret_cast<const char*>(bytes.data()), bytes.size(), &notes);
    if (notes.endedInsideBlock) findings.report(script, 0, true, "the file ends inside a [[ block");
    for (size_t i = 0; i < table.size(); ++i) {
      const std::string& line = table[i];
      const uint32_t at = i < notes.sourceLines.size() ? notes.sourceLines[i] : 0;
      if (line.empty() || line[0] == '*' || line[0] == '!' || line == "ScEnd()" || line == "@[Stop]") continue;
      if (line.find(script::kTextMarker) != std::string::npos) continue;  // text
      if (line.starts_with("@[")) {
        checkTag(script, at, line);
      } else {
        checkLuaLine(script, at, line);
      }
    }
  }
};

// Text that code page 932 cannot hold, by line.
void CheckEncoding(const std::string& name, const std::string& utf8, Findings& findings) {
  uint32_t number = 0;
  for (size_t start = 0; start <= utf8.size();) {
    size_t end = utf8.find('\n', start);
    if (end == std::string::npos) end = utf8.size();
    ++number;
    const std::string line = utf8.substr(start, end - start);
    if (platform::cp932ToUtf8(platform::utf8ToCp932(line)) != line)
      findings.report(name, number, true, "text that code page 932 cannot hold (it would become '?')");
    start = end + 1;
  }
}

void CheckConfiguration(const Game& game, const char* file, const app::ConfigKey* keys, size_t count,
                        Findings& findings) {
  const std::vector<uint8_t>* bytes = game.find(file);
  if (!bytes) return;
  LuaState lua;
  luaL_openlibs(lua.state);
  if (luaL_loadbuffer(lua.state, reinterpret_cast<const char*>(bytes->data()), bytes->size(), file) != 0 ||
      lua_pcall(lua.state, 0, 0, 0) != 0) {
    const char* error = lua_tostring(lua.state, -1);
    findings.report(file, 0, true, std::string("does not run: ") + (error ? error : ""));
    return;
  }
  for (size_t i = 0; i < count; ++i) {
    lua_getfield(lua.state, LUA_GLOBALSINDEX, keys[i].name);
    const int type = lua_type(lua.state, -1);
    lua_pop(lua.state, 1);
    if (type == LUA_TNIL) {
      findings.report(file, 0, true, std::string("the key ") + keys[i].name + " is missing");
    } else if (type != keys[i].luaType && !(keys[i].luaType == LUA_TNUMBER && type == LUA_TSTRING)) {
      findings.report(
          file, 0, true,
          std::string("the key ") + keys[i].name + " must be a " + lua_typename(lua.state, keys[i].luaType));
    }
  }
}

}  // namespace

int RunLint(const Arguments& args) {
  if (args.size() != 1) return BadUsage("lint", args.empty() ? "DIR or PKG is missing" : "one DIR or PKG only");
  if (args[0].size() > 1 && args[0][0] == '-') return BadUsage("lint", "unknown option '" + args[0] + "'");
  Game game;
  std::error_code error;
  if (fs::is_directory(args[0], error)) {
    if (!ReadFolder(args[0], game)) return kExitFailure;
  } else if (!ReadArchive(args[0], game)) {
    return kExitFailure;
  }

  Findings findings;
  // The files start-up and the message windows need.
  for (const char* required : {"globalData.lua", "scriptSettings.lua", "eventProg.lua", "0first.evt", "lambart.fx",
                               "ShadowMap.fx", "white.bmp"}) {
    if (!game.holds(required)) findings.report(required, 0, true, "required file is missing");
  }
  for (const char* chip : window::kCursorChipPictures) {
    if (!game.holds(chip)) findings.report(chip, 0, false, "message-window cursor picture is missing");
  }
  CheckConfiguration(game, "globalData.lua", app::kGlobalDataKeys, std::size(app::kGlobalDataKeys), findings);
  CheckConfiguration(game, "scriptSettings.lua", scene::kScriptSettingsKeys, std::size(scene::kScriptSettingsKeys),
                     findings);

  for (const auto& [name, utf8] : game.utf8Sources) CheckEncoding(name, utf8, findings);
  Linter linter(game, findings);
  for (const auto& [name, bytes] : game.files) {
    if (HasExtension(name, ".evt")) {
      linter.checkScript(name, bytes);
    } else if (HasExtension(name, ".lua")) {
      const std::string error = CompileError(linter.lua.state, std::string(bytes.begin(), bytes.end()),
                                             std::string(archive::LastNameComponent(name)));
      if (!error.empty()) findings.report(name, 0, true, "does not compile: " + error);
    }
  }
  std::fprintf(stderr, "kmtool lint: %d error(s), %d warning(s)\n", findings.errors, findings.warnings);
  return findings.errors > 0 ? kExitFailure : kExitOk;
}

}  // namespace kmtool
