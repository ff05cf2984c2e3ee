#include "camera/v4l2_io.h"

#include <cerrno>

#include <fcntl.h>
#include <poll.h>
#include <sys/ioctl.h>
#include <sys/mman.h>
#include <unistd.h>

namespace zcap {

namespace {

class SystemV4l2Io : public V4l2Io
{
  public:
    int open(const std::string& path) override
    {
        return ::open(path.c_str(), O_RDWR | O_NONBLOCK | O_CLOEXEC);
    }
    void close(int fd) override { ::close(fd); }
    int ioctl(int fd, unsigned long request, void* arg) override
    {
        int r;
        do
        {
            r = ::ioctl(fd, request, arg);
        } while (r < 0 && errno == EINTR);
        return r;
    }
    void* map(int fd, size_t length, off_t offset) override
    {
        void* p = ::mmap(nullptr, length, PROT_READ | PROT_WRITE, MAP_SHARED, fd, offset);
        return p == MAP_FAILED ? nullptr : p;
    }
    void unmap(void* address, size_t length) override { ::munmap(address, length); }
    int waitReadable(int fd, int timeoutMs) override
    {
        pollfd p{fd, POLLIN, 0};
        int r;
        do
        {
            r = ::poll(&p, 1, timeoutMs);
        } while (r < 0 && errno == EINTR);
        if (r > 0 && (p.revents & (POLLERR | POLLHUP | POLLNVAL)) && !(p.revents & POLLIN))
            return -1;
        return r;
    }
};

} // namespace

V4l2Io& systemV4l2Io()
{
    static SystemV4l2Io io;
    return io;
}

} // namespace zcap
