// kmtool: the game maker's and tester's command; a table of sub-commands and their usage.
#include <cstdio>
#include <string_view>

#include "tools/kmtool/Commands.h"

namespace {

struct Command {
  std::string_view name;
  int (*run)(const kmtool::Arguments& args);
  std::string_view usage;
};

// New sub-commands are one line here and one declaration in Commands.h.
constexpr Command kCommands[] = {
    {"pack", kmtool::RunPack,
     "pack OUT.pkg -C DIR [--utf8-evt] [--scramble-evt] [NAME...]\n"
     "      write an archive of the files under DIR (all of them when no NAME is given)"},
    {"list", kmtool::RunList, "list PKG\n      one line per entry: stored name, size, offset"},
    {"unpack", kmtool::RunUnpack, "unpack PKG -C DIR\n      write every entry, unscrambled, under DIR"},
    {"evt", kmtool::RunEvt, "evt FILE [--name NAME]\n      print the translated line table of an event script (index, TAB, entry)"},
    {"play", kmtool::RunPlay,
     "play [--game DIR] [--frames N] [--input FILE] [--low-spec] [--fullscreen] [--debug-output]\n"
     "     [--realtime] [--shot N:FILE.png]... [--audio-out FILE.wav]\n"
     "      run the game headless with a virtual clock and scripted input"},
};

void PrintUsage(std::FILE* out) {
  std::fprintf(out, "usage: kmtool COMMAND [ARGS...]\n\ncommands:\n");
  for (const Command& command : kCommands) {
    std::fprintf(out, "  %.*s\n", static_cast<int>(command.usage.size()), command.usage.data());
  }
}

}  // namespace

int main(int argc, char** argv) {
  if (argc < 2) {
    PrintUsage(stderr);
    return kmtool::kExitBadOptions;
  }
  const std::string_view name = argv[1];
  if (name == "help" || name == "--help" || name == "-h") {
    PrintUsage(stdout);
    return kmtool::kExitOk;
  }
  for (const Command& command : kCommands) {
    if (command.name == name) return command.run(kmtool::Arguments(argv + 2, argv + argc));
  }
  std::fprintf(stderr, "kmtool: unknown command '%s'\n\n", argv[1]);
  PrintUsage(stderr);
  return kmtool::kExitBadOptions;
}
