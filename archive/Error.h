#pragma once
// The one error type of the program: an exception carrying the message text that the
// game shows in its error box. I/O failures of the file system are its own subtype.

#include <stdexcept>
#include <string>

namespace qz {

class Error : public std::runtime_error {
public:
    explicit Error(const std::string& message) : std::runtime_error(message) {}
};

class IOError : public Error {
public:
    explicit IOError(const std::string& message) : Error(message) {}
};

} // namespace qz
