// Stand-in for the external library tovanex, for tests and benchmarks of the
// query bridge only; never shipped. Its Query keeps the call contract of the
// real one; what it does is chosen by the query text, "command" or
// "command:argument":
//   ""              empty result, message "empty"
//   hex:TEXT        result is TEXT's bytes in upper-case hex, message "hex"
//   len:N           result is N letters a..z repeating (N up to 1023), message "len"
//   nomsg:TEXT      result TEXT, the message pointer left null
//   status:N        writes N to the status and returns N; result and message "status"
//   fill            all 1024 buffer bytes 'z', no terminator; message "fill"
//   segv, fpe, throw
//                   result "abc", message "s", "f" or "t", then an access
//                   violation, an integer division by zero or a C++ exception
//   anything else   echo: the result is the query itself, message "echo"
// Built a second time with TOVANEX_WITHOUT_QUERY: that variant exports no Query.
// Each load and unload appends a line "load" or "unload" to the file named by
// the environment variable TOVANEX_LOAD_LOG, when it is set.
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <stdexcept>

#ifdef _WIN32
#define TOVANEX_EXPORT __declspec(dllexport)
#else
#define TOVANEX_EXPORT __attribute__((visibility("default")))
#endif

namespace {

constexpr std::size_t kBufferSize = 1024;

void appendToLoadLog(const char* line) {
  const char* path = std::getenv("TOVANEX_LOAD_LOG");
  if (path == nullptr || *path == '\0') return;
  if (std::FILE* log = std::fopen(path, "a")) {
    std::fprintf(log, "%s\n", line);
    std::fclose(log);
  }
}

__attribute__((constructor)) void onLoad() { appendToLoadLog("load"); }
__attribute__((destructor)) void onUnload() { appendToLoadLog("unload"); }

#ifndef TOVANEX_WITHOUT_QUERY

bool startsWith(const char* text, const char* prefix) {
  return std::strncmp(text, prefix, std::strlen(prefix)) == 0;
}

void putText(char* result, const char* text) {
  std::size_t length = std::strlen(text);
  if (length > kBufferSize - 1) length = kBufferSize - 1;
  std::memcpy(result, text, length);
  result[length] = '\0';
}

// Opaque to the optimiser, so the faults below are real ones.
volatile std::uintptr_t gUnmappedAddress = 16;
volatile int gZero = 0;

[[noreturn]] void faultAfterAbc(char* result, const char** message, const char* letter, char kind) {
  putText(result, "abc");
  *message = letter;
  if (kind == 's') {
    *reinterpret_cast<volatile int*>(gUnmappedAddress) = 1;
  } else if (kind == 'f') {
    volatile int quotient = 7 / gZero;
    static_cast<void>(quotient);
  } else {
    throw std::runtime_error("tovanex stand-in throws");
  }
  std::abort();  // a fault that did not fault
}

int answer(const char* query, char* result, const char** message, std::int32_t* status) {
  if (*query == '\0') {
    result[0] = '\0';
    *message = "empty";
  } else if (startsWith(query, "hex:")) {
    static const char kDigits[] = "0123456789ABCDEF";
    std::size_t out = 0;
    for (const char* p = query + 4; *p != '\0' && out + 2 < kBufferSize; ++p) {
      auto byte = static_cast<unsigned char>(*p);
      result[out++] = kDigits[byte >> 4];
      result[out++] = kDigits[byte & 15];
    }
    result[out] = '\0';
    *message = "hex";
  } else if (startsWith(query, "len:")) {
    long length = std::strtol(query + 4, nullptr, 10);
    if (length < 0) length = 0;
    if (length > static_cast<long>(kBufferSize) - 1) length = kBufferSize - 1;
    for (long i = 0; i < length; ++i) result[i] = static_cast<char>('a' + i % 26);
    result[length] = '\0';
    *message = "len";
  } else if (startsWith(query, "nomsg:")) {
    putText(result, query + 6);
  } else if (startsWith(query, "status:")) {
    int value = static_cast<int>(std::strtol(query + 7, nullptr, 10));
    *status = value;
    putText(result, "status");
    *message = "status";
    return value;
  } else if (std::strcmp(query, "fill") == 0) {
    std::memset(result, 'z', kBufferSize);
    *message = "fill";
  } else if (std::strcmp(query, "segv") == 0) {
    faultAfterAbc(result, message, "s", 's');
  } else if (std::strcmp(query, "fpe") == 0) {
    faultAfterAbc(result, message, "f", 'f');
  } else if (std::strcmp(query, "throw") == 0) {
    faultAfterAbc(result, message, "t", 't');
  } else {
    putText(result, query);
    *message = "echo";
  }
  return 0;
}
#endif

}  // namespace

#ifdef TOVANEX_WITHOUT_QUERY
// A library that loads fine but has no Query.
extern "C" TOVANEX_EXPORT int QueryVersion() { return 1; }
#else
extern "C" TOVANEX_EXPORT int Query(const char* query, char* result, const char** message, std::int32_t* status) {
  return answer(query, result, message, status);
}
#endif
