// POSIX backend of the library loader: dlopen.
#include <dlfcn.h>

#include <algorithm>

#include "platform/library_loader.h"

namespace platform {
namespace {

class DlopenLibraryLoader : public LibraryLoader {
 public:
  LibraryHandle load(const std::string& path) override {
    std::string native = path;
    std::replace(native.begin(), native.end(), '\\', '/');
    // As the JDK's own launcher loads its VM: every symbol resolved now and
    // visible to the libraries the VM loads later.
    return dlopen(native.c_str(), RTLD_NOW | RTLD_GLOBAL);
  }

  LibraryHandle loadByName(const std::string& name) override {
    std::string file = "lib" + name + ".so";
    return dlopen(file.c_str(), RTLD_NOW | RTLD_LOCAL);
  }

  void* findSymbol(LibraryHandle library, const char* name) override { return dlsym(library, name); }

  void unload(LibraryHandle library) override { dlclose(library); }

  const std::vector<std::string>& modernVmLibraryLayouts() override;
};

#if defined(__x86_64__)
constexpr const char kJava8Architecture[] = "amd64";
#elif defined(__aarch64__)
constexpr const char kJava8Architecture[] = "aarch64";
#elif defined(__i386__)
constexpr const char kJava8Architecture[] = "i386";
#else
constexpr const char kJava8Architecture[] = "unknown";
#endif

}  // namespace

LibraryLoader& systemLibraryLoader() {
  static DlopenLibraryLoader loader;
  return loader;
}

const std::vector<std::string>& DlopenLibraryLoader::modernVmLibraryLayouts() {
  // Java 9 and later first, then Java 8's jre/lib/<arch> layout.
  static const std::vector<std::string> layouts = {
      "lib\\server\\libjvm.so",
      std::string("jre\\lib\\") + kJava8Architecture + "\\server\\libjvm.so",
  };
  return layouts;
}

}  // namespace platform
