#include "camera/avi_recorder.h"

#include <cerrno>
#include <cmath>
#include <cstdio>
#include <cstring>

#include <sys/stat.h>
#include <unistd.h>

extern "C" {
#include <libavformat/avformat.h>
#include <libavutil/avutil.h>
}

#include "camera/avi_repair.h"
#include "camera/image_files.h"
#include "camera/pixel_convert.h"
#include "platform/byte_order.h"
#include "platform/files.h"

namespace zcap {

namespace {

constexpr size_t kQueueLimit = 4;

RecordFault faultOf(int error)
{
    switch (error)
    {
    case ENOSPC:
    case EDQUOT:
    case EFBIG:
        return RecordFault::DiskFull;
    case ENOENT:
    case ENOTDIR:
    case ENODEV:
    case ENXIO:
    case ESTALE:
        return RecordFault::FolderGone;
    case EACCES:
    case EPERM:
    case EROFS:
        return RecordFault::Permission;
    default:
        return RecordFault::WriteError;
    }
}

} // namespace

// The muxer writes through the platform's files, so a failed write is seen with its cause.
struct AviRecorder::Muxer
{
    AVFormatContext* context = nullptr;
    AVStream* stream = nullptr;
    HANDLE file = INVALID_HANDLE_VALUE;
    bool headerWritten = false;
    int error = 0; // errno of the first failed write

    ~Muxer() { close(); }

    bool open(const std::string& path)
    {
        file = kwz::createFile(path, kwz::FileAccess::Write, kwz::FileDisposition::CreateAlways);
        if (file == INVALID_HANDLE_VALUE)
            return false;
        constexpr int kBufferSize = 1 << 16;
        auto* buffer = static_cast<unsigned char*>(av_malloc(kBufferSize));
        if (!buffer)
            return false;
        context->pb =
            avio_alloc_context(buffer, kBufferSize, 1, this, nullptr, &Muxer::write, &Muxer::seek);
        if (!context->pb)
        {
            av_free(buffer);
            return false;
        }
        return true;
    }

    // Flushes what the muxer holds; false when any write failed on the way.
    bool flush()
    {
        if (!context || !context->pb)
            return false;
        avio_flush(context->pb);
        return error == 0 && context->pb->error == 0;
    }

    void close()
    {
        if (context)
        {
            if (context->pb)
            {
                av_freep(&context->pb->buffer);
                avio_context_free(&context->pb);
            }
            avformat_free_context(context);
            context = nullptr;
        }
        if (file != INVALID_HANDLE_VALUE)
            kwz::closeHandle(file);
        file = INVALID_HANDLE_VALUE;
    }

#if LIBAVFORMAT_VERSION_MAJOR >= 61
    static int write(void* opaque, const uint8_t* data, int size)
#else
    static int write(void* opaque, uint8_t* data, int size)
#endif
    {
        auto* self = static_cast<Muxer*>(opaque);
        if (self->error != 0)
            return AVERROR(self->error);
        uint32_t done = 0;
        errno = 0;
        if (kwz::writeFile(self->file, data, uint32_t(size), &done) && done == uint32_t(size))
            return size;
        self->error = errno != 0 ? errno : EIO;
        return AVERROR(self->error);
    }

    static int64_t seek(void* opaque, int64_t offset, int whence)
    {
        auto* self = static_cast<Muxer*>(opaque);
        if (whence & AVSEEK_SIZE)
            return kwz::fileSize(self->file);
        const int64_t at = kwz::seekFile(self->file, offset, whence & ~AVSEEK_FORCE);
        return at < 0 ? AVERROR(errno) : at;
    }
};

std::unique_ptr<AviRecorder> AviRecorder::create(const std::string& path, int width, int height,
                                                 double nominalRate, int quality)
{
    if (path.empty() || !validSize(width, height))
        return nullptr;
    std::unique_ptr<AviRecorder> recorder(new AviRecorder());
    recorder->path_ = path;
    recorder->width_ = width;
    recorder->height_ = height;
    recorder->quality_ = quality;
    auto muxer = std::make_unique<Muxer>();
    if (avformat_alloc_output_context2(&muxer->context, nullptr, "avi", path.c_str()) < 0)
        return nullptr;
    muxer->stream = avformat_new_stream(muxer->context, nullptr);
    if (!muxer->stream)
        return nullptr;
    AVCodecParameters* par = muxer->stream->codecpar;
    par->codec_type = AVMEDIA_TYPE_VIDEO;
    par->codec_id = AV_CODEC_ID_MJPEG;
    par->codec_tag = MKTAG('M', 'J', 'P', 'G');
    par->width = width;
    par->height = height;
    par->format = AV_PIX_FMT_YUVJ420P;
    // The nominal rate is only a placeholder until the real one is known at the end.
    const int milli = static_cast<int>(std::lround((nominalRate > 0 ? nominalRate : 30.0) * 1000));
    muxer->stream->time_base = AVRational{1000, milli};
    muxer->stream->avg_frame_rate = AVRational{milli, 1000};
    if (!muxer->open(path))
    {
        if (muxer->file != INVALID_HANDLE_VALUE)
        {
            muxer.reset();
            ::unlink(path.c_str());
        }
        return nullptr;
    }
    if (avformat_write_header(muxer->context, nullptr) < 0 || !muxer->flush())
    {
        muxer.reset();
        ::unlink(path.c_str());
        return nullptr;
    }
    muxer->headerWritten = true;
    struct stat info
    {
    };
    if (::stat(path.c_str(), &info) == 0)
    {
        recorder->fileDevice_ = info.st_dev;
        recorder->fileInode_ = info.st_ino;
    }
    recorder->muxer_ = std::move(muxer);
    recorder->thread_ = std::thread([r = recorder.get()] { r->run(); });
    return recorder;
}

AviRecorder::~AviRecorder()
{
    finish();
}

void AviRecorder::push(const Frame& frame, const std::function<void(Frame&)>& touch)
{
    if (frame.empty())
        return;
    std::unique_lock lock(mutex_);
    if (closing_ || failed_)
        return;
    if (queue_.size() >= kQueueLimit)
    {
        ++dropped_;
        return;
    }
    Frame copy;
    if (!spare_.empty())
    {
        copy = std::move(spare_.front());
        spare_.pop_front();
    }
    lock.unlock();
    if (frame.width == width_ && frame.height == height_)
    {
        copy.resize(width_, height_);
        std::memcpy(copy.bgr.data(), frame.bgr.data(), frame.byteCount());
    }
    else
    {
        scaleFrame(frame, width_, height_, copy);
    }
    if (touch)
        touch(copy);
    lock.lock();
    queue_.push_back(Item{std::move(copy), Clock::now()});
    wake_.notify_one();
}

void AviRecorder::run()
{
    Clock::time_point ratePatched = Clock::now();
    std::unique_lock lock(mutex_);
    for (;;)
    {
        wake_.wait(lock, [&] { return closing_ || !queue_.empty(); });
        if (queue_.empty())
            return; // closing and drained
        Item item = std::move(queue_.front());
        queue_.pop_front();
        if (failed_)
            continue;
        lock.unlock();
        const std::vector<uint8_t> jpeg = encodeJpeg(item.frame, quality_);
        bool ok = !jpeg.empty();
        if (ok)
        {
            AVPacket* packet = av_packet_alloc();
            ok = packet && av_new_packet(packet, static_cast<int>(jpeg.size())) == 0;
            if (ok)
            {
                std::memcpy(packet->data, jpeg.data(), jpeg.size());
                packet->stream_index = 0;
                packet->pts = packet->dts = written_;
                packet->duration = 1;
                packet->flags |= AV_PKT_FLAG_KEY;
                // Each frame goes to the disk whole before the next, so a failure is seen at
                // the frame it hit.
                ok = av_write_frame(muxer_->context, packet) >= 0 && muxer_->flush();
            }
            av_packet_free(&packet);
        }
        RecordFault fault = RecordFault::None;
        if (!ok && muxer_->error != 0)
            fault = faultOf(muxer_->error);
        else if (ok && !fileStillThere())
            fault = RecordFault::FolderGone;
        lock.lock();
        if (fault != RecordFault::None)
        {
            failed_ = true;
            fault_ = fault;
            const bool whole = !ok; // a removed file cannot be finished any more
            lock.unlock();
            if (whole)
                finishCutFile();
            else
                muxer_->close();
            lock.lock();
            continue;
        }
        if (!ok)
        {
            failed_ = true;
            continue;
        }
        if (written_ == 0)
            first_ = item.at;
        last_ = item.at;
        ++written_;
        if (spare_.size() < 2)
            spare_.push_back(std::move(item.frame));
        // A file cut off by a kill keeps a rate close to the real one, so its length is right
        // once it is finished at the next start.
        if (written_ >= 2 && item.at - ratePatched >= std::chrono::seconds(1))
        {
            ratePatched = item.at;
            const double span = std::chrono::duration<double>(last_ - first_).count();
            const int frames = written_;
            lock.unlock();
            if (span > 0)
                patchRate((frames - 1) / span);
            lock.lock();
        }
    }
}

bool AviRecorder::finish()
{
    {
        std::lock_guard lock(mutex_);
        if (finished_)
            return !failed_;
        finished_ = true;
        closing_ = true;
        wake_.notify_one();
    }
    if (thread_.joinable())
        thread_.join();
    bool ok = !failed_;
    if (fault_ != RecordFault::None)
        return false; // finished already when the fault came
    if (muxer_ && muxer_->headerWritten)
    {
        ok = av_write_trailer(muxer_->context) >= 0 && ok;
        ok = muxer_->flush() && ok;
        if (!ok && muxer_->error != 0)
        {
            // The ending did not fit: the frames on the disk are kept all the same.
            fault_ = faultOf(muxer_->error);
            finishCutFile();
            return false;
        }
    }
    muxer_.reset();
    if (written_ >= 2)
    {
        const double span = std::chrono::duration<double>(last_ - first_).count();
        if (span > 0)
            ok = patchRate((written_ - 1) / span) && ok;
    }
    return ok;
}

void AviRecorder::finishCutFile()
{
    muxer_.reset();
    if (repairAvi(path_).outcome == AviRepair::Repaired && written_ >= 2)
    {
        const double span = std::chrono::duration<double>(last_ - first_).count();
        if (span > 0)
            patchRate((written_ - 1) / span);
    }
}

bool AviRecorder::fileStillThere() const
{
    const Clock::time_point now = Clock::now();
    if (fileInode_ == 0 || now - lastCheck_ < std::chrono::seconds(1))
        return true;
    const_cast<AviRecorder*>(this)->lastCheck_ = now;
    struct stat info
    {
    };
    return ::stat(path_.c_str(), &info) == 0 && info.st_dev == fileDevice_ &&
           info.st_ino == fileInode_;
}

// The muxer fixes the rate in the header before any frame is seen; the rate the frames
// really came at is only known now, so it is written over the placeholder.
bool AviRecorder::patchRate(double fps)
{
    if (!(fps > 0.1 && fps < 1000))
        return false;
    FILE* file = std::fopen(path_.c_str(), "r+b");
    if (!file)
        return false;
    uint8_t head[8192];
    const size_t got = std::fread(head, 1, sizeof head, file);
    auto find = [&](const char* tag) -> long {
        for (size_t i = 12; i + 8 <= got; ++i)
            if (std::memcmp(head + i, tag, 4) == 0)
                return static_cast<long>(i);
        return -1;
    };
    auto put32 = [&](long at, uint32_t v) {
        uint8_t bytes[4];
        kwz::writeU32le(bytes, v);
        return std::fseek(file, at, SEEK_SET) == 0 && std::fwrite(bytes, 1, 4, file) == 4;
    };
    const long avih = find("avih");
    const long strh = find("strh");
    bool ok = avih >= 0 && strh >= 0 && static_cast<size_t>(strh) + 8 + 28 <= got &&
              std::memcmp(head + strh + 8, "vids", 4) == 0;
    if (ok)
    {
        const uint32_t rate = static_cast<uint32_t>(std::lround(fps * 1000));
        ok = put32(avih + 8, static_cast<uint32_t>(std::lround(1e6 / fps))) &&
             put32(strh + 8 + 20, 1000) && put32(strh + 8 + 24, rate);
    }
    ok = (std::fclose(file) == 0) && ok;
    return ok;
}

int AviRecorder::framesWritten() const
{
    std::lock_guard lock(mutex_);
    return written_;
}

int AviRecorder::framesDropped() const
{
    std::lock_guard lock(mutex_);
    return dropped_;
}

RecordFault AviRecorder::fault() const
{
    std::lock_guard lock(mutex_);
    return fault_;
}

} // namespace zcap
