#include "platform/small_file.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace orvanto {

std::string ReadSmallFile(const std::string& path, std::size_t maxBytes)
{
    // Non-blocking, so that a pipe put in the file's place cannot hold the
    // reader up; only a regular file is read.
    const int handle = ::open(path.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC | O_NOCTTY);
    if (handle < 0)
        return {};
    std::string text;
    struct stat status {};
    if (::fstat(handle, &status) == 0 && S_ISREG(status.st_mode)) {
        text.resize(maxBytes);
        std::size_t filled = 0;
        while (filled < text.size()) {
            const ssize_t got = ::read(handle, text.data() + filled, text.size() - filled);
            if (got <= 0)
                break;
            filled += std::size_t(got);
        }
        text.resize(filled);
    }
    ::close(handle);
    return text;
}

std::string_view TakeLine(std::string_view& text)
{
    const std::size_t end = text.find('\n');
    const std::string_view line = text.substr(0, end);
    text = end == std::string_view::npos ? std::string_view() : text.substr(end + 1);
    return line;
}

} // namespace orvanto
