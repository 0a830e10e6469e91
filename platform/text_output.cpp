// Standard output through the C runtime, as on every platform.
#include "platform/text_output.h"

#include <cstdio>

namespace platform {
namespace {

class StandardOutput : public TextOutput {
 public:
  void write(std::string_view text) override {
    std::fwrite(text.data(), 1, text.size(), stdout);
    std::fflush(stdout);
  }
};

}  // namespace

TextOutput& standardOutput() {
  static StandardOutput output;
  return output;
}

}  // namespace platform
