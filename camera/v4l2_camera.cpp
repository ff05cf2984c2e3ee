#include "camera/v4l2_camera.h"

#include <algorithm>
#include <cerrno>
#include <cmath>
#include <cstdlib>
#include <cstring>

#include <linux/videodev2.h>

#include "camera/pixel_convert.h"

namespace zcap {

namespace {

constexpr int kBufferCount = 4;
constexpr int kFrameTimeoutMs = 2000;
// The five picture sizes of the program; a camera that lists sizes by range gets these.
constexpr std::array<std::array<int, 2>, 5> kProgramSizes{
    {{320, 240}, {640, 480}, {1280, 1024}, {1600, 1200}, {2048, 1536}}};

} // namespace

std::unique_ptr<V4l2Camera> V4l2Camera::open(const std::string& path, V4l2Io& io)
{
    const int fd = io.open(path);
    if (fd < 0)
        return nullptr;
    std::unique_ptr<V4l2Camera> camera(new V4l2Camera(io, fd, path));
    if (!camera->probe())
        return nullptr;
    return camera;
}

V4l2Camera::~V4l2Camera()
{
    stopStream();
    if (fd_ >= 0)
        io_.close(fd_);
}

bool V4l2Camera::probe()
{
    v4l2_capability caps{};
    if (io_.ioctl(fd_, VIDIOC_QUERYCAP, &caps) != 0)
        return false;
    const uint32_t c =
        (caps.capabilities & V4L2_CAP_DEVICE_CAPS) ? caps.device_caps : caps.capabilities;
    if (!(c & V4L2_CAP_VIDEO_CAPTURE) || !(c & V4L2_CAP_STREAMING))
        return false;

    for (uint32_t index = 0; index < 64; ++index)
    {
        v4l2_fmtdesc desc{};
        desc.index = index;
        desc.type = V4L2_BUF_TYPE_VIDEO_CAPTURE;
        if (io_.ioctl(fd_, VIDIOC_ENUM_FMT, &desc) != 0)
            break;
        if (desc.pixelformat != V4L2_PIX_FMT_MJPEG && desc.pixelformat != V4L2_PIX_FMT_YUYV)
            continue;
        for (uint32_t s = 0; s < 256; ++s)
        {
            v4l2_frmsizeenum size{};
            size.index = s;
            size.pixel_format = desc.pixelformat;
            if (io_.ioctl(fd_, VIDIOC_ENUM_FRAMESIZES, &size) != 0)
                break;
            if (size.type == V4L2_FRMSIZE_TYPE_DISCRETE)
            {
                const int w = static_cast<int>(size.discrete.width);
                const int h = static_cast<int>(size.discrete.height);
                if (validNativeSize(w, h))
                    modes_.push_back({desc.pixelformat, w, h});
                continue;
            }
            // Ranges: offer the program's sizes that fit.
            const auto& sw = size.stepwise;
            for (const auto& p : kProgramSizes)
                if (p[0] >= static_cast<int>(sw.min_width) &&
                    p[0] <= static_cast<int>(sw.max_width) &&
                    p[1] >= static_cast<int>(sw.min_height) &&
                    p[1] <= static_cast<int>(sw.max_height))
                    modes_.push_back({desc.pixelformat, p[0], p[1]});
            break;
        }
    }
    if (modes_.empty())
        return false;

    // A camera streaming for another program refuses a new format with EBUSY.
    const Mode first = modes_.front();
    v4l2_format format{};
    format.type = V4L2_BUF_TYPE_VIDEO_CAPTURE;
    format.fmt.pix.width = static_cast<uint32_t>(first.width);
    format.fmt.pix.height = static_cast<uint32_t>(first.height);
    format.fmt.pix.pixelformat = first.format;
    format.fmt.pix.field = V4L2_FIELD_NONE;
    if (io_.ioctl(fd_, VIDIOC_S_FMT, &format) != 0)
        return false;

    exposureAuto_ = queryControl(V4L2_CID_EXPOSURE_AUTO);
    exposure_ = queryControl(V4L2_CID_EXPOSURE_ABSOLUTE);
    gain_ = queryControl(V4L2_CID_GAIN);
    gamma_ = queryControl(V4L2_CID_GAMMA);
    redBalance_ = queryControl(V4L2_CID_RED_BALANCE);
    blueBalance_ = queryControl(V4L2_CID_BLUE_BALANCE);
    tables_ = pictureTables({1, 1, 1}, 1.0f, false, {0, 0, 0}, false);
    return true;
}

V4l2Camera::Mode V4l2Camera::nearestMode(int width, int height) const
{
    Mode best;
    long bestScore = -1;
    for (const Mode& m : modes_)
    {
        long score = std::labs(static_cast<long>(m.width) - width) +
                     std::labs(static_cast<long>(m.height) - height);
        // Compressed frames keep large sizes within the bus's bandwidth.
        score = score * 2 + (m.format == V4L2_PIX_FMT_MJPEG ? 0 : 1);
        if (bestScore < 0 || score < bestScore)
        {
            bestScore = score;
            best = m;
        }
    }
    return best;
}

V4l2Camera::Control V4l2Camera::queryControl(uint32_t id)
{
    v4l2_queryctrl query{};
    query.id = id;
    Control control;
    if (io_.ioctl(fd_, VIDIOC_QUERYCTRL, &query) == 0 && !(query.flags & V4L2_CTRL_FLAG_DISABLED))
    {
        control.present = true;
        control.minimum = query.minimum;
        control.maximum = query.maximum;
        control.defaultValue = query.default_value;
    }
    return control;
}

void V4l2Camera::setControl(uint32_t id, const Control& control, long value)
{
    if (!control.present)
        return;
    v4l2_control set{};
    set.id = id;
    set.value = static_cast<int>(std::clamp<long>(value, control.minimum, control.maximum));
    io_.ioctl(fd_, VIDIOC_S_CTRL, &set); // a refused control leaves the picture as it was
}

bool V4l2Camera::reopen()
{
    if (fd_ >= 0)
        io_.close(fd_);
    modes_.clear();
    fd_ = io_.open(path_);
    if (fd_ < 0)
        return false;
    if (!probe())
    {
        io_.close(fd_);
        fd_ = -1;
        return false;
    }
    reopen_ = false;
    return true;
}

bool V4l2Camera::startStream(int width, int height)
{
    stopStream();
    if (!validSize(width, height))
        return false;
    if ((reopen_ || fd_ < 0) && !reopen())
        return false;
    wantWidth_ = width;
    wantHeight_ = height;
    const Mode mode = nearestMode(width, height);
    v4l2_format format{};
    format.type = V4L2_BUF_TYPE_VIDEO_CAPTURE;
    format.fmt.pix.width = static_cast<uint32_t>(mode.width);
    format.fmt.pix.height = static_cast<uint32_t>(mode.height);
    format.fmt.pix.pixelformat = mode.format;
    format.fmt.pix.field = V4L2_FIELD_NONE;
    if (io_.ioctl(fd_, VIDIOC_S_FMT, &format) != 0)
        return false;
    active_ = {format.fmt.pix.pixelformat, static_cast<int>(format.fmt.pix.width),
               static_cast<int>(format.fmt.pix.height)};
    if ((active_.format != V4L2_PIX_FMT_MJPEG && active_.format != V4L2_PIX_FMT_YUYV) ||
        !validNativeSize(active_.width, active_.height))
        return false;
    bytesPerLine_ = static_cast<int>(format.fmt.pix.bytesperline);

    v4l2_streamparm parm{};
    parm.type = V4L2_BUF_TYPE_VIDEO_CAPTURE;
    rate_ = 30.0;
    if (io_.ioctl(fd_, VIDIOC_G_PARM, &parm) == 0 && parm.parm.capture.timeperframe.numerator > 0 &&
        parm.parm.capture.timeperframe.denominator > 0)
        rate_ = static_cast<double>(parm.parm.capture.timeperframe.denominator) /
                parm.parm.capture.timeperframe.numerator;

    v4l2_requestbuffers request{};
    request.count = kBufferCount;
    request.type = V4L2_BUF_TYPE_VIDEO_CAPTURE;
    request.memory = V4L2_MEMORY_MMAP;
    if (io_.ioctl(fd_, VIDIOC_REQBUFS, &request) != 0 || request.count == 0)
        return false;
    for (uint32_t i = 0; i < request.count; ++i)
    {
        v4l2_buffer buffer{};
        buffer.type = V4L2_BUF_TYPE_VIDEO_CAPTURE;
        buffer.memory = V4L2_MEMORY_MMAP;
        buffer.index = i;
        if (io_.ioctl(fd_, VIDIOC_QUERYBUF, &buffer) != 0)
        {
            releaseBuffers();
            return false;
        }
        void* data = io_.map(fd_, buffer.length, buffer.m.offset);
        if (!data)
        {
            releaseBuffers();
            return false;
        }
        buffers_.push_back({data, buffer.length});
        if (io_.ioctl(fd_, VIDIOC_QBUF, &buffer) != 0)
        {
            releaseBuffers();
            return false;
        }
    }
    int type = V4L2_BUF_TYPE_VIDEO_CAPTURE;
    if (io_.ioctl(fd_, VIDIOC_STREAMON, &type) != 0)
    {
        releaseBuffers();
        return false;
    }
    streaming_ = true;
    return true;
}

void V4l2Camera::releaseBuffers()
{
    for (const Buffer& b : buffers_)
        io_.unmap(b.data, b.length);
    buffers_.clear();
    v4l2_requestbuffers request{};
    request.count = 0;
    request.type = V4L2_BUF_TYPE_VIDEO_CAPTURE;
    request.memory = V4L2_MEMORY_MMAP;
    io_.ioctl(fd_, VIDIOC_REQBUFS, &request);
}

void V4l2Camera::stopStream()
{
    if (streaming_)
    {
        int type = V4L2_BUF_TYPE_VIDEO_CAPTURE;
        io_.ioctl(fd_, VIDIOC_STREAMOFF, &type);
        streaming_ = false;
    }
    if (!buffers_.empty())
        releaseBuffers();
}

bool V4l2Camera::convert(const uint8_t* data, size_t size)
{
    if (active_.format == V4L2_PIX_FMT_MJPEG)
        return jpegToBgr(data, size, native_);
    const size_t stride = bytesPerLine_ > 0 ? static_cast<size_t>(bytesPerLine_)
                                            : static_cast<size_t>(active_.width) * 2;
    return yuyvToBgr(data, size, active_.width, active_.height, stride, native_);
}

bool V4l2Camera::nextFrame(Frame& out)
{
    if (!streaming_)
        return false;
    // A damaged frame (a broken MJPEG from the bus) is skipped; a few in a row end the stream.
    for (int attempt = 0; attempt < 8; ++attempt)
    {
        const int ready = io_.waitReadable(fd_, kFrameTimeoutMs);
        if (ready < 0)
            reopen_ = true;
        if (ready <= 0)
            return false;
        v4l2_buffer buffer{};
        buffer.type = V4L2_BUF_TYPE_VIDEO_CAPTURE;
        buffer.memory = V4L2_MEMORY_MMAP;
        if (io_.ioctl(fd_, VIDIOC_DQBUF, &buffer) != 0)
        {
            if (errno == EAGAIN)
                continue;
            reopen_ = true;
            return false;
        }
        bool ok = false;
        if (buffer.index < buffers_.size() && !(buffer.flags & V4L2_BUF_FLAG_ERROR))
        {
            const Buffer& b = buffers_[buffer.index];
            const size_t used = std::min<size_t>(buffer.bytesused, b.length);
            ok = convert(static_cast<const uint8_t*>(b.data), used);
        }
        if (io_.ioctl(fd_, VIDIOC_QBUF, &buffer) != 0)
        {
            reopen_ = true;
            return false;
        }
        if (!ok)
            continue;
        fitFrame(native_, wantWidth_, wantHeight_, out);
        if (softwareTone_)
        {
            uint8_t* p = out.bgr.data();
            for (size_t i = 0, n = out.bgr.size(); i < n; i += 3)
            {
                p[i] = tables_[0][p[i]];
                p[i + 1] = tables_[1][p[i + 1]];
                p[i + 2] = tables_[2][p[i + 2]];
            }
        }
        return true;
    }
    return false;
}

void V4l2Camera::applySettings(const PictureSettings& s)
{
    // Software does what the camera has no control for.
    std::array<double, 3> scale{1, 1, 1};
    const double green = std::max(s.gains[1], 1) / static_cast<double>(kUnityGain);
    if (exposure_.present)
    {
        if (exposureAuto_.present)
            setControl(V4L2_CID_EXPOSURE_AUTO, exposureAuto_, V4L2_EXPOSURE_MANUAL);
        setControl(V4L2_CID_EXPOSURE_ABSOLUTE, exposure_,
                   std::lround(std::max(exposure_.defaultValue, 1) * s.exposure /
                               static_cast<double>(kFullExposure)));
    }
    else
    {
        for (double& v : scale)
            v *= s.exposure / static_cast<double>(kFullExposure);
    }
    if (gain_.present)
    {
        const int span = std::max(gain_.defaultValue, 1);
        setControl(V4L2_CID_GAIN, gain_, std::lround(span * green));
    }
    else
    {
        for (double& v : scale)
            v *= green;
    }
    const double red = s.gains[2] / static_cast<double>(std::max(s.gains[1], 1));
    const double blue = s.gains[0] / static_cast<double>(std::max(s.gains[1], 1));
    if (redBalance_.present && blueBalance_.present)
    {
        setControl(V4L2_CID_RED_BALANCE, redBalance_, std::lround(redBalance_.defaultValue * red));
        setControl(V4L2_CID_BLUE_BALANCE, blueBalance_,
                   std::lround(blueBalance_.defaultValue * blue));
    }
    else
    {
        scale[2] *= red;
        scale[0] *= blue;
    }
    bool softGamma = s.gammaOn;
    if (gamma_.present)
    {
        const double g = s.gammaOn ? std::clamp(static_cast<double>(s.gamma), 0.01, 2.0) : 1.0;
        setControl(V4L2_CID_GAMMA, gamma_, std::lround(gamma_.defaultValue * g));
        softGamma = false;
    }
    tables_ = pictureTables(scale, s.gamma, softGamma, s.offsets, s.offsetsOn);
    softwareTone_ = !isIdentity(tables_);
}

} // namespace zcap
