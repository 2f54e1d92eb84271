#pragma once
#include <stdexcept>
#include <string>

// Something the user gave us is wrong: a flag, a file, a value. The program prints the message
// as one line and exits with status 2. Everything else that goes wrong is our fault or the
// machine's and exits with status 1.
class InputError : public std::runtime_error {
 public:
  explicit InputError(const std::string& message) : std::runtime_error(message) {}
};
