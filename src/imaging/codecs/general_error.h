#pragma once

#include <exception>
#include <string>

namespace orvanto {

// What the picture codecs raise when a load or save fails. It carries only
// the message the user is shown; the codecs catch it at their public edge.
class EGeneralError : public std::exception {
public:
    explicit EGeneralError(std::string message) : Message(std::move(message)) {}
    const char* what() const noexcept override { return Message.c_str(); }

    std::string Message;
};

} // namespace orvanto
