#include "ui/ui_texts.h"

#include "text/code_page.h"

namespace quillivar {

Text ErrorBoxText(const Text& message) {
  if (message.empty()) return message;
  const std::size_t last = message.size() - 1;
  const bool doubleByteEnd = IsSecondByteAt(message, last);
  if (doubleByteEnd || static_cast<unsigned char>(message[last]) > '.') {
    return message + ".";
  }
  return message;
}

Text ApplicationTitle(std::string_view executablePath) {
  const std::size_t slash = LastDelimiter(executablePath, '/');
  std::string_view name = slash == std::string_view::npos
                              ? executablePath
                              : executablePath.substr(slash + 1);
  const std::size_t dot = Find(name, ".");
  if (dot != 0) name = name.substr(0, dot - 1);
  Text title(name);
  for (std::size_t i = 1; i < title.size(); ++i) {
    const auto byte = static_cast<unsigned char>(title[i]);
    if (byte >= 'A' && byte <= 'Z' && !IsSecondByteAt(title, i)) {
      title[i] = static_cast<char>(byte - 'A' + 'a');
    }
  }
  return title;
}

}  // namespace quillivar
