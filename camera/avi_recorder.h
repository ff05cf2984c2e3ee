#pragma once
// Records frames as MJPEG into an AVI file (OpenDML, so past 1 GiB) on a thread of its own,
// so encoding never holds up the camera. The file's frame rate is the rate at which the
// frames really arrived, written into the header when the recording ends. A recording that
// cannot go on writing stops at once and is finished up to its last whole frame.

#include <chrono>
#include <condition_variable>
#include <deque>
#include <functional>
#include <memory>
#include <mutex>
#include <string>
#include <thread>

#include "camera/frame.h"

namespace zcap {

// Why a recording stopped writing by itself.
enum class RecordFault
{
    None,
    DiskFull,   // no space left, or the user's quota
    FolderGone, // the file or its folder was removed, or the medium went away
    Permission, // writing is refused
    WriteError, // any other failure of the disk
    DeviceGone, // the camera went away: the file was finished with the frames it sent
};

class AviRecorder
{
  public:
    ~AviRecorder();
    AviRecorder(const AviRecorder&) = delete;
    AviRecorder& operator=(const AviRecorder&) = delete;

    // Creates the file; null (and no file left) when it cannot be written.
    static std::unique_ptr<AviRecorder> create(const std::string& path, int width, int height,
                                               double nominalRate, int quality = 75);

    // Queues a copy of the frame (scaled to the recording size if it differs), after `touch`
    // has drawn on that copy. A frame that arrives while the encoder is still busy with
    // earlier ones is dropped, untouched.
    void push(const Frame& frame, const std::function<void(Frame&)>& touch = nullptr);
    // Writes the index and header and closes the file; false when something failed on the way.
    bool finish();

    int framesWritten() const;
    int framesDropped() const;
    // None while the recording goes on writing.
    RecordFault fault() const;

  private:
    struct Muxer;
    using Clock = std::chrono::steady_clock;
    struct Item
    {
        Frame frame;
        Clock::time_point at;
    };

    AviRecorder() = default;
    void run();
    bool patchRate(double fps);
    // After a failed write: closes the file without the muxer's ending and finishes it from
    // what is whole on the disk.
    void finishCutFile();
    bool fileStillThere() const;

    std::string path_;
    int width_ = 0;
    int height_ = 0;
    int quality_ = 75;
    std::unique_ptr<Muxer> muxer_;
    std::thread thread_;
    // Which file the path named at the start, to notice it being removed while recording.
    unsigned long fileDevice_ = 0;
    unsigned long fileInode_ = 0;
    Clock::time_point lastCheck_{}; // the recording thread's only

    mutable std::mutex mutex_; // guards everything below
    std::condition_variable wake_;
    std::deque<Item> queue_;
    std::deque<Frame> spare_;
    bool closing_ = false;
    bool failed_ = false;
    bool finished_ = false;
    RecordFault fault_ = RecordFault::None;
    int written_ = 0;
    int dropped_ = 0;
    Clock::time_point first_{};
    Clock::time_point last_{};
};

} // namespace zcap
