// The query bridge against fakes: the Java side, the library loader, the
// fault guard and COM. Faults of the processor and the real system are
// exercised in brixa_query_library_test and with a real Java VM.
#include "querybridge/query_bridge.h"

#include <gtest/gtest.h>

#include <atomic>
#include <cstring>
#include <memory>
#include <string>
#include <thread>
#include <vector>

#include "platform/fake_platform.h"
#include "testing/bridge_java/fake_jni_env.h"

namespace querybridge {
namespace {

using Strings = std::vector<std::string>;

class RecordingGuard : public platform::FaultGuard {
 public:
  explicit RecordingGuard(platform::CallLog& log) : log_(log) {}
  platform::GuardedCallEnd run(void (*body)(void*), void* context) noexcept override {
    log_.add("guard.run");
    try {
      body(context);
    } catch (...) {
      return platform::GuardedCallEnd::kThrew;
    }
    return platform::GuardedCallEnd::kReturned;
  }

 private:
  platform::CallLog& log_;
};

class RecordingCom : public platform::ComLibrary {
 public:
  explicit RecordingCom(platform::CallLog& log) : log_(log) {}
  void joinMultithreadedApartment() override {
    ++joins;
    log_.add("com.join");
  }
  platform::ComApartment currentApartment() override { return platform::ComApartment::kNotAvailable; }
  std::atomic<int> joins{0};

 private:
  platform::CallLog& log_;
};

// What the external function found on entry, for the single-threaded tests.
struct Entry {
  std::string query;
  bool messageWasNull = false;
  std::int32_t status = -1;
  int calls = 0;
};
Entry gEntry;

void record(const char* query, const char** message, std::int32_t* status) {
  gEntry.query = query;
  gEntry.messageWasNull = *message == nullptr;
  gEntry.status = *status;
  ++gEntry.calls;
}

int echoQuery(const char* query, char* result, const char** message, std::int32_t* status) {
  record(query, message, status);
  std::strcpy(result, query);
  *message = "echo";
  return 0;
}

int statusAndReturnSet(const char* query, char* result, const char** message, std::int32_t* status) {
  record(query, message, status);
  std::strcpy(result, "r");
  *message = "m";
  *status = -12345;
  return 77;
}

int messageLeftNull(const char* query, char* result, const char** message, std::int32_t* status) {
  record(query, message, status);
  std::strcpy(result, "r");
  return 0;
}

int fillsWithoutTerminator(const char* query, char* result, const char** message, std::int32_t* status) {
  record(query, message, status);
  std::memset(result, 'z', kResultBufferSize);
  *message = "m";
  return 0;
}

int longestResult(const char* query, char* result, const char** message, std::int32_t* status) {
  record(query, message, status);
  std::memset(result, 'q', kResultBufferSize - 1);
  result[kResultBufferSize - 1] = '\0';
  *message = "m";
  return 0;
}

int abcThenThrows(const char* query, char* result, const char** message, std::int32_t* status) {
  record(query, message, status);
  std::strcpy(result, "abc");
  *message = "x";
  throw 42;  // not even a std::exception
}

int throwsBeforeWriting(const char* query, char* /*result*/, const char** message, std::int32_t* status) {
  record(query, message, status);
  throw std::string("early");
}

class QueryBridgeTest : public ::testing::Test {
 protected:
  QueryBridgeTest() { gEntry = Entry{}; }

  void provideLibrary(ExternalQuery* function) {
    loader.addLibrary("tovanex", {{"Query", reinterpret_cast<void*>(function)}});
  }

  // Calls the bridge with `query` and a fresh array of `length` elements;
  // returns elements 0 and 1.
  Strings ask(const std::string& query, std::size_t length = 2) {
    jobjectArray results = jni.newArray(length);
    bridge.query(jni.env(), jni.newString(query), results);
    return {jni.element(results, 0).value_or("<null>"), jni.element(results, 1).value_or("<null>")};
  }

  platform::CallLog log;
  platform::FakeLibraryLoader loader{log};
  RecordingGuard guard{log};
  RecordingCom com{log};
  standin::FakeJni jni;
  QueryBridge bridge{loader, guard, com};
};

TEST_F(QueryBridgeTest, FailedLoadIsReportedAndTriedAgainUntilTheLibraryComes) {
  EXPECT_EQ(ask("q"), (Strings{"FALIURE", "Unable to load the tovanex.dll"}));
  EXPECT_EQ(ask("q"), (Strings{"FALIURE", "Unable to load the tovanex.dll"}));
  provideLibrary(&echoQuery);
  EXPECT_EQ(ask("q"), (Strings{"q", "echo"}));
  EXPECT_EQ(ask("again"), (Strings{"again", "echo"}));
  // COM once, first of all, even though the load then failed; once the
  // function is known nothing is loaded or looked up again.
  EXPECT_EQ(log.entries(), (Strings{"com.join", "library.loadByName tovanex", "library.loadByName tovanex",
                                    "library.loadByName tovanex", "library.findSymbol tovanex Query",
                                    "guard.run", "guard.run"}));
}

TEST_F(QueryBridgeTest, LibraryWithoutQueryIsLoadedAndFreedOnEveryCall) {
  loader.addLibrary("tovanex", {{"Other", reinterpret_cast<void*>(&echoQuery)}});
  const Strings unableToLocate{"FALIURE", "Unable to locate the Query method in the tovanex.dll"};
  EXPECT_EQ(ask("q"), unableToLocate);
  EXPECT_EQ(ask("q"), unableToLocate);
  EXPECT_EQ(log.entries(), (Strings{"com.join", "library.loadByName tovanex", "library.findSymbol tovanex Query",
                                    "library.unload tovanex", "library.loadByName tovanex",
                                    "library.findSymbol tovanex Query", "library.unload tovanex"}));
  EXPECT_EQ(gEntry.calls, 0);
}

struct Outcome {
  const char* name;
  ExternalQuery* function;
  std::string query;
  Strings elements;
};

TEST_F(QueryBridgeTest, ElementsComeFromTheBufferAndTheMessageWhateverTheFunctionDid) {
  const std::string z1024(kResultBufferSize, 'z');
  const std::string q1023(kResultBufferSize - 1, 'q');
  const Outcome outcomes[] = {
      {"returns", &echoQuery, "hello", {"hello", "echo"}},
      {"empty query", &echoQuery, "", {"", "echo"}},
      {"modified UTF-8 passes unchanged", &echoQuery, "\xC3\xA9\xC0\x80\xED\xA0\xBD\xED\xB8\x80",
       {"\xC3\xA9\xC0\x80\xED\xA0\xBD\xED\xB8\x80", "echo"}},
      {"status and return value are ignored", &statusAndReturnSet, "s", {"r", "m"}},
      {"message never set", &messageLeftNull, "n", {"r", ""}},
      {"buffer without terminator", &fillsWithoutTerminator, "f", {z1024, "m"}},
      {"1023-byte result", &longestResult, "l", {q1023, "m"}},
      {"throws after writing", &abcThenThrows, "t", {"abc", "x"}},
      {"throws before writing", &throwsBeforeWriting, "e", {"", ""}},
  };
  for (const Outcome& outcome : outcomes) {
    SCOPED_TRACE(outcome.name);
    platform::CallLog callLog;
    platform::FakeLibraryLoader libraries{callLog};
    libraries.addLibrary("tovanex", {{"Query", reinterpret_cast<void*>(outcome.function)}});
    QueryBridge fresh{libraries, guard, com};
    gEntry = Entry{};
    jobjectArray results = jni.newArray(2);
    fresh.query(jni.env(), jni.newString(outcome.query), results);
    EXPECT_EQ(jni.element(results, 0), outcome.elements[0]);
    EXPECT_EQ(jni.element(results, 1), outcome.elements[1]);
    EXPECT_EQ(gEntry.calls, 1);
    EXPECT_EQ(gEntry.query, outcome.query);
    EXPECT_TRUE(gEntry.messageWasNull);
    EXPECT_EQ(gEntry.status, 0);
  }
}

TEST_F(QueryBridgeTest, EveryPathMakesBothStringsThenStoresThemAndHandsTheQueryBack) {
  ask("load fails");
  loader.addLibrary("tovanex", {});
  ask("lookup fails");
  platform::CallLog otherLog;
  platform::FakeLibraryLoader withQuery{otherLog};
  withQuery.addLibrary("tovanex", {{"Query", reinterpret_cast<void*>(&abcThenThrows)}});
  QueryBridge faulting{withQuery, guard, com};
  faulting.query(jni.env(), jni.newString("throws"), jni.newArray(2));
  EXPECT_EQ(jni.calls(),
            (Strings{"GetStringUTFChars load fails", "NewStringUTF FALIURE",
                     "NewStringUTF Unable to load the tovanex.dll", "SetObjectArrayElement 0 FALIURE",
                     "SetObjectArrayElement 1 Unable to load the tovanex.dll", "ReleaseStringUTFChars load fails",
                     "GetStringUTFChars lookup fails", "NewStringUTF FALIURE",
                     "NewStringUTF Unable to locate the Query method in the tovanex.dll",
                     "SetObjectArrayElement 0 FALIURE",
                     "SetObjectArrayElement 1 Unable to locate the Query method in the tovanex.dll",
                     "ReleaseStringUTFChars lookup fails", "GetStringUTFChars throws", "NewStringUTF abc",
                     "NewStringUTF x", "SetObjectArrayElement 0 abc", "SetObjectArrayElement 1 x",
                     "ReleaseStringUTFChars throws"}));
  EXPECT_EQ(jni.textsOutstanding(), 0);
  EXPECT_EQ(jni.badReleases(), 0);
}

TEST_F(QueryBridgeTest, ElementsFromIndexTwoOnAreLeftAlone) {
  provideLibrary(&echoQuery);
  jobjectArray results = jni.newArray(5);
  for (std::size_t i = 0; i < 5; ++i) jni.setElement(results, i, jni.newString("before" + std::to_string(i)));
  bridge.query(jni.env(), jni.newString("five"), results);
  EXPECT_EQ(jni.element(results, 0), "five");
  EXPECT_EQ(jni.element(results, 1), "echo");
  for (std::size_t i = 2; i < 5; ++i) EXPECT_EQ(jni.element(results, i), "before" + std::to_string(i));
}

TEST_F(QueryBridgeTest, AfterAnExceptionTheNextCallCallsTheFunctionAgain) {
  provideLibrary(&abcThenThrows);
  EXPECT_EQ(ask("1"), (Strings{"abc", "x"}));
  EXPECT_EQ(ask("2"), (Strings{"abc", "x"}));
  EXPECT_EQ(gEntry.calls, 2);
  EXPECT_EQ(gEntry.query, "2");
  EXPECT_EQ(log.entries(), (Strings{"com.join", "library.loadByName tovanex", "library.findSymbol tovanex Query",
                                    "guard.run", "guard.run"}));
}

// A loader that notices set-up steps running at the same time, use of a
// handle after it was freed, and calls into a freed library.
class RaceCheckingLoader : public platform::LibraryLoader {
 public:
  enum class Library { kLoadable, kUnloadable, kWithoutQuery };
  explicit RaceCheckingLoader(Library library) : library_(library) {}

  platform::LibraryHandle load(const std::string&) override { return nullptr; }
  platform::LibraryHandle loadByName(const std::string&) override {
    Step step(*this);
    ++loads;
    if (library_ == Library::kUnloadable) return nullptr;
    ++references;
    return this;
  }
  void* findSymbol(platform::LibraryHandle, const char*) override {
    Step step(*this);
    if (references <= 0) ++usedWhileFreed;
    return library_ == Library::kLoadable ? reinterpret_cast<void*>(&checkedEcho) : nullptr;
  }
  void unload(platform::LibraryHandle) override {
    Step step(*this);
    if (references <= 0) ++usedWhileFreed;
    --references;
    ++unloads;
  }
  const std::vector<std::string>& modernVmLibraryLayouts() override { return layouts_; }

  std::atomic<int> loads{0};
  std::atomic<int> unloads{0};
  std::atomic<int> references{0};
  std::atomic<int> overlaps{0};
  std::atomic<int> usedWhileFreed{0};
  static RaceCheckingLoader* active;

 private:
  // Each step lingers a moment so that overlapping steps would meet.
  struct Step {
    explicit Step(RaceCheckingLoader& loader) : loader_(loader) {
      if (loader_.inside_.fetch_add(1) != 0) ++loader_.overlaps;
      for (int i = 0; i < 200; ++i) std::this_thread::yield();
    }
    ~Step() { loader_.inside_.fetch_sub(1); }
    RaceCheckingLoader& loader_;
  };

  static int checkedEcho(const char* query, char* result, const char** message, std::int32_t*) {
    if (active->references.load() <= 0) ++active->usedWhileFreed;
    std::strcpy(result, query);
    *message = "echo";
    return 0;
  }

  Library library_;
  std::atomic<int> inside_{0};
  std::vector<std::string> layouts_;
};
RaceCheckingLoader* RaceCheckingLoader::active = nullptr;

struct FirstCallsCase {
  const char* name;
  RaceCheckingLoader::Library library;
  bool succeeds;
  const char* reason;
  int loads;
  int unloads;
};

TEST(QueryBridgeConcurrencyTest, ManyFirstCallsAtOnceSetUpOnceAndEachGetsItsOwnPair) {
  constexpr int kThreads = 16;
  const FirstCallsCase cases[] = {
      {"loadable", RaceCheckingLoader::Library::kLoadable, true, nullptr, 1, 0},
      {"unloadable", RaceCheckingLoader::Library::kUnloadable, false, kUnableToLoad, kThreads, 0},
      {"without Query", RaceCheckingLoader::Library::kWithoutQuery, false, kUnableToLocate, kThreads, kThreads},
  };
  for (const FirstCallsCase& c : cases) {
    SCOPED_TRACE(c.name);
    platform::CallLog log;
    RaceCheckingLoader loader(c.library);
    RaceCheckingLoader::active = &loader;
    RecordingGuard guard(log);
    RecordingCom com(log);
    standin::FakeJni jni;
    QueryBridge bridge(loader, guard, com);

    std::vector<jstring> queries;
    std::vector<jobjectArray> results;
    for (int i = 0; i < kThreads; ++i) {
      queries.push_back(jni.newString("thread " + std::to_string(i)));
      results.push_back(jni.newArray(2));
    }
    std::atomic<bool> go{false};
    std::vector<std::thread> threads;
    for (int i = 0; i < kThreads; ++i) {
      threads.emplace_back([&, i] {
        while (!go.load()) std::this_thread::yield();
        bridge.query(jni.env(), queries[i], results[i]);
      });
    }
    go = true;
    for (std::thread& thread : threads) thread.join();

    for (int i = 0; i < kThreads; ++i) {
      if (c.succeeds) {
        EXPECT_EQ(jni.element(results[i], 0), "thread " + std::to_string(i));
        EXPECT_EQ(jni.element(results[i], 1), "echo");
      } else {
        EXPECT_EQ(jni.element(results[i], 0), "FALIURE");
        EXPECT_EQ(jni.element(results[i], 1), c.reason);
      }
    }
    EXPECT_EQ(com.joins.load(), 1);
    EXPECT_EQ(loader.loads.load(), c.loads);
    EXPECT_EQ(loader.unloads.load(), c.unloads);
    EXPECT_EQ(loader.overlaps.load(), 0);
    EXPECT_EQ(loader.usedWhileFreed.load(), 0);
    EXPECT_EQ(jni.textsOutstanding(), 0);
  }
}

}  // namespace
}  // namespace querybridge
