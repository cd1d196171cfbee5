// Files, directories, the single-instance lock, the debug sink, signals and text encoding.
#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

namespace platform {

// ---- Directories -------------------------------------------------------------------------

struct DirEntry {
  std::string name;
  bool isDirectory = false;
};

// Entries of a folder (without "." and ".."), in the order NTFS lists them: names compared
// with ASCII a-z folded to A-Z, ties broken bytewise. Empty when the folder cannot be read.
std::vector<DirEntry> listDirectory(const std::string& dirPath);

// The NTFS listing order of two names (true when a comes first).
bool ntfsNameLess(std::string_view a, std::string_view b);

// GetCurrentDirectoryA.
std::string currentDirectory();

// Turns a path as game data writes it ('\' separators, case-insensitive file system) into an
// existing disk path: '\' becomes '/', and when the exact path does not exist each component is
// matched case-insensitively. Returns the converted path unchanged when nothing matches.
std::string diskPath(std::string_view name);

// Reads at most maxBytes of a file (after diskPath). False when it cannot be opened.
bool readFile(std::string_view name, std::vector<uint8_t>& out, size_t maxBytes = SIZE_MAX);

bool fileExists(std::string_view name);

// ---- Read-only file mapping ----------------------------------------------------------------

// CreateFileA + CreateFileMappingA kept open for the run; a view is mapped per read.
class MappedFile {
 public:
  MappedFile() = default;
  ~MappedFile();
  MappedFile(const MappedFile&) = delete;
  MappedFile& operator=(const MappedFile&) = delete;
  MappedFile(MappedFile&& other) noexcept;
  MappedFile& operator=(MappedFile&& other) noexcept;

  bool open(const std::string& path);  // the file handle
  bool createMapping();                // the mapping handle (read-only, whole file)
  uint64_t size() const { return size_; }
  // Maps a view of the whole file; nullptr on failure. One view at a time.
  const uint8_t* mapView();
  bool unmapView();
  void closeMapping();
  void closeFile();

 private:
  int fd_ = -1;
  bool mapping_ = false;
  uint64_t size_ = 0;
  void* view_ = nullptr;
};

// ---- Single instance -----------------------------------------------------------------------

enum class LockResult { Acquired, AlreadyHeld, Failed };

// An exclusive lock on a lock file, held for the life of the process.
LockResult acquireInstanceLock(const std::string& lockFilePath);
// The lock file of the game executable: named after "Kestrelmoore" in $XDG_RUNTIME_DIR (else
// the temp dir).
std::string desktopLockPath(std::string_view name);
// The lock file of a headless run: in the temp dir, named after the game directory's
// absolute path.
std::string headlessLockPath(const std::string& gameDir);

// ---- Debug sink (OutputDebugStringA) --------------------------------------------------------

// Sends one code page 932 text to the debug sink. Silent unless a sink is installed.
void debugOutput(std::string_view textCp932);
// The sink receives the code page 932 text as given.
void setDebugSink(std::function<void(std::string_view textCp932)> sink);
// A warning: something the engine passes over without a message box (a script, label, tag,
// attribute, picture or sound it could not use; a failed Lua line). One line of code page 932
// text without a line feed. It goes to the warning sink when one is installed and, as a line,
// to the debug sink.
void warningOutput(std::string_view textCp932);
void setWarningSink(std::function<void(std::string_view textCp932)> sink);
// Where the engine is when a warning is raised (the script line being run, "FILE:LINE"):
// prefixed to every warning as "FILE:LINE: " when it gives a text. nullptr: no context.
void setWarningContext(std::function<std::string()> context);

// ---- Memory -------------------------------------------------------------------------------------

// Large blocks (pictures, textures, decoded sounds: 128 KiB and up) come straight from the
// system and go back to it when freed. Without this the C library raises its threshold after
// the first large free and serves later pictures from the main heap, which a long run of loads
// of different sizes fragments without end. Called once at start-up.
void keepLargeBlocksOutOfTheHeap();

// ---- Signals -----------------------------------------------------------------------------------

// Crash signals write "シグナル補足:%d" (caption "シグナル発生") with async-signal-safe writes and
// then take their default action. SIGINT / SIGTERM write the same message and request an
// orderly quit, which interruptRequested() reports (the window then delivers Destroy).
void installSignalHandlers();
bool interruptRequested();

}  // namespace platform
