// Small helpers on POSIX file descriptors shared by the stand-ins.
#pragma once

#include <cstddef>

namespace ostrel::posix {

// Writes all the bytes, retrying short writes and EINTR. False on any other error
// (errno tells which).
bool WriteAll(int fd, const void* data, std::size_t size);

}  // namespace ostrel::posix
