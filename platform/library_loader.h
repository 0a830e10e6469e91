// Loading shared libraries at run time and finding their exports.
#ifndef PLATFORM_LIBRARY_LOADER_H
#define PLATFORM_LIBRARY_LOADER_H

#include <string>
#include <vector>

namespace platform {

// A loaded library (HMODULE or dlopen handle); null means none.
using LibraryHandle = void*;

class LibraryLoader {
 public:
  virtual ~LibraryLoader() = default;

  // Loads the library at `path`, a path in Windows form (backslashes), which
  // the POSIX backend renders natively. Returns null when it cannot be loaded.
  virtual LibraryHandle load(const std::string& path) = 0;

  // Loads a library by bare name through the platform's ordinary search
  // ("tovanex" is tovanex.dll on Windows, libtovanex.so on POSIX).
  virtual LibraryHandle loadByName(const std::string& name) = 0;

  // The address of export `name`, or null when the library has none.
  virtual void* findSymbol(LibraryHandle library, const char* name) = 0;

  virtual void unload(LibraryHandle library) = 0;

  // Java VM libraries of current Java installations on this platform,
  // relative to the Java home in Windows form, to be tried in this order
  // once the classic and client VMs of a Java 1.x layout fail to load.
  virtual const std::vector<std::string>& modernVmLibraryLayouts() = 0;
};

LibraryLoader& systemLibraryLoader();

}  // namespace platform

#endif
