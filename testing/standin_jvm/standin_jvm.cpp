// A stand-in Java VM library: exports JNI_CreateJavaVM and records every
// Invocation API and JNI call it receives, one line each, in a log file.
// Test tool only: never shipped.
//
// Settings come from the environment, or, for processes that do not inherit
// the test's environment (services), from standin_jvm.ini beside the
// library:
//   LMG_STANDIN_JVM_MODE / mode=  fail-create, no-class, no-method,
//                                 entry-throws, entry-blocks, entry-exits
//   LMG_STANDIN_JVM_LOG  / log=   log file (default standin_jvm.log beside
//                                 the library)
#include <jni.h>

#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <map>
#include <string>

#include "testing/fake_jvm/fake_jvm.h"

#ifdef _WIN32
#include <windows.h>
#else
#include <dlfcn.h>
#endif

namespace {

std::string libraryDirectory() {
#ifdef _WIN32
  HMODULE self = nullptr;
  GetModuleHandleExA(GET_MODULE_HANDLE_EX_FLAG_FROM_ADDRESS | GET_MODULE_HANDLE_EX_FLAG_UNCHANGED_REFCOUNT,
                     reinterpret_cast<LPCSTR>(&libraryDirectory), &self);
  char path[MAX_PATH * 4] = {0};
  GetModuleFileNameA(self, path, sizeof path - 1);
  std::string file(path);
  return file.substr(0, file.find_last_of("\\/"));
#else
  Dl_info info;
  dladdr(reinterpret_cast<void*>(&libraryDirectory), &info);
  std::string file(info.dli_fname);
  return file.substr(0, file.find_last_of('/'));
#endif
}

std::map<std::string, std::string> iniSettings(const std::string& directory) {
  std::map<std::string, std::string> settings;
  std::ifstream in(directory + "/standin_jvm.ini");
  std::string line;
  while (std::getline(in, line)) {
    if (!line.empty() && line.back() == '\r') line.pop_back();
    std::size_t equals = line.find('=');
    if (equals != std::string::npos) settings[line.substr(0, equals)] = line.substr(equals + 1);
  }
  return settings;
}

std::string setting(const char* variable, const char* key, const std::map<std::string, std::string>& ini,
                    const std::string& fallback) {
  if (const char* value = std::getenv(variable)) return value;
  auto found = ini.find(key);
  return found == ini.end() ? fallback : found->second;
}

standin::FakeJvm& theVm() {
  static standin::FakeJvm* vm = [] {
    std::string directory = libraryDirectory();
    auto ini = iniSettings(directory);
    std::string mode = setting("LMG_STANDIN_JVM_MODE", "mode", ini, "");
    std::string log = setting("LMG_STANDIN_JVM_LOG", "log", ini, directory + "/standin_jvm.log");
    return new standin::FakeJvm(standin::parseScript(mode), [log](const std::string& line) {
      if (std::FILE* out = std::fopen(log.c_str(), "ab")) {
        std::fprintf(out, "%s\n", line.c_str());
        std::fclose(out);
      }
    });
  }();
  return *vm;
}

}  // namespace

extern "C" JNIEXPORT jint JNICALL JNI_CreateJavaVM(JavaVM** vm, void** env, void* args) {
  return theVm().create(vm, env, args);
}
