// What the machine's parts report as it happens, for the transcript to keep in order.
#pragma once

#include <string>

namespace hosted {

class Events {
 public:
  virtual void Box(const std::string& caption, const std::string& text, unsigned style) = 0;
  virtual void Exec(const std::string& cmdline, unsigned show, const std::string& cwd,
                    unsigned result) = 0;
  // A box that Windows itself would have shown.
  virtual void CriticalError(const std::string& drive, const std::string& text) = 0;

 protected:
  ~Events() = default;
};

}  // namespace hosted
