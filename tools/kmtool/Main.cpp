// kmtool: the game maker's and tester's command; a table of sub-commands and their usage.
#include <cstdio>
#include <string_view>

#include "platform/LeakCheck.h"
#include "tools/kmtool/Commands.h"

namespace {

struct Command {
  std::string_view name;
  int (*run)(const kmtool::Arguments& args);
  std::string_view usage;
};

// New sub-commands are one line here and one declaration in Commands.h.
constexpr Command kCommands[] = {
    {"new", kmtool::RunNew,
     "new DIR\n      write a small playable game of UTF-8 sources into DIR (a new or empty folder)"},
    {"lint", kmtool::RunLint,
     "lint DIR|PKG\n"
     "      check a game folder (UTF-8 or code page 932 sources) or an archive; prints\n"
     "      FILE:LINE: error|warning: MESSAGE lines, exit status 1 when there is an error"},
    {"pack", kmtool::RunPack,
     "pack OUT.pkg -C DIR [--utf8-evt] [--scramble-evt] [-v] [NAME...]\n"
     "      write an archive of the files under DIR (all of them when no NAME is given);\n"
     "      dotfiles, .git/ and names ending in ~ are skipped (-v lists them)"},
    {"list", kmtool::RunList, "list PKG\n      one line per entry: stored name, size, offset"},
    {"unpack", kmtool::RunUnpack,
     "unpack PKG -C DIR [--utf8-evt]\n"
     "      write every entry, unscrambled, under DIR; --utf8-evt writes .evt and .lua files\n"
     "      as UTF-8 with the event scripts' second layer undone"},
    {"evt", kmtool::RunEvt,
     "evt FILE [--name NAME] [--utf8]\n"
     "      print the translated line table of an event script (index, TAB, entry);\n"
     "      --utf8 reads FILE from the disk as UTF-8"},
    {"play", kmtool::RunPlay,
     "play [--game DIR] [--frames N] [--input FILE] [--low-spec] [--fullscreen] [--debug-output]\n"
     "     [--realtime] [--shot N:FILE.png]... [--audio-out FILE.wav] [--utf8-evt] [--quiet]\n"
     "      run the game headless with a virtual clock and scripted input; paths are relative to\n"
     "      the current directory. --input FILE holds one event per line, FRAME VERB ARGS\n"
     "      (frames count from 1; '#' starts a comment):\n"
     "        mouse X Y | ldown | lup | rdown | rup | mdown | mup | wheel [up|down] | click\n"
     "        key NAME down|up (ctrl space escape up down left right z x c q w numpad2 numpad4\n"
     "        numpad6 numpad8, or a decimal key code) | close | active 0|1 | devicelost\n"
     "      exit status: 0 done, 1 start-up failure or an output not written, 2 bad options"},
    {"reference", kmtool::RunReference,
     "reference\n      print the tag and Sc function reference (Markdown) from the engine's tables"},
};

const Command* FindCommand(std::string_view name) {
  for (const Command& command : kCommands) {
    if (command.name == name) return &command;
  }
  return nullptr;
}

void PrintCommandUsage(std::FILE* out, const Command& command) {
  std::fprintf(out, "usage: kmtool %.*s\n", static_cast<int>(command.usage.size()), command.usage.data());
}

void PrintUsage(std::FILE* out) {
  std::fprintf(out, "usage: kmtool COMMAND [ARGS...]\n       kmtool help [COMMAND]\n\ncommands:\n");
  for (const Command& command : kCommands) {
    std::fprintf(out, "  %.*s\n", static_cast<int>(command.usage.size()), command.usage.data());
  }
}

}  // namespace

namespace kmtool {

int BadUsage(std::string_view command, const std::string& why) {
  std::fprintf(stderr, "kmtool %.*s: %s\n", static_cast<int>(command.size()), command.data(), why.c_str());
  if (const Command* c = FindCommand(command)) PrintCommandUsage(stderr, *c);
  return kExitBadOptions;
}

}  // namespace kmtool

namespace {

int RunKmtool(int argc, char** argv) {
  if (argc < 2) {
    PrintUsage(stderr);
    return kmtool::kExitBadOptions;
  }
  const std::string_view name = argv[1];
  if (name == "help" || name == "--help" || name == "-h") {
    if (argc == 2) {
      PrintUsage(stdout);
      return kmtool::kExitOk;
    }
    if (const Command* command = FindCommand(argv[2]); command && argc == 3) {
      PrintCommandUsage(stdout, *command);
      return kmtool::kExitOk;
    }
    std::fprintf(stderr, "kmtool help: unknown command '%s'\n\n", argv[2]);
    PrintUsage(stderr);
    return kmtool::kExitBadOptions;
  }
  const Command* command = FindCommand(name);
  if (!command) {
    std::fprintf(stderr, "kmtool: unknown command '%s'\n\n", argv[1]);
    PrintUsage(stderr);
    return kmtool::kExitBadOptions;
  }
  const kmtool::Arguments args(argv + 2, argv + argc);
  for (const std::string& arg : args) {
    if (arg == "--help" || arg == "-h") {
      PrintCommandUsage(stdout, *command);
      return kmtool::kExitOk;
    }
  }
  return command->run(args);
}

}  // namespace

int main(int argc, char** argv) {
  const int status = RunKmtool(argc, argv);
  platform::checkLeaksNow();
  return status;
}
