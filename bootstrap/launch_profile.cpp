#include "bootstrap/launch_profile.h"

namespace bootstrap {

OptionTemplateEntry literalOption(std::string text) { return OptionTemplateEntry{false, std::move(text)}; }

OptionTemplateEntry classPathOption() { return OptionTemplateEntry{true, std::string()}; }

std::string fillPlaces(const std::string& format, const std::string& value) {
  // Built to size: the filled text may be far longer than the format.
  std::string filled;
  filled.reserve(format.size() + 2 * value.size());
  for (std::size_t i = 0; i < format.size(); ++i) {
    if (format[i] == '%' && i + 1 < format.size() && format[i + 1] == 's') {
      filled += value;
      ++i;
    } else {
      filled += format[i];
    }
  }
  return filled;
}

}  // namespace bootstrap
