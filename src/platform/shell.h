#pragma once

#include <string>

namespace orvanto {

// Hands documents, web addresses and programs to the desktop.
class IShell {
public:
    virtual ~IShell() = default;
    // Opens a document or address with the desktop's default application.
    // True once the request was made.
    virtual bool OpenDocument(const std::string& target, const std::string& parameters,
                              const std::string& workingFolder) = 0;
    // Starts a program detached from this process.
    virtual bool StartProgram(const std::string& program, const std::string& parameters,
                              const std::string& workingFolder) = 0;
};

// QDesktopServices for documents and addresses, QProcess for programs.
class TDesktopShell final : public IShell {
public:
    bool OpenDocument(const std::string& target, const std::string& parameters,
                      const std::string& workingFolder) override;
    bool StartProgram(const std::string& program, const std::string& parameters,
                      const std::string& workingFolder) override;
};

} // namespace orvanto
