#pragma once
// Errors that reach the user. The text of a UserError is exactly what the shell's
// message box shows; the core never ends the process itself.

#include <stdexcept>
#include <string>

namespace ostrel {

class UserError : public std::runtime_error {
  public:
    using std::runtime_error::runtime_error;
};

// A value line that does not convert, a short row, a table without its "#" line.
// Readers catch it and turn it into the file's own UserError with its context.
class ConversionError : public std::runtime_error {
  public:
    using std::runtime_error::runtime_error;
};

// An image or wave that a decoder could not read.
class DecodeError : public std::runtime_error {
  public:
    using std::runtime_error::runtime_error;
};

// A file that could not be read as a whole; the text says why, for the file's own message.
class FileError : public std::runtime_error {
  public:
    using std::runtime_error::runtime_error;
};

}  // namespace ostrel
