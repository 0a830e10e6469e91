// The built BrixaQuery library in a host of its own: loaded by name as a Java
// VM would load it, its export called with the fake JNIEnv, and the stand-in
// tovanex found by the system's ordinary library search. Natively this is
// libBrixaQuery.so; on the Windows presets BrixaQuery.dll under Wine, where
// the faults are real structured exceptions and COM is the real one.
//
// The bridge keeps its state for the life of the process, so each scenario
// runs in a process of its own (one CTest entry each), with its own scratch
// directory on the library search path (LMG_BRIDGE_SCRATCH) and load log
// (TOVANEX_LOAD_LOG).
#include <jni.h>

#include <gtest/gtest.h>

#include <atomic>
#include <condition_variable>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <functional>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "platform/com_apartment.h"
#include "platform/library_loader.h"
#include "testing/bridge_java/fake_jni_env.h"

namespace {

namespace fs = std::filesystem;
using Strings = std::vector<std::string>;
using NativeMethod = void JNICALL(JNIEnv*, jobject, jstring, jobjectArray);

const Strings kUnableToLoad{"FALIURE", "Unable to load the tovanex.dll"};
const Strings kUnableToLocate{"FALIURE", "Unable to locate the Query method in the tovanex.dll"};

std::string variable(const char* name) {
  const char* value = std::getenv(name);
  return value != nullptr ? value : "";
}

class BrixaQueryLibrary : public ::testing::Test {
 protected:
  void SetUp() override {
    scratch_ = variable("LMG_BRIDGE_SCRATCH");
    log_ = variable("TOVANEX_LOAD_LOG");
    ASSERT_FALSE(scratch_.empty()) << "LMG_BRIDGE_SCRATCH not set";
    ASSERT_FALSE(log_.empty()) << "TOVANEX_LOAD_LOG not set";
    fs::remove_all(scratch_);
    fs::create_directories(scratch_);
    platform::LibraryHandle library = platform::systemLibraryLoader().loadByName("BrixaQuery");
    ASSERT_NE(library, nullptr) << "BrixaQuery not loadable";
    method_ = reinterpret_cast<NativeMethod*>(platform::systemLibraryLoader().findSymbol(
        library, "Java_com_quorvel_vantry_collectionagent_brixaagent_BrixaQuery_Query"));
    ASSERT_NE(method_, nullptr);
  }

  // Makes the stand-in (or its variant without Query) the tovanex that the
  // library search finds.
  void provide(const char* variantVariable) {
    fs::path source = variable(variantVariable);
    // A new file rather than new bytes in the old one, which may still be
    // mapped somewhere.
    fs::remove(scratch_ / source.filename());
    fs::copy_file(source, scratch_ / source.filename());
  }
  fs::path provided() const { return scratch_ / fs::path(variable("LMG_TOVANEX")).filename(); }

  Strings loadLog() const {
    Strings lines;
    std::ifstream in(log_);
    for (std::string line; std::getline(in, line);) lines.push_back(line);
    return lines;
  }

  Strings ask(const std::string& query, std::size_t length = 2) {
    jobjectArray results = jni_.newArray(length);
    method_(jni_.env(), nullptr, jni_.newString(query), results);
    return {jni_.element(results, 0).value_or("<null>"), jni_.element(results, 1).value_or("<null>")};
  }

  // Runs `work` on a thread of its own and waits for it.
  static void onNewThread(const std::function<void()>& work) { std::thread(work).join(); }

  fs::path scratch_;
  fs::path log_;
  NativeMethod* method_ = nullptr;
  standin::FakeJni jni_;
};

// Holds a thread open (its COM apartment with it) until released.
class ParkedThread {
 public:
  explicit ParkedThread(std::function<void()> work) {
    thread_ = std::thread([this, work] {
      work();
      std::unique_lock<std::mutex> lock(mutex_);
      done_ = true;
      changed_.notify_all();
      changed_.wait(lock, [this] { return released_; });
    });
    std::unique_lock<std::mutex> lock(mutex_);
    changed_.wait(lock, [this] { return done_; });
  }
  ~ParkedThread() {
    {
      std::lock_guard<std::mutex> lock(mutex_);
      released_ = true;
      changed_.notify_all();
    }
    thread_.join();
  }

 private:
  std::mutex mutex_;
  std::condition_variable changed_;
  bool done_ = false;
  bool released_ = false;
  std::thread thread_;
};

TEST_F(BrixaQueryLibrary, RetriesUntilFoundThenNeverLooksAgain) {
  platform::ComLibrary& com = platform::systemComLibrary();
  const bool comPresent = com.currentApartment() != platform::ComApartment::kNotAvailable;
  std::cout << (comPresent ? "COM present: apartments are checked\n" : "no COM on this platform\n");

  // The very first call, on a thread of its own that stays alive: COM is
  // initialised on it, although the load fails.
  platform::ComApartment firstBefore{}, firstAfter{};
  Strings first;
  ParkedThread firstCaller([&] {
    firstBefore = com.currentApartment();
    first = ask("q");
    firstAfter = com.currentApartment();
  });
  EXPECT_EQ(first, kUnableToLoad);
  EXPECT_EQ(ask("q"), kUnableToLoad);

  provide("LMG_TOVANEX_NOQUERY");
  EXPECT_EQ(ask("q"), kUnableToLocate);
  EXPECT_EQ(ask("q"), kUnableToLocate);
  EXPECT_EQ(loadLog(), (Strings{"load", "unload", "load", "unload"}));

  provide("LMG_TOVANEX");
  platform::ComApartment laterBefore{}, laterAfter{};
  Strings later;
  onNewThread([&] {
    laterBefore = com.currentApartment();
    later = ask("hello");
    laterAfter = com.currentApartment();
  });
  EXPECT_EQ(later, (Strings{"hello", "echo"}));
  EXPECT_EQ(loadLog(), (Strings{"load", "unload", "load", "unload", "load"}));

  // Whatever becomes of the file now, the function found stays in use.
  fs::rename(provided(), scratch_ / "moved-away");
  EXPECT_EQ(ask("again"), (Strings{"again", "echo"}));
  provide("LMG_TOVANEX_NOQUERY");
  EXPECT_EQ(ask("still"), (Strings{"still", "echo"}));
  EXPECT_EQ(loadLog().size(), 5u);

  if (comPresent) {
    EXPECT_EQ(firstBefore, platform::ComApartment::kNone);
    EXPECT_EQ(firstAfter, platform::ComApartment::kMultithreaded);
    // Later calls join no apartment themselves; the process's multithreaded
    // apartment, which the first caller keeps open, serves them.
    EXPECT_EQ(laterBefore, platform::ComApartment::kImplicitMultithreaded);
    EXPECT_EQ(laterAfter, platform::ComApartment::kImplicitMultithreaded);
    EXPECT_EQ(com.currentApartment(), platform::ComApartment::kImplicitMultithreaded);
  }
  EXPECT_EQ(jni_.textsOutstanding(), 0);
}

TEST_F(BrixaQueryLibrary, ResultsFromTheRealLibrary) {
  provide("LMG_TOVANEX");
  EXPECT_EQ(ask("hello"), (Strings{"hello", "echo"}));
  EXPECT_EQ(ask(""), (Strings{"", "empty"}));
  EXPECT_EQ(ask("hex:\xC3\xA9\xC0\x80"), (Strings{"C3A9C080", "hex"}));
  EXPECT_EQ(ask("nomsg:text"), (Strings{"text", ""}));
  EXPECT_EQ(ask("status:-7"), (Strings{"status", "status"}));
  std::string letters;
  for (int i = 0; i < 1023; ++i) letters += static_cast<char>('a' + i % 26);
  EXPECT_EQ(ask("len:1023"), (Strings{letters, "len"}));
  EXPECT_EQ(ask("fill"), (Strings{std::string(1024, 'z'), "fill"}));

  jobjectArray five = jni_.newArray(5);
  for (std::size_t i = 0; i < 5; ++i) jni_.setElement(five, i, jni_.newString("kept" + std::to_string(i)));
  method_(jni_.env(), nullptr, jni_.newString("five"), five);
  EXPECT_EQ(jni_.element(five, 0), "five");
  EXPECT_EQ(jni_.element(five, 1), "echo");
  for (std::size_t i = 2; i < 5; ++i) EXPECT_EQ(jni_.element(five, i), "kept" + std::to_string(i));

  EXPECT_EQ(loadLog(), Strings{"load"});
  EXPECT_EQ(jni_.textsOutstanding(), 0);
  EXPECT_EQ(jni_.badReleases(), 0);
}

TEST_F(BrixaQueryLibrary, FaultsInTheLibraryOnAnyThread) {
  provide("LMG_TOVANEX");
  const Strings faults[] = {{"segv", "s"}, {"fpe", "f"}, {"throw", "t"}};
  for (const Strings& fault : faults) {
    SCOPED_TRACE(fault[0]);
    EXPECT_EQ(ask(fault[0]), (Strings{"abc", fault[1]}));
    EXPECT_EQ(ask("after " + fault[0]), (Strings{"after " + fault[0], "echo"}));
  }

  constexpr int kThreads = 6;
  constexpr int kRounds = 40;
  std::atomic<int> mismatches{0};
  std::atomic<bool> go{false};
  std::vector<std::thread> threads;
  for (int t = 0; t < kThreads; ++t) {
    threads.emplace_back([&, t] {
      while (!go.load()) std::this_thread::yield();
      for (int round = 0; round < kRounds; ++round) {
        const Strings& fault = faults[(t + round) % 3];
        if (ask(fault[0]) != Strings{"abc", fault[1]}) ++mismatches;
        std::string echo = "thread " + std::to_string(t) + " round " + std::to_string(round);
        if (ask(echo) != Strings{echo, "echo"}) ++mismatches;
      }
    });
  }
  go = true;
  for (std::thread& thread : threads) thread.join();
  EXPECT_EQ(mismatches.load(), 0);
  EXPECT_EQ(loadLog(), Strings{"load"});
  EXPECT_EQ(jni_.textsOutstanding(), 0);
}

// Many threads make the process's first calls at the same moment.
void firstCallsAtOnce(const std::function<Strings(const std::string&)>& ask,
                      const std::function<Strings(const std::string&)>& expected) {
  constexpr int kThreads = 16;
  std::vector<Strings> got(kThreads);
  std::atomic<bool> go{false};
  std::vector<std::thread> threads;
  for (int t = 0; t < kThreads; ++t) {
    threads.emplace_back([&, t] {
      while (!go.load()) std::this_thread::yield();
      got[t] = ask("first " + std::to_string(t));
    });
  }
  go = true;
  for (std::thread& thread : threads) thread.join();
  for (int t = 0; t < kThreads; ++t) EXPECT_EQ(got[t], expected("first " + std::to_string(t)));
}

TEST_F(BrixaQueryLibrary, ConcurrentFirstCallsWithLoadableLibrary) {
  provide("LMG_TOVANEX");
  firstCallsAtOnce(
      [this](const std::string& q) { return ask(q); },
      [](const std::string& q) { return Strings{q, "echo"}; });
  EXPECT_EQ(loadLog(), Strings{"load"});
}

TEST_F(BrixaQueryLibrary, ConcurrentFirstCallsWithUnloadableLibrary) {
  firstCallsAtOnce(
      [this](const std::string& q) { return ask(q); }, [](const std::string&) { return kUnableToLoad; });
  EXPECT_TRUE(loadLog().empty());
}

TEST_F(BrixaQueryLibrary, ConcurrentFirstCallsWithLibraryWithoutQuery) {
  provide("LMG_TOVANEX_NOQUERY");
  firstCallsAtOnce(
      [this](const std::string& q) { return ask(q); }, [](const std::string&) { return kUnableToLocate; });
  // Every call loaded the library and freed it again before the next load.
  Strings expected;
  for (int t = 0; t < 16; ++t) {
    expected.push_back("load");
    expected.push_back("unload");
  }
  EXPECT_EQ(loadLog(), expected);
}

}  // namespace
