// POSIX stand-in for the COM library: there is no COM, so joining an
// apartment does nothing.
#include "platform/com_apartment.h"

namespace platform {
namespace {

class NoComLibrary : public ComLibrary {
 public:
  void joinMultithreadedApartment() override {}
  ComApartment currentApartment() override { return ComApartment::kNotAvailable; }
};

}  // namespace

ComLibrary& systemComLibrary() {
  static NoComLibrary library;
  return library;
}

}  // namespace platform
