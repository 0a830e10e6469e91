// Win32 backend of the COM library (ole32).
#include "platform/com_apartment.h"
#include "platform/windows_headers.h"
// The lean <windows.h> leaves out COM; its own header comes on top.
#include <objbase.h>

namespace platform {
namespace {

// COINIT_MULTITHREADED (0) combined with COINIT_SPEED_OVER_MEMORY (8).
constexpr DWORD kMultithreadedSpeedOverMemory = 8;

class Ole32ComLibrary : public ComLibrary {
 public:
  void joinMultithreadedApartment() override {
    static_cast<void>(CoInitializeEx(nullptr, kMultithreadedSpeedOverMemory));
  }

  ComApartment currentApartment() override {
    // Looked up when asked rather than imported: the query exists from
    // Windows 7 on, and the library must still load where it does not.
    using GetApartmentType = HRESULT(WINAPI*)(APTTYPE*, APTTYPEQUALIFIER*);
    HMODULE ole32 = GetModuleHandleA("ole32.dll");
    auto query = ole32 == nullptr ? nullptr
                                  : reinterpret_cast<GetApartmentType>(
                                        reinterpret_cast<void*>(GetProcAddress(ole32, "CoGetApartmentType")));
    if (query == nullptr) return ComApartment::kOther;
    APTTYPE type{};
    APTTYPEQUALIFIER qualifier{};
    HRESULT result = query(&type, &qualifier);
    if (result == CO_E_NOTINITIALIZED) return ComApartment::kNone;
    if (FAILED(result)) return ComApartment::kOther;
    switch (type) {
      case APTTYPE_MTA:
        return qualifier == APTTYPEQUALIFIER_IMPLICIT_MTA ? ComApartment::kImplicitMultithreaded
                                                          : ComApartment::kMultithreaded;
      case APTTYPE_STA:
      case APTTYPE_MAINSTA:
        return ComApartment::kSingleThreaded;
      default:
        return ComApartment::kOther;
    }
  }
};

}  // namespace

ComLibrary& systemComLibrary() {
  static Ole32ComLibrary library;
  return library;
}

}  // namespace platform
