#pragma once

// What every reader built on a picture library must hold to, whatever bytes
// it is given: a read that succeeds hands out a 24-bit picture and no error;
// one that fails names one of the three failure texts and hands out nothing.
// A broken promise stops the fuzzer with the input that broke it.

#include "support/memory/memory_limit.h"
#include "support/messages/messages.h"

#include <QImage>

#include <cstddef>
#include <cstdint>
#include <string>

namespace orvanto {

template <typename TRead>
int FuzzLibraryReader(const std::uint8_t* data, std::size_t size, TRead read)
{
    // A header may claim any size; keep each picture small enough to fuzz fast.
    SetAllocationCeilingForTesting(16 * 1024 * 1024);
    QImage picture;
    std::string error;
    if (read(data, size, picture, error)) {
        if (picture.isNull() || picture.format() != QImage::Format_BGR888 || !error.empty())
            __builtin_trap();
    } else if (error != Messages::UnknownFormat && error != Messages::OutOfMemory &&
               error != Messages::UnsupportedFormat) {
        __builtin_trap();
    } else if (!picture.isNull()) {
        __builtin_trap(); // a failed read never hands out a picture
    }
    return 0;
}

} // namespace orvanto
