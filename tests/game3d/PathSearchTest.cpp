// Tests of the grid path search: expansion order, paths, validation, the grid layout and the
// search thread's lifetime.
#include "game3d/PathSearch.h"

#include <gtest/gtest.h>

#include <chrono>
#include <cmath>
#include <condition_variable>
#include <limits>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "platform/Encoding.h"
#include "platform/Platform.h"
#include "platform/System.h"

namespace game3d {
namespace {

using namespace std::chrono_literals;

const std::string kCalculating = "計算中・・・\n";

// Collects the debug lines (as UTF-8) from any thread. In slow mode it also holds the search
// thread back, a 2 ms sleep per "計算中" line until released, so a test can act while a search
// is known to run. The platform serialises its sink, so the thread never waits here for the
// test itself: a test call writing a debug line would wait for it in turn.
class DebugCapture {
 public:
  explicit DebugCapture(bool slowSearch = false) : slow_(slowSearch), mainThread_(std::this_thread::get_id()) {
    platform::setDebugSink([this](std::string_view textCp932) {
      const std::string text = platform::cp932ToUtf8(textCp932);
      bool sleep = false;
      {
        std::lock_guard lock(mutex_);
        lines_.push_back(text);
        if (std::this_thread::get_id() != mainThread_ && text == kCalculating) {
          stepped_ = true;
          changed_.notify_all();
          sleep = slow_;
        }
      }
      if (sleep) std::this_thread::sleep_for(2ms);
    });
  }
  ~DebugCapture() { platform::setDebugSink(nullptr); }
  bool waitForFirstStep() {
    std::unique_lock lock(mutex_);
    return changed_.wait_for(lock, 10s, [this] { return stepped_; });
  }
  void release() {
    std::lock_guard lock(mutex_);
    slow_ = false;
  }
  std::vector<std::string> all(bool withSteps = true) {
    std::lock_guard lock(mutex_);
    std::vector<std::string> kept;
    for (const std::string& line : lines_)
      if (withSteps || line != kCalculating) kept.push_back(line);
    return kept;
  }

 private:
  bool slow_;
  std::thread::id mainThread_;
  std::mutex mutex_;
  std::condition_variable changed_;
  bool stepped_ = false;
  std::vector<std::string> lines_;
};

// A map drawn as rows (y down, x across): '#' blocked, '.' free. One world unit per cell.
struct Map {
  std::vector<std::string> rows;
  int32_t width() const { return static_cast<int32_t>(rows[0].size()); }
  int32_t height() const { return static_cast<int32_t>(rows.size()); }
};

std::vector<uint8_t> Attributes(const Map& map) {
  std::vector<uint8_t> attributes(static_cast<size_t>(map.width() * map.height()));
  for (int32_t y = 0; y < map.height(); ++y)
    for (int32_t x = 0; x < map.width(); ++x)
      attributes[static_cast<size_t>(y + x * map.height())] = map.rows[y][x] == '#' ? 1 : 0;
  return attributes;
}

void LoadMap(PathSearch& search, const Map& map) {
  ASSERT_EQ(search.SetUpPathGrid(Attributes(map), map.width(), map.height(), static_cast<float>(map.width()),
                                 static_cast<float>(map.height())),
            platform::result::Ok);
}

// Starts a search between two cell centres (one world unit per cell).
bool Start(PathSearch& search, CellPoint from, CellPoint to) {
  const auto at = [&](CellPoint p) {
    return MapPosition{static_cast<float>(p.x) + 0.5f - static_cast<float>(search.width) / 2,
                       static_cast<float>(search.height) / 2 - static_cast<float>(p.y) - 0.5f};
  };
  return search.StartPathSearch(at(from), at(to));
}

void WaitUntilIdle(const PathSearch& search) {
  const auto deadline = std::chrono::steady_clock::now() + 20s;
  while (search.running && std::chrono::steady_clock::now() < deadline) std::this_thread::sleep_for(1ms);
  ASSERT_FALSE(search.running) << "the search did not finish";
}

// An open field with the goal walled in: the search has to close every reachable cell.
Map EnclosedGoal(int32_t size) {
  Map map{std::vector<std::string>(static_cast<size_t>(size), std::string(static_cast<size_t>(size), '.'))};
  const int32_t g = size - 3;
  for (int32_t d = -1; d <= 1; ++d) {
    map.rows[g - 1][g + d] = '#';
    map.rows[g + 1][g + d] = '#';
    map.rows[g + d][g - 1] = '#';
    map.rows[g + d][g + 1] = '#';
  }
  return map;
}

// ---- Paths --------------------------------------------------------------------------------

TEST(PathSearch, GoalBesideTheStartGivesThePathOfTheStartCellAlone) {
  struct Case {
    CellPoint start, goal;
  };
  const Case cases[] = {{{2, 2}, {1, 2}}, {{2, 2}, {2, 3}}, {{2, 2}, {1, 1}}, {{0, 0}, {1, 1}}, {{4, 4}, {3, 4}}};
  for (const Case& c : cases) {
    SCOPED_TRACE(testing::Message() << c.start.x << "," << c.start.y << " -> " << c.goal.x << "," << c.goal.y);
    DebugCapture debug;
    PathSearch search;
    LoadMap(search, {{".....", ".....", ".....", ".....", "....."}});
    ASSERT_TRUE(Start(search, c.start, c.goal));
    WaitUntilIdle(search);
    ASSERT_TRUE(search.IsPathReady());
    EXPECT_EQ(search.path, std::vector<CellPoint>{c.start});
    EXPECT_TRUE(search.expanded.empty());
    EXPECT_EQ(search.CellAt(c.goal).state, cell::GoalReached);
    EXPECT_TRUE(search.CellAt(c.goal).onPath);
    const std::string s = std::to_string(c.start.x) + ": " + std::to_string(c.start.y);
    const std::string g = std::to_string(c.goal.x) + ": " + std::to_string(c.goal.y);
    EXPECT_EQ(debug.all(),
              (std::vector<std::string>{s + "    from(" + s + ") to(" + g + ")\n", "Aスターのパスを取得できる\n"}));
  }
}

TEST(PathSearch, OpenCellsKeepTheirFirstParentSoThePathIsNotTheShortest) {
  // From S=(0,1) to G=(3,0):   . . # G
  //                            S . . #
  //                            . . . #
  // The start opens (1,1) f=1+2*sqrt5=5.472 and (1,0) f=sqrt2+4=5.414, among others. (1,0) is
  // expanded first and opens (2,1) at cost 2*sqrt2 (f=5.657). (1,1) comes next and would reach
  // (2,1) at cost 2, but (2,1) is already open and keeps its parent. (2,1) is expanded third
  // and finds the goal: the path runs S -> (1,0) -> (2,1) -> G (3 diagonals, 4.24) instead of
  // S -> (1,1) -> (2,1) -> G (3.41).
  DebugCapture debug;
  PathSearch search;
  LoadMap(search, {{"..#.", "...#", "...#"}});
  ASSERT_TRUE(Start(search, {0, 1}, {3, 0}));
  WaitUntilIdle(search);
  ASSERT_TRUE(search.IsPathReady());
  EXPECT_EQ(search.expanded, (std::vector<CellPoint>{{1, 0}, {1, 1}, {2, 1}}));
  EXPECT_EQ(search.path, (std::vector<CellPoint>{{2, 1}, {1, 0}, {0, 1}}));
  EXPECT_EQ(search.openList, (std::vector<CellPoint>{{1, 1}, {0, 0}, {0, 2}, {1, 0}, {1, 2}, {2, 1}, {2, 2}}));
  EXPECT_FLOAT_EQ(search.CellAt({2, 1}).costFromStart, 2 * std::sqrt(2.0f));
  EXPECT_TRUE(search.CellAt({1, 0}).onPath);
  EXPECT_FALSE(search.CellAt({1, 1}).onPath);
  EXPECT_EQ(debug.all(), (std::vector<std::string>{kCalculating, kCalculating, kCalculating,
                                                   "2: 1    from(0: 1) to(3: 0)\n", "1: 0    from(0: 1) to(3: 0)\n",
                                                   "0: 1    from(0: 1) to(3: 0)\n", "Aスターのパスを取得できる\n"}));
}

TEST(PathSearch, EqualTotalsGoToTheEarlierOpenEntry) {
  // From (1,1) to (1,4) round a short wall: the start opens (0,2) and (2,2) with equal totals
  // (sqrt2 + 2*sqrt5); (0,2) was appended first, is expanded first, and the path goes down the
  // left side.
  DebugCapture debug;
  PathSearch search;
  LoadMap(search, {{"...", "...", ".#.", ".#.", "..."}});
  ASSERT_TRUE(Start(search, {1, 1}, {1, 4}));
  WaitUntilIdle(search);
  ASSERT_TRUE(search.IsPathReady());
  EXPECT_EQ(search.CellAt({0, 2}).total, search.CellAt({2, 2}).total);
  EXPECT_EQ(search.expanded, (std::vector<CellPoint>{{0, 2}, {0, 3}}));
  EXPECT_EQ(search.path, (std::vector<CellPoint>{{0, 3}, {0, 2}, {1, 1}}));
}

TEST(PathSearch, EnclosedGoalFailsAndLeavesTheGridReset) {
  DebugCapture debug;
  PathSearch search;
  LoadMap(search, EnclosedGoal(9));
  ASSERT_TRUE(Start(search, {0, 0}, {6, 6}));
  WaitUntilIdle(search);
  EXPECT_FALSE(search.IsPathReady());
  EXPECT_TRUE(search.path.empty() && search.openList.empty() && search.expanded.empty());
  for (const PathCell& c : search.cells) {
    EXPECT_TRUE(c.state == cell::Free || c.state == cell::Blocked);
    EXPECT_EQ(c.total, 0.0f);
    EXPECT_FALSE(c.onPath);
  }
  // Every free cell outside the wall but the start was chosen once.
  EXPECT_EQ(debug.all(false), std::vector<std::string>{});
  EXPECT_EQ(debug.all().size(), static_cast<size_t>(9 * 9 - 8 - 1 - 1));
}

TEST(PathSearch, RectangularGridsKeepTheirCellsApart) {
  // A wall with one gap, in both orientations: each cell of the path must be a free step from
  // the one before, so a mix-up of width and height shows as a step through a wall or off the map.
  const Map wide{{".......", "...#...", "...#...", "...#..."}};
  const Map tall{{"....", "....", "....", "###.", "....", "....", "...."}};
  struct Case {
    Map map;
    CellPoint start, goal;
  };
  const Case cases[] = {{wide, {0, 3}, {6, 3}}, {tall, {0, 0}, {0, 6}}, {wide, {6, 1}, {1, 3}}};
  for (const Case& c : cases) {
    DebugCapture debug;
    PathSearch search;
    LoadMap(search, c.map);
    ASSERT_TRUE(Start(search, c.start, c.goal));
    WaitUntilIdle(search);
    ASSERT_TRUE(search.IsPathReady());
    ASSERT_FALSE(search.path.empty());
    EXPECT_EQ(search.path.back(), c.start);
    CellPoint previous = c.goal;
    for (const CellPoint& p : search.path) {
      ASSERT_TRUE(search.IsInsideGrid(p));
      EXPECT_EQ(c.map.rows[p.y][p.x], '.') << p.x << "," << p.y;
      EXPECT_LE(std::abs(p.x - previous.x), 1);
      EXPECT_LE(std::abs(p.y - previous.y), 1);
      previous = p;
    }
  }
}

TEST(PathSearch, AttributeGridSharesTheCellLayout) {
  // Cell (x, y) takes the attribute at y + x * height; only attribute 1 blocks.
  DebugCapture debug;
  PathSearch search;
  const std::vector<uint8_t> attributes = {0, 2, 0, 255, 1, 0};  // width 3, height 2
  ASSERT_EQ(search.SetUpPathGrid(attributes, 3, 2, 3.0f, 2.0f), platform::result::Ok);
  EXPECT_EQ(search.CellAt({2, 0}).state, cell::Blocked);
  EXPECT_EQ(search.CellAt({0, 1}).state, cell::Free);
  EXPECT_EQ(search.CellAt({1, 1}).state, cell::Free);
  EXPECT_FALSE(Start(search, {0, 0}, {2, 0}));
  EXPECT_EQ(debug.all(), std::vector<std::string>{"Aスター設定のゴール地点が進入不可の場所だった: 2, 0\n"});
}

// ---- Validation and bad input --------------------------------------------------------------------

TEST(PathSearch, InvalidRequestsAreReportedAndStartNothing) {
  const Map map{{"....", ".#..", "...."}};  // width 4, height 3
  struct Case {
    const char* name;
    MapPosition start, goal;  // world positions on the 4 x 3 map
    std::string line;
  };
  const Case cases[] = {
      {"goal past +x", {-1.5f, 0}, {2.0f, 0}, "Aスター設定のゴール地点がマップ範囲外だった: 4, 1\n"},
      {"goal past +z", {-1.5f, 0}, {0, 1.5f}, "Aスター設定のゴール地点がマップ範囲外だった: 2, -1\n"},
      {"goal blocked", {-1.5f, 0}, {-0.5f, 0}, "Aスター設定のゴール地点が進入不可の場所だった: 1, 1\n"},
      {"goal outside before start outside", {9, 9}, {9, -9}, "Aスター設定のゴール地点がマップ範囲外だった: 11, 9\n"},
      {"goal blocked before start outside",
       {9, 9},
       {-0.5f, 0},
       "Aスター設定のゴール地点が進入不可の場所だった: 1, 1\n"},
      {"start outside", {-3.0f, 0}, {1.5f, 0}, "Aスター設定のスタート地点がマップ範囲外だった: -1, 1\n"},
      {"start NaN", {std::nanf(""), 0}, {1.5f, 0}, "Aスター設定のスタート地点がマップ範囲外だった: -1, 1\n"},
      {"start far away", {1.0e30f, -1.0e30f}, {1.5f, 0}, "Aスター設定のスタート地点がマップ範囲外だった: -1, 3\n"},
      {"start blocked", {-0.5f, 0}, {1.5f, 0}, "Aスター設定のスタート地点が進入不可の場所だった: 1, 1\n"},
      {"start is the goal", {1.2f, 0.2f}, {1.8f, -0.4f}, "Aスター設定のスタート地点とゴール地点が同じだった: 3, 1\n"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    DebugCapture debug;
    PathSearch search;
    LoadMap(search, map);
    // A finished search first: a refused request must not leave its path looking ready.
    ASSERT_TRUE(Start(search, {0, 0}, {3, 2}));
    WaitUntilIdle(search);
    ASSERT_TRUE(search.found);
    const auto before = debug.all().size();

    EXPECT_FALSE(search.StartPathSearch(c.start, c.goal));
    EXPECT_FALSE(search.running);
    EXPECT_FALSE(search.IsPathReady());
    const auto lines = debug.all();
    ASSERT_EQ(lines.size(), before + 1);
    EXPECT_EQ(lines.back(), c.line);
  }
}

TEST(PathSearch, WorldToCellAtTheMapEdges) {
  // 8 x 4 cells over a 16 x 8 map: two world units per cell, x from -8 to 8, z from -4 to 4
  // with row 0 at +z. Conversions truncate toward zero, so a sliver beyond the -x and -z edges
  // still lands in the first column and the last row.
  PathSearch search;
  ASSERT_EQ(search.SetUpPathGrid(std::vector<uint8_t>(32), 8, 4, 16.0f, 8.0f), platform::result::Ok);
  struct Case {
    MapPosition world;
    CellPoint cell;
  };
  const Case cases[] = {
      {{-8.0f, -4.0f}, {0, 3}},  {{7.99f, 3.99f}, {7, 0}},  {{8.0f, 0.0f}, {8, 1}},
      {{0.0f, 4.0f}, {4, -1}},   {{-8.5f, -4.5f}, {0, 3}},  {{-10.0f, -6.0f}, {-1, 4}},
      {{-6.01f, 2.01f}, {0, 0}}, {{-5.99f, 1.99f}, {1, 1}}, {{0.0f, 0.0f}, {4, 1}},
  };
  for (const Case& c : cases) {
    const CellPoint cell = search.WorldToCell(c.world);
    EXPECT_EQ(cell, c.cell) << "world " << c.world.x << "," << c.world.z << " gave " << cell.x << "," << cell.y;
  }
}

TEST(PathSearch, BadGridsAreRefusedAndDropTheOldGrid) {
  struct Case {
    const char* name;
    size_t attributeCount;
    int32_t width, height;
    float mapWidth, mapDepth;
    std::string line;
  };
  const float nan = std::numeric_limits<float>::quiet_NaN();
  const Case cases[] = {
      {"zero-sized", 0, 0, 0, 4, 4, "Aスターのグリッドの大きさが不正だった: 0, 0\n"},
      {"no rows", 16, 4, 0, 4, 4, "Aスターのグリッドの大きさが不正だった: 4, 0\n"},
      {"negative", 16, -4, -4, 4, 4, "Aスターのグリッドの大きさが不正だった: -4, -4\n"},
      {"index overflow", 16, 65536, 65536, 4, 4, "Aスターのグリッドの大きさが不正だった: 65536, 65536\n"},
      {"short attributes", 15, 4, 4, 4, 4, "Aスターの属性データが足りなかった: 15 / 16\n"},
      {"flat map", 16, 4, 4, 0, 4, "Aスターのマップの大きさが不正だった\n"},
      {"NaN map", 16, 4, 4, 4, nan, "Aスターのマップの大きさが不正だった\n"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    DebugCapture debug;
    PathSearch search;
    LoadMap(search, {{"....", "....", "....", "...."}});
    EXPECT_EQ(search.SetUpPathGrid(std::vector<uint8_t>(c.attributeCount), c.width, c.height, c.mapWidth, c.mapDepth),
              platform::result::InvalidArg);
    EXPECT_FALSE(search.StartPathSearch({-1.5f, 1.5f}, {1.5f, -1.5f}));
    EXPECT_FALSE(search.running);
    EXPECT_EQ(debug.all(), (std::vector<std::string>{c.line, "Aスターのグリッドが設定されていない\n"}));
  }
}

// ---- The search thread --------------------------------------------------------------------

TEST(PathSearch, SecondStartAndNewGridAreRefusedWhileASearchRuns) {
  const Map map = EnclosedGoal(20);
  struct Case {
    const char* name;
    bool (*refusedCall)(PathSearch&, const Map&);
    std::string line;
  };
  const Case cases[] = {
      {"second start",
       [](PathSearch& s, const Map&) {
         return !Start(s, {0, 0}, {19, 19});
       },
       "Aスタースレッド起動中に起動しようとした\n"},
      {"new grid",
       [](PathSearch& s, const Map& m) {
         return s.SetUpPathGrid(Attributes(m), m.width(), m.height(), 20.0f, 20.0f) == platform::result::Fail;
       },
       "Aスター探索中にグリッドを設定しようとした\n"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    // About 390 steps of 2 ms each: the search runs for most of a second unless released. The
    // call under test decides at once; its debug line may wait for the sink a while.
    DebugCapture debug(true);
    PathSearch search;
    LoadMap(search, map);
    ASSERT_TRUE(Start(search, {0, 0}, {17, 17}));
    ASSERT_TRUE(debug.waitForFirstStep());
    EXPECT_TRUE(c.refusedCall(search, map));
    debug.release();
    WaitUntilIdle(search);
    EXPECT_EQ(search.goal, (CellPoint{17, 17}));
    EXPECT_FALSE(search.IsPathReady());
    EXPECT_EQ(debug.all(false), std::vector<std::string>{c.line});

    // Once it has ended, the next request starts normally.
    EXPECT_TRUE(Start(search, {0, 0}, {19, 19}));
    WaitUntilIdle(search);
    EXPECT_TRUE(search.IsPathReady());
  }
}

TEST(PathSearch, APollRightAfterTheStartNeverSeesAnUnfinishedSearchAsOver) {
  PathSearch search;
  LoadMap(search, {{std::string(64, '.')}});
  for (int i = 0; i < 20; ++i) {
    ASSERT_TRUE(Start(search, {0, 0}, {63, 0}));
    // This search always succeeds: once `running` is down, `found` must be up.
    EXPECT_TRUE(search.running || search.found);
    WaitUntilIdle(search);
    EXPECT_TRUE(search.found);
  }
}

TEST(PathSearch, DestroyedWhileOrAfterASearchRuns) {
  for (int i = 0; i < 3; ++i) {
    PathSearch search;
    LoadMap(search, EnclosedGoal(400));
    ASSERT_TRUE(Start(search, {0, 0}, {397, 397}));
    // Destroyed at once: the destructor stops the search and waits for its thread.
  }
  PathSearch finished;
  LoadMap(finished, {{"...", "...", "..."}});
  ASSERT_TRUE(Start(finished, {0, 0}, {2, 2}));
  WaitUntilIdle(finished);
}

// ---- Path extraction ----------------------------------------------------------------------

TEST(PathSearch, ExtractionStopsOnLinksThatNeverReachTheStart) {
  struct Case {
    const char* name;
    std::vector<std::pair<CellPoint, CellPoint>> links;  // cell -> parent
  };
  const Case cases[] = {
      {"loop", {{{2, 2}, {1, 1}}, {{1, 1}, {2, 1}}, {{2, 1}, {2, 2}}}},
      {"off the grid", {{{2, 2}, {1, 1}}, {{1, 1}, {-1, 5}}}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    DebugCapture debug;
    platform::clearMessageBoxLog();
    PathSearch search;
    LoadMap(search, {{"...", "...", "..."}});
    search.start = {0, 0};
    search.goal = {2, 2};
    for (const auto& [at, parent] : c.links) {
      search.CellAt(at).parentX = parent.x;
      search.CellAt(at).parentY = parent.y;
    }
    // On a worker thread, as the search runs it; the box waits for the main thread's next frame.
    std::thread([&search] { search.ExtractPath(); }).join();
    EXPECT_LE(search.path.size(), 9u);
    EXPECT_TRUE(platform::messageBoxLog().empty());
    platform::showPostedMessageBoxes();
    ASSERT_EQ(platform::messageBoxLog().size(), 1u);
    EXPECT_EQ(platform::messageBoxLog()[0].textUtf8,
              "親のリンクがスタート地点まで繋がっていないか、リンクが循環しています");
  }
}

}  // namespace
}  // namespace game3d
