#pragma once
// The few system calls the V4L2 camera makes, behind an interface so that the frame pipeline
// is tested with a fake device.

#include <cstddef>
#include <string>

#include <sys/types.h>

namespace zcap {

class V4l2Io
{
  public:
    virtual ~V4l2Io() = default;
    // A descriptor, or -1 with errno set.
    virtual int open(const std::string& path) = 0;
    virtual void close(int fd) = 0;
    // 0, or -1 with errno set.
    virtual int ioctl(int fd, unsigned long request, void* arg) = 0;
    // Null on failure.
    virtual void* map(int fd, size_t length, off_t offset) = 0;
    virtual void unmap(void* address, size_t length) = 0;
    // Above 0 when a frame is ready, 0 on time-out, below 0 on error.
    virtual int waitReadable(int fd, int timeoutMs) = 0;
};

V4l2Io& systemV4l2Io();

} // namespace zcap
