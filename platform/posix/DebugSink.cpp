// The debug sink standing in for OutputDebugStringA, and the warning sink: silent unless a sink
// is installed.
#include <mutex>
#include <string>

#include "platform/System.h"

namespace platform {

namespace {

std::mutex g_sinkMutex;
std::function<void(std::string_view)> g_sink;
std::function<void(std::string_view)> g_warningSink;
std::function<std::string()> g_warningContext;

}  // namespace

void debugOutput(std::string_view textCp932) {
  std::lock_guard<std::mutex> lock(g_sinkMutex);
  if (g_sink) g_sink(textCp932);
}

void setDebugSink(std::function<void(std::string_view textCp932)> sink) {
  std::lock_guard<std::mutex> lock(g_sinkMutex);
  g_sink = std::move(sink);
}

void warningOutput(std::string_view textCp932) {
  std::lock_guard<std::mutex> lock(g_sinkMutex);
  std::string line = g_warningContext ? g_warningContext() : std::string();
  if (!line.empty()) line += ": ";
  line.append(textCp932);
  if (g_warningSink) g_warningSink(line);
  if (g_sink) g_sink(line + "\n");
}

void setWarningContext(std::function<std::string()> context) {
  std::lock_guard<std::mutex> lock(g_sinkMutex);
  g_warningContext = std::move(context);
}

void setWarningSink(std::function<void(std::string_view textCp932)> sink) {
  std::lock_guard<std::mutex> lock(g_sinkMutex);
  g_warningSink = std::move(sink);
}

}  // namespace platform
