// The sub-commands of kmtool: each takes the arguments after its name and returns the exit code.
#pragma once

#include <string>
#include <vector>

namespace kmtool {

using Arguments = std::vector<std::string>;

constexpr int kExitOk = 0;
constexpr int kExitFailure = 1;
constexpr int kExitBadOptions = 2;

// kmtool pack OUT.pkg -C DIR [--utf8-evt] [--scramble-evt] [NAME...]
int RunPack(const Arguments& args);
// kmtool list PKG
int RunList(const Arguments& args);
// kmtool unpack PKG -C DIR
int RunUnpack(const Arguments& args);
// kmtool evt FILE [--name NAME]
int RunEvt(const Arguments& args);
// kmtool play [options]: the whole engine on the headless platform
int RunPlay(const Arguments& args);

}  // namespace kmtool
