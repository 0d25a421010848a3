// The errors that travel as exceptions, each with the type name the escaped-error box shows.
#pragma once

#include <cstdint>
#include <source_location>
#include <string>

namespace winsys {

// The run-time's general exception: a message, the type name, and where it was raised.
class Exception {
 public:
  Exception(std::string typeName, std::string message,
            std::source_location where = std::source_location::current());
  virtual ~Exception() = default;

  const std::string& TypeName() const { return typeName_; }
  const std::string& Message() const { return message_; }
  // A 32-bit value that identifies the place of the raise (stable between builds of
  // the same source), shown in the escaped-error box as eight hexadecimal digits.
  std::uint32_t Address() const { return address_; }

 private:
  std::string typeName_;
  std::string message_;
  std::uint32_t address_;
};

// The system-utility module's error, raised by the administrator probe.
class SystemError : public Exception {
 public:
  explicit SystemError(std::string message,
                       std::source_location where = std::source_location::current())
      : Exception("SystemError", std::move(message), where) {}
};

// A registry value that cannot be read as text.
class ERegistryException : public Exception {
 public:
  explicit ERegistryException(std::string message,
                              std::source_location where = std::source_location::current())
      : Exception("ERegistryException", std::move(message), where) {}
};

// A failed change of directory; the message is the run-time's text for the error code.
class EInOutError : public Exception {
 public:
  explicit EInOutError(int code, std::source_location where = std::source_location::current());
  int Code() const { return code_; }

 private:
  int code_;
};

// A digit text that does not fit a signed 32-bit number.
class EConvertError : public Exception {
 public:
  explicit EConvertError(std::string message,
                         std::source_location where = std::source_location::current())
      : Exception("EConvertError", std::move(message), where) {}
};

}  // namespace winsys
