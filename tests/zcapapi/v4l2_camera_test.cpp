#include <atomic>
#include <cerrno>
#include <chrono>
#include <cstdio>
#include <cstring>
#include <thread>

#include <gtest/gtest.h>
#include <linux/videodev2.h>

#include "camera/avi_repair.h"
#include "camera/camera.h"
#include "camera/image_files.h"
#include "camera/v4l2_camera.h"

namespace zcap {
namespace {

// A camera on the other side of the seam: it lists formats and sizes, hands out mapped
// buffers and fills the dequeued one with a frame the test chose.
class FakeDevice : public V4l2Io
{
  public:
    struct Mode
    {
        uint32_t format;
        uint32_t width, height;
    };
    std::vector<Mode> modes;
    // Pulled out while the capture thread streams from it.
    std::atomic<bool> present{true};
    std::atomic<int> opens{0};
    bool busy = false;
    bool hasGain = false;
    std::vector<uint8_t> payload; // bytes of the next frame
    std::vector<std::pair<uint32_t, int>> controlsSet;
    Mode current{};
    std::atomic<bool> streaming{false};
    int mapped = 0;

    int open(const std::string&) override
    {
        if (!present)
        {
            errno = ENOENT;
            return -1;
        }
        ++opens;
        return 7;
    }
    void close(int) override {}
    void* map(int, size_t length, off_t offset) override
    {
        const size_t i = static_cast<size_t>(offset) / kBufferSize;
        if (i >= buffers_.size() || length != kBufferSize)
            return nullptr;
        ++mapped;
        return buffers_[i].data();
    }
    void unmap(void*, size_t) override { --mapped; }
    int waitReadable(int, int) override
    {
        std::this_thread::sleep_for(std::chrono::milliseconds(2)); // a camera's pace, roughly
        return streaming && present ? 1 : -1;
    }

    int ioctl(int, unsigned long request, void* arg) override
    {
        if (!present)
            return fail(ENODEV); // the driver instance behind the open file is gone
        switch (request)
        {
        case VIDIOC_QUERYCAP: {
            auto* caps = static_cast<v4l2_capability*>(arg);
            caps->capabilities = V4L2_CAP_VIDEO_CAPTURE | V4L2_CAP_STREAMING;
            return 0;
        }
        case VIDIOC_ENUM_FMT: {
            auto* desc = static_cast<v4l2_fmtdesc*>(arg);
            std::vector<uint32_t> formats;
            for (const Mode& m : modes)
                if (std::find(formats.begin(), formats.end(), m.format) == formats.end())
                    formats.push_back(m.format);
            if (desc->index >= formats.size())
                return fail(EINVAL);
            desc->pixelformat = formats[desc->index];
            return 0;
        }
        case VIDIOC_ENUM_FRAMESIZES: {
            auto* size = static_cast<v4l2_frmsizeenum*>(arg);
            uint32_t n = 0;
            for (const Mode& m : modes)
                if (m.format == size->pixel_format && n++ == size->index)
                {
                    size->type = V4L2_FRMSIZE_TYPE_DISCRETE;
                    size->discrete.width = m.width;
                    size->discrete.height = m.height;
                    return 0;
                }
            return fail(EINVAL);
        }
        case VIDIOC_S_FMT: {
            if (busy)
                return fail(EBUSY);
            auto* f = static_cast<v4l2_format*>(arg);
            current = {f->fmt.pix.pixelformat, f->fmt.pix.width, f->fmt.pix.height};
            f->fmt.pix.bytesperline =
                f->fmt.pix.pixelformat == V4L2_PIX_FMT_YUYV ? current.width * 2 : 0;
            return 0;
        }
        case VIDIOC_G_PARM: {
            auto* p = static_cast<v4l2_streamparm*>(arg);
            p->parm.capture.timeperframe = {1, 15};
            return 0;
        }
        case VIDIOC_REQBUFS: {
            auto* r = static_cast<v4l2_requestbuffers*>(arg);
            buffers_.assign(r->count, std::vector<uint8_t>(kBufferSize));
            return 0;
        }
        case VIDIOC_QUERYBUF: {
            auto* b = static_cast<v4l2_buffer*>(arg);
            b->length = kBufferSize;
            b->m.offset = b->index * kBufferSize;
            return 0;
        }
        case VIDIOC_QBUF:
            return 0;
        case VIDIOC_DQBUF: {
            auto* b = static_cast<v4l2_buffer*>(arg);
            b->index = 1;
            std::memcpy(buffers_[1].data(), payload.data(), std::min(payload.size(), kBufferSize));
            b->bytesused = static_cast<uint32_t>(payload.size());
            return 0;
        }
        case VIDIOC_STREAMON:
            streaming = true;
            return 0;
        case VIDIOC_STREAMOFF:
            streaming = false;
            return 0;
        case VIDIOC_QUERYCTRL: {
            auto* q = static_cast<v4l2_queryctrl*>(arg);
            if (q->id != V4L2_CID_GAIN || !hasGain)
                return fail(EINVAL);
            q->minimum = 0;
            q->maximum = 255;
            q->default_value = 64;
            return 0;
        }
        case VIDIOC_S_CTRL: {
            auto* c = static_cast<v4l2_control*>(arg);
            controlsSet.emplace_back(c->id, c->value);
            return 0;
        }
        default:
            return fail(ENOTTY);
        }
    }

  private:
    static constexpr size_t kBufferSize = 1 << 20;
    static int fail(int e)
    {
        errno = e;
        return -1;
    }
    std::vector<std::vector<uint8_t>> buffers_;
};

std::vector<uint8_t> yuyvFrame(int w, int h, uint8_t y, uint8_t u, uint8_t v)
{
    std::vector<uint8_t> data;
    for (int i = 0; i < w * h / 2; ++i)
        data.insert(data.end(), {y, u, y, v});
    return data;
}

TEST(V4l2Camera, MissingOrBusyDevicesDoNotOpen)
{
    FakeDevice device;
    device.modes = {{V4L2_PIX_FMT_YUYV, 640, 480}};
    device.present = false;
    EXPECT_EQ(V4l2Camera::open("/dev/video9", device), nullptr);
    device.present = true;
    device.busy = true;
    EXPECT_EQ(V4l2Camera::open("/dev/video9", device), nullptr);
    device.busy = false;
    device.modes = {{V4L2_PIX_FMT_NV12, 640, 480}};
    EXPECT_EQ(V4l2Camera::open("/dev/video9", device), nullptr);
    EXPECT_EQ(V4l2Camera::open("/dev/this-does-not-exist", systemV4l2Io()), nullptr);
}

TEST(V4l2Camera, PicksTheNearestOfferedSizePreferringMjpeg)
{
    FakeDevice device;
    device.modes = {{V4L2_PIX_FMT_YUYV, 640, 480},
                    {V4L2_PIX_FMT_MJPEG, 640, 480},
                    {V4L2_PIX_FMT_MJPEG, 1280, 720},
                    {V4L2_PIX_FMT_MJPEG, 1920, 1080},
                    {V4L2_PIX_FMT_YUYV, 320, 240}};
    auto camera = V4l2Camera::open("/dev/video0", device);
    ASSERT_NE(camera, nullptr);
    EXPECT_EQ(camera->nearestMode(640, 480).format, V4L2_PIX_FMT_MJPEG);
    EXPECT_EQ(camera->nearestMode(320, 240).format, V4L2_PIX_FMT_YUYV);
    EXPECT_EQ(camera->nearestMode(1280, 1024).height, 720);
    EXPECT_EQ(camera->nearestMode(2048, 1536).width, 1920);
}

TEST(V4l2Camera, YuyvFramesArriveAsBgrAtTheAskedSize)
{
    FakeDevice device;
    device.modes = {{V4L2_PIX_FMT_YUYV, 320, 240}};
    auto camera = V4l2Camera::open("/dev/video0", device);
    ASSERT_NE(camera, nullptr);
    ASSERT_TRUE(camera->startStream(640, 480));
    EXPECT_EQ(camera->nominalRate(), 15.0);
    device.payload = yuyvFrame(320, 240, 81, 90, 240); // red
    Frame out;
    ASSERT_TRUE(camera->nextFrame(out));
    ASSERT_EQ(out.width, 640);
    ASSERT_EQ(out.height, 480);
    EXPECT_GE(out.topRow(100)[100 * 3 + 2], 250);
    EXPECT_LE(out.topRow(100)[100 * 3 + 1], 5);
    camera->stopStream();
    EXPECT_EQ(device.mapped, 0);
}

TEST(V4l2Camera, MjpegFramesDecodeAndBrokenOnesAreSkippedNotShown)
{
    FakeDevice device;
    device.modes = {{V4L2_PIX_FMT_MJPEG, 64, 48}};
    auto camera = V4l2Camera::open("/dev/video0", device);
    ASSERT_NE(camera, nullptr);
    ASSERT_TRUE(camera->startStream(64, 48));
    Frame picture;
    picture.resize(64, 48);
    for (int y = 0; y < 48; ++y)
        for (int x = 0; x < 64; ++x)
        {
            uint8_t* p = picture.topRow(y) + x * 3;
            p[0] = y < 24 ? 200 : 20; // blue top half
            p[1] = 40;
            p[2] = y < 24 ? 20 : 200; // red bottom half
        }
    device.payload = encodeJpeg(picture, 90);
    Frame out;
    ASSERT_TRUE(camera->nextFrame(out));
    EXPECT_GT(out.topRow(5)[32 * 3 + 0], 150);
    EXPECT_GT(out.topRow(42)[32 * 3 + 2], 150);

    device.payload.assign(300, 0x55); // not a JPEG at all
    EXPECT_FALSE(camera->nextFrame(out));
}

TEST(V4l2Camera, GainGoesToTheControlAndColourBalanceToSoftware)
{
    FakeDevice device;
    device.modes = {{V4L2_PIX_FMT_YUYV, 64, 48}};
    device.hasGain = true;
    auto camera = V4l2Camera::open("/dev/video0", device);
    ASSERT_NE(camera, nullptr);
    ASSERT_TRUE(camera->startStream(64, 48));
    PictureSettings s;
    s.gains = {32, 64, 32}; // green doubled, red and blue half of green
    camera->applySettings(s);
    ASSERT_FALSE(device.controlsSet.empty());
    EXPECT_EQ(device.controlsSet.back(), (std::pair<uint32_t, int>{V4L2_CID_GAIN, 128}));
    device.payload = yuyvFrame(64, 48, 126, 128, 128); // mid grey
    Frame out;
    ASSERT_TRUE(camera->nextFrame(out));
    const uint8_t* p = out.topRow(10) + 10 * 3;
    EXPECT_NEAR(p[1], 128, 2);
    EXPECT_NEAR(p[0], 64, 2);
    EXPECT_NEAR(p[2], 64, 2);
}

TEST(V4l2Camera, AnUnpluggedCameraStartsAgainOnceItIsBack)
{
    FakeDevice device;
    device.modes = {{V4L2_PIX_FMT_YUYV, 64, 48}};
    auto camera = V4l2Camera::open("/dev/video0", device);
    ASSERT_NE(camera, nullptr);
    ASSERT_TRUE(camera->startStream(64, 48));
    device.payload = yuyvFrame(64, 48, 126, 128, 128);
    Frame out;
    ASSERT_TRUE(camera->nextFrame(out));

    device.present = false;
    EXPECT_FALSE(camera->nextFrame(out));
    EXPECT_FALSE(camera->startStream(64, 48));
    device.present = true;
    const int opensBefore = device.opens;
    ASSERT_TRUE(camera->startStream(64, 48));
    EXPECT_EQ(device.opens, opensBefore + 1); // a new open, not the dead descriptor
    EXPECT_TRUE(camera->nextFrame(out));
}

// Waits on the capture thread for up to two seconds.
template <typename Condition> bool eventually(Condition condition)
{
    for (int i = 0; i < 400; ++i)
    {
        if (condition())
            return true;
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
    }
    return condition();
}

TEST(V4l2Camera, PullingTheCameraFinishesTheRecordingAndConnectingAgainWorks)
{
    FakeDevice device;
    device.modes = {{V4L2_PIX_FMT_YUYV, 64, 48}};
    device.payload = yuyvFrame(64, 48, 126, 128, 128);
    auto v4l2 = V4l2Camera::open("/dev/video0", device);
    ASSERT_NE(v4l2, nullptr);
    CaptureRequest first;
    first.width = 64;
    first.height = 48;
    Camera camera(std::move(v4l2), first);
    Frame frame;
    ASSERT_EQ(camera.grab(64, 48, frame), Status::Ok);

    const std::string avi = ::testing::TempDir() + "unplugged.avi";
    std::remove(avi.c_str());
    ASSERT_EQ(camera.startRecording(avi), Status::Ok);
    std::this_thread::sleep_for(std::chrono::milliseconds(100));
    EXPECT_FALSE(camera.deviceLost());
    EXPECT_EQ(camera.recordingFault(), RecordFault::None);

    device.present = false;
    ASSERT_TRUE(eventually([&] { return camera.deviceLost(); }));
    EXPECT_EQ(camera.recordingFault(), RecordFault::DeviceGone);
    // The file is finished already, with its index, before anyone presses stop.
    const AviRepairResult check = repairAvi(avi);
    EXPECT_EQ(check.outcome, AviRepair::Whole);
    EXPECT_EQ(camera.grab(64, 48, frame), Status::DeviceFailed);
    // The frames it holds are the recording: stopping is no failure.
    EXPECT_EQ(camera.stopRecording(), Status::Ok);
    EXPECT_EQ(camera.recordingFault(), RecordFault::None);

    device.present = true;
    EXPECT_EQ(camera.grab(64, 48, frame), Status::Ok);
    EXPECT_FALSE(camera.deviceLost());
    std::remove(avi.c_str());
}

TEST(V4l2Camera, OneBrokenStreamIsRestartedWithoutCountingAsGone)
{
    FakeDevice device;
    device.modes = {{V4L2_PIX_FMT_YUYV, 64, 48}};
    device.payload = yuyvFrame(64, 48, 126, 128, 128);
    auto v4l2 = V4l2Camera::open("/dev/video0", device);
    ASSERT_NE(v4l2, nullptr);
    CaptureRequest first;
    first.width = 64;
    first.height = 48;
    Camera camera(std::move(v4l2), first);
    std::atomic<int> frames{0};
    camera.setFrameRoutine([](BYTE*, DWORD, void* c) { ++*static_cast<std::atomic<int>*>(c); },
                           &frames);
    const std::string avi = ::testing::TempDir() + "hiccup.avi";
    ASSERT_EQ(camera.startRecording(avi), Status::Ok); // keeps the stream running
    ASSERT_TRUE(eventually([&] { return frames > 3; }));
    device.streaming = false; // the next wait fails once; a restart brings frames back
    const int before = frames;
    EXPECT_TRUE(eventually([&] { return frames > before + 3; }));
    EXPECT_FALSE(camera.deviceLost());
    EXPECT_EQ(camera.recordingFault(), RecordFault::None);
    EXPECT_EQ(camera.stopRecording(), Status::Ok);
    std::remove(avi.c_str());
}

} // namespace
} // namespace zcap
