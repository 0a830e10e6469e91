// Where console programs write their lines.
#ifndef PLATFORM_TEXT_OUTPUT_H
#define PLATFORM_TEXT_OUTPUT_H

#include <string_view>

namespace platform {

class TextOutput {
 public:
  virtual ~TextOutput() = default;
  // Writes the bytes unchanged and flushes them, so that they keep their
  // place among what the Java code writes to the same stream.
  virtual void write(std::string_view text) = 0;
};

TextOutput& standardOutput();

}  // namespace platform

#endif
