// The sub-commands of kmtool: each takes the arguments after its name and returns the exit code.
#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace kmtool {

using Arguments = std::vector<std::string>;

constexpr int kExitOk = 0;
constexpr int kExitFailure = 1;
constexpr int kExitBadOptions = 2;

// Writes "kmtool COMMAND: WHY" and the command's usage to stderr; returns kExitBadOptions.
int BadUsage(std::string_view command, const std::string& why);

// kmtool new DIR
int RunNew(const Arguments& args);
// kmtool lint DIR|PKG
int RunLint(const Arguments& args);
// kmtool pack OUT.pkg -C DIR [--utf8-evt] [--scramble-evt] [-v] [NAME...]
int RunPack(const Arguments& args);
// kmtool list PKG
int RunList(const Arguments& args);
// kmtool unpack PKG -C DIR [--utf8-evt]
int RunUnpack(const Arguments& args);
// kmtool evt FILE [--name NAME] [--utf8]
int RunEvt(const Arguments& args);
// kmtool play [options]: the whole engine on the headless platform
int RunPlay(const Arguments& args);
// kmtool reference: the tag and Sc function reference from the engine's tables
int RunReference(const Arguments& args);

}  // namespace kmtool
