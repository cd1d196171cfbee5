// The debug sink standing in for OutputDebugStringA: silent unless a sink is installed.
#include <mutex>

#include "platform/System.h"

namespace platform {

namespace {

std::mutex g_sinkMutex;
std::function<void(std::string_view)> g_sink;

}  // namespace

void debugOutput(std::string_view textCp932) {
  std::lock_guard<std::mutex> lock(g_sinkMutex);
  if (g_sink) g_sink(textCp932);
}

void setDebugSink(std::function<void(std::string_view textCp932)> sink) {
  std::lock_guard<std::mutex> lock(g_sinkMutex);
  g_sink = std::move(sink);
}

}  // namespace platform
