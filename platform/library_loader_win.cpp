// Win32 backend of the library loader.
#include "platform/library_loader.h"
#include "platform/windows_headers.h"

namespace platform {
namespace {

class Win32LibraryLoader : public LibraryLoader {
 public:
  LibraryHandle load(const std::string& path) override { return LoadLibraryA(path.c_str()); }

  LibraryHandle loadByName(const std::string& name) override { return LoadLibraryA(name.c_str()); }

  void* findSymbol(LibraryHandle library, const char* name) override {
    return reinterpret_cast<void*>(GetProcAddress(static_cast<HMODULE>(library), name));
  }

  void unload(LibraryHandle library) override { FreeLibrary(static_cast<HMODULE>(library)); }

  const std::vector<std::string>& modernVmLibraryLayouts() override {
    // The server VM of a Java 5 to 8 installation, then Java 9 and later.
    static const std::vector<std::string> layouts = {
        "jre\\bin\\server\\jvm.dll",
        "bin\\server\\jvm.dll",
        "bin\\client\\jvm.dll",
    };
    return layouts;
  }
};

}  // namespace

LibraryLoader& systemLibraryLoader() {
  static Win32LibraryLoader loader;
  return loader;
}

}  // namespace platform
