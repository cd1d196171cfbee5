// The message-box router: the current platform, the box log and the one-line headless form.
#include "platform/Platform.h"

#include <cstdio>
#include <deque>
#include <mutex>

#include "platform/Encoding.h"

namespace platform {

namespace {

Platform* g_current = nullptr;

// Sound threads may report errors too, so the log takes a lock.
std::mutex g_logMutex;
std::deque<MessageBoxRecord> g_log;

// Boxes posted by worker threads, waiting for the main thread.
struct PostedBox {
  std::string textCp932, captionCp932;
  unsigned flags = 0;
};
std::mutex g_postedMutex;
std::vector<PostedBox> g_posted;

void appendEscaped(std::string& out, std::string_view utf8) {
  for (char ch : utf8) {
    if (ch == '\n')
      out += "\\n";
    else
      out.push_back(ch);
  }
}

}  // namespace

Platform* current() { return g_current; }

void setCurrent(Platform* platform) { g_current = platform; }

bool isYesNo(unsigned flags) { return (flags & mb::TypeMask) == mb::YesNo; }

std::string messageBoxLine(std::string_view textCp932, std::string_view captionCp932) {
  std::string line = "[MessageBox] ";
  appendEscaped(line, cp932ToUtf8(captionCp932));
  line += " | ";
  appendEscaped(line, cp932ToUtf8(textCp932));
  return line;
}

void writeMessageBoxLine(std::string_view textCp932, std::string_view captionCp932) {
  // One write per line, so lines from several threads never interleave.
  std::string line = messageBoxLine(textCp932, captionCp932);
  line.push_back('\n');
  std::fwrite(line.data(), 1, line.size(), stderr);
  std::fflush(stderr);
}

int messageBox(std::string_view textCp932, std::string_view captionCp932, unsigned flags) {
  {
    MessageBoxRecord record;
    record.captionCp932 = std::string(captionCp932);
    record.textCp932 = std::string(textCp932);
    record.captionUtf8 = cp932ToUtf8(captionCp932);
    record.textUtf8 = cp932ToUtf8(textCp932);
    record.flags = flags;
    std::lock_guard<std::mutex> lock(g_logMutex);
    if (g_log.size() >= kMessageBoxLogLimit) g_log.pop_front();
    g_log.push_back(std::move(record));
  }
  if (Platform* p = g_current) return p->showMessageBox(textCp932, captionCp932, flags);
  writeMessageBoxLine(textCp932, captionCp932);
  return isYesNo(flags) ? mb::IdNo : mb::IdOk;
}

std::vector<MessageBoxRecord> messageBoxLog() {
  std::lock_guard<std::mutex> lock(g_logMutex);
  return {g_log.begin(), g_log.end()};
}

void clearMessageBoxLog() {
  std::lock_guard<std::mutex> lock(g_logMutex);
  g_log.clear();
}

void postMessageBox(std::string_view textCp932, std::string_view captionCp932, unsigned flags) {
  PostedBox box{std::string(textCp932), std::string(captionCp932), flags};
  std::lock_guard<std::mutex> lock(g_postedMutex);
  g_posted.push_back(std::move(box));
}

void showPostedMessageBoxes() {
  std::vector<PostedBox> boxes;
  {
    std::lock_guard<std::mutex> lock(g_postedMutex);
    boxes.swap(g_posted);
  }
  // Shown outside the lock: a box waits for the player, and workers may post meanwhile.
  for (const PostedBox& box : boxes) messageBox(box.textCp932, box.captionCp932, box.flags);
}

}  // namespace platform
