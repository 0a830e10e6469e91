// Joining threads to COM apartments.
#ifndef PLATFORM_COM_APARTMENT_H
#define PLATFORM_COM_APARTMENT_H

namespace platform {

// The apartment a thread belongs to, as far as these tools care.
enum class ComApartment {
  kNone,               // COM is not initialised for the thread
  kMultithreaded,      // the thread itself joined the multithreaded apartment
  kImplicitMultithreaded,  // not initialised, but served by the process's multithreaded apartment
  kSingleThreaded,     // the thread entered a single-threaded apartment
  kOther,              // any other kind, or the system could not tell
  kNotAvailable,       // this platform has no COM
};

class ComLibrary {
 public:
  virtual ~ComLibrary() = default;

  // Asks for the calling thread to join the multithreaded apartment,
  // preferring speed over memory (CoInitializeEx with a null reserved
  // pointer and 8). The result is not reported: a thread that already
  // belongs to an apartment of another kind simply stays there.
  virtual void joinMultithreadedApartment() = 0;

  // The calling thread's apartment; for tests and diagnostics.
  virtual ComApartment currentApartment() = 0;
};

// Windows: the system's COM library. Elsewhere a stand-in that does nothing
// and reports kNotAvailable.
ComLibrary& systemComLibrary();

}  // namespace platform

#endif
