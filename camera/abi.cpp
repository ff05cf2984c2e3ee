// The exported C functions: thin wrappers that look up the handle, check arguments and call
// the Camera. Nothing thrown gets past them.

#include <atomic>
#include <cmath>
#include <cstdlib>
#include <map>
#include <memory>
#include <mutex>
#include <string>
#include <thread>

#include "camera/avi_repair.h"
#include "camera/camera.h"
#include "camera/device_factory.h"
#include "camera/image_files.h"
#include "platform/c_boundary.h"
#include "zcapapi.h"

namespace {

struct Registry
{
    std::mutex mutex; // guards cameras and next
    std::map<ZCAPHANDLE, std::shared_ptr<zcap::Camera>> cameras;
    ZCAPHANDLE next = 1;
};

Registry& registry()
{
    static Registry* instance = new Registry(); // outlives every static destructor
    return *instance;
}

std::shared_ptr<zcap::Camera> find(ZCAPHANDLE handle)
{
    if (handle == 0)
        return nullptr;
    Registry& r = registry();
    std::lock_guard lock(r.mutex);
    auto it = r.cameras.find(handle);
    return it == r.cameras.end() ? nullptr : it->second;
}

zcap::CaptureRequest decode(const ZCAPINFO& info)
{
    zcap::CaptureRequest request;
    request.width = info.dwWidth > 65536 ? 0 : static_cast<int>(info.dwWidth);
    request.height = info.dwHeight > 65536 ? 0 : static_cast<int>(info.dwHeight);
    request.exposure = static_cast<int>(std::min<DWORD>(info.dwExposure, 1000));
    request.gains = {info.byBlueGain, info.byGreenGain, info.byRedGain};
    return request;
}

int codeOf(zcap::Status status)
{
    switch (status)
    {
    case zcap::Status::Ok:
        return ZCAP_OK;
    case zcap::Status::Closed:
        return ZCAP_ERR_HANDLE;
    case zcap::Status::BadArgument:
        return ZCAP_ERR_ARGUMENT;
    case zcap::Status::DeviceFailed:
        return ZCAP_ERR_DEVICE;
    case zcap::Status::FileFailed:
        return ZCAP_ERR_FILE;
    case zcap::Status::NoFrame:
        return ZCAP_ERR_NO_FRAME;
    case zcap::Status::ViewFailed:
        return ZCAP_ERR_VIEW;
    case zcap::Status::WrongState:
        return ZCAP_ERR_STATE;
    }
    return ZCAP_ERR_DEVICE;
}

// A failure nobody expected is the device's, as far as a caller can tell.
template <typename F> int guarded(F&& body)
{
    return kwz::guardedCall({ZCAP_ERR_NO_MEMORY, ZCAP_ERR_DEVICE}, body);
}

int grabInto(ZCAPHANDLE handle, const ZCAPINFO* info, zcap::Frame& frame)
{
    auto camera = find(handle);
    if (!camera)
        return ZCAP_ERR_HANDLE;
    if (!info)
        return ZCAP_ERR_ARGUMENT;
    const zcap::CaptureRequest request = decode(*info);
    return codeOf(camera->grab(request.width, request.height, frame));
}

int grabToFile(ZCAPHANDLE handle, const ZCAPINFO* info, BYTE* work, const char* fileName, bool jpeg,
               int quality)
{
    if (!fileName || !*fileName || (jpeg && (quality < 1 || quality > 100)))
        return find(handle) ? ZCAP_ERR_ARGUMENT : ZCAP_ERR_HANDLE;
    zcap::Frame frame;
    const int result = grabInto(handle, info, frame);
    if (result != ZCAP_OK)
        return result;
    if (work)
        std::copy(frame.bgr.begin(), frame.bgr.end(), work);
    const std::vector<uint8_t> bytes =
        jpeg ? zcap::encodeJpeg(frame, quality) : zcap::encodeBmp(frame);
    if (bytes.empty())
        return ZCAP_ERR_NO_MEMORY;
    return zcap::writeFileAtomically(fileName, bytes) ? ZCAP_OK : ZCAP_ERR_FILE;
}

} // namespace

KWZ_API int ZcapInitialize(const char* /*brand*/, DWORD* deviceKind, const ZCAPINFO* info,
                           ZCAPHANDLE* handle)
{
    if (!handle)
        return ZCAP_ERR_HANDLE;
    *handle = 0;
    if (!info)
        return ZCAP_ERR_ARGUMENT;
    return guarded([&] {
        const zcap::CaptureRequest request = decode(*info);
        if (!zcap::validSize(request.width, request.height))
            return ZCAP_ERR_ARGUMENT;
        std::unique_ptr<zcap::CameraDevice> device = zcap::openConfiguredDevice();
        if (!device)
            return ZCAP_ERR_DEVICE;
        auto camera = std::make_shared<zcap::Camera>(std::move(device), request);
        if (deviceKind)
            *deviceKind = static_cast<DWORD>(camera->kind());
        Registry& r = registry();
        std::lock_guard lock(r.mutex);
        while (r.next == 0 || r.cameras.count(r.next))
            ++r.next;
        *handle = r.next++;
        r.cameras.emplace(*handle, std::move(camera));
        return ZCAP_OK;
    });
}

KWZ_API int ZcapUninitialize(ZCAPHANDLE* handle)
{
    if (!handle)
        return ZCAP_ERR_HANDLE;
    return guarded([&] {
        std::shared_ptr<zcap::Camera> camera;
        {
            Registry& r = registry();
            std::lock_guard lock(r.mutex);
            auto it = r.cameras.find(*handle);
            if (it == r.cameras.end())
                return ZCAP_ERR_HANDLE;
            camera = std::move(it->second);
            r.cameras.erase(it);
        }
        *handle = 0;
        if (camera->onCaptureThread())
        {
            // Released from one of its own routines: finish elsewhere, the thread is busy here.
            std::thread([camera] { camera->shutdown(); }).detach();
        }
        else
        {
            camera->shutdown();
        }
        return ZCAP_OK;
    });
}

KWZ_API int ZcapSetCapInfo(ZCAPHANDLE handle, const ZCAPINFO* info)
{
    return guarded([&] {
        auto camera = find(handle);
        if (!camera)
            return ZCAP_ERR_HANDLE;
        if (!info)
            return ZCAP_ERR_ARGUMENT;
        return codeOf(camera->setCapture(decode(*info)));
    });
}

KWZ_API int ZcapStartView(ZCAPHANDLE handle, const char* /*title*/, DWORD /*style*/, int /*x*/,
                          int /*y*/, int width, int height, HWND parent, DWORD /*reserved*/)
{
    // Every failure of the view, memory included, is the one code callers look for.
    return kwz::guardedCall({ZCAP_ERR_VIEW, ZCAP_ERR_VIEW}, [&] {
        auto camera = find(handle);
        if (!camera || !parent)
            return ZCAP_ERR_VIEW;
        return camera->startView(kwz::fromHwnd(parent), width, height) == zcap::Status::Ok
                   ? ZCAP_OK
                   : ZCAP_ERR_VIEW;
    });
}

KWZ_API int ZcapStopView(ZCAPHANDLE handle)
{
    return guarded([&] {
        auto camera = find(handle);
        return camera ? codeOf(camera->stopView()) : ZCAP_ERR_HANDLE;
    });
}

KWZ_API int ZcapSetViewWin(ZCAPHANDLE handle, const ZCAPVIEWWIN* placement)
{
    return guarded([&] {
        auto camera = find(handle);
        if (!camera)
            return ZCAP_ERR_HANDLE;
        if (!placement)
            return ZCAP_ERR_ARGUMENT;
        return codeOf(camera->setPlacement(
            {placement->x, placement->y, placement->width, placement->height}));
    });
}

KWZ_API int ZcapGetRgbFrame(ZCAPHANDLE handle, const ZCAPINFO* info, BYTE* dest)
{
    return guarded([&] {
        if (!dest)
            return find(handle) ? ZCAP_ERR_ARGUMENT : ZCAP_ERR_HANDLE;
        zcap::Frame frame;
        const int result = grabInto(handle, info, frame);
        if (result == ZCAP_OK)
            std::copy(frame.bgr.begin(), frame.bgr.end(), dest);
        return result;
    });
}

KWZ_API int ZcapGetRgbFrameToBmp(ZCAPHANDLE handle, const ZCAPINFO* info, BYTE* work,
                                 const char* fileName)
{
    return guarded([&] { return grabToFile(handle, info, work, fileName, false, 0); });
}

KWZ_API int ZcapGetRgbFrameToJpeg(ZCAPHANDLE handle, const ZCAPINFO* info, BYTE* work,
                                  const char* fileName, int quality)
{
    return guarded([&] { return grabToFile(handle, info, work, fileName, true, quality); });
}

KWZ_API int ZcapCaptureToAvi(ZCAPHANDLE handle, int start, const char* fileName)
{
    return guarded([&] {
        auto camera = find(handle);
        if (!camera)
            return ZCAP_ERR_HANDLE;
        if (!start)
            return codeOf(camera->stopRecording());
        if (!fileName || !*fileName)
            return ZCAP_ERR_ARGUMENT;
        return codeOf(camera->startRecording(fileName));
    });
}

KWZ_API int ZcapGetRecordFault(ZCAPHANDLE handle, int* fault)
{
    return guarded([&] {
        auto camera = find(handle);
        if (!camera)
            return ZCAP_ERR_HANDLE;
        if (!fault)
            return ZCAP_ERR_ARGUMENT;
        switch (camera->recordingFault())
        {
        case zcap::RecordFault::None:
            *fault = ZCAP_RECORD_OK;
            break;
        case zcap::RecordFault::DiskFull:
            *fault = ZCAP_RECORD_DISK_FULL;
            break;
        case zcap::RecordFault::FolderGone:
            *fault = ZCAP_RECORD_FOLDER_GONE;
            break;
        case zcap::RecordFault::Permission:
            *fault = ZCAP_RECORD_PERMISSION;
            break;
        case zcap::RecordFault::WriteError:
            *fault = ZCAP_RECORD_WRITE_ERROR;
            break;
        case zcap::RecordFault::DeviceGone:
            *fault = ZCAP_RECORD_DEVICE_GONE;
            break;
        }
        return ZCAP_OK;
    });
}

KWZ_API int ZcapFinishCutAvi(const char* fileName, int* frames)
{
    return guarded([&] {
        if (!fileName || !*fileName)
            return ZCAP_ERR_ARGUMENT;
        const zcap::AviRepairResult result = zcap::repairAvi(fileName);
        if (frames && result.frames >= 0)
            *frames = result.frames;
        switch (result.outcome)
        {
        case zcap::AviRepair::Repaired:
            return ZCAP_OK;
        case zcap::AviRepair::Whole:
            return ZCAP_ERR_STATE;
        case zcap::AviRepair::NotAvi:
            return ZCAP_ERR_ARGUMENT;
        case zcap::AviRepair::Failed:
            break;
        }
        return ZCAP_ERR_FILE;
    });
}

KWZ_API int ZcapGetDeviceState(ZCAPHANDLE handle, int* state)
{
    return guarded([&] {
        auto camera = find(handle);
        if (!camera)
            return ZCAP_ERR_HANDLE;
        if (!state)
            return ZCAP_ERR_ARGUMENT;
        *state = camera->deviceLost() ? ZCAP_DEVICE_GONE : ZCAP_DEVICE_PRESENT;
        return ZCAP_OK;
    });
}

KWZ_API int ZcapGetFrameRate(ZCAPHANDLE handle, float* fps)
{
    return guarded([&] {
        auto camera = find(handle);
        if (!camera)
            return ZCAP_ERR_HANDLE;
        if (!fps)
            return ZCAP_ERR_ARGUMENT;
        *fps = camera->frameRate();
        return ZCAP_OK;
    });
}

KWZ_API int ZcapSetGammaValue(ZCAPHANDLE handle, float gamma, int enable)
{
    return guarded([&] {
        auto camera = find(handle);
        return camera ? codeOf(camera->setGamma(gamma, enable != 0)) : ZCAP_ERR_HANDLE;
    });
}

KWZ_API int ZcapEnableColorOffset(ZCAPHANDLE handle, int red, int green, int blue, int enable)
{
    return guarded([&] {
        auto camera = find(handle);
        return camera ? codeOf(camera->setOffsets(red, green, blue, enable != 0)) : ZCAP_ERR_HANDLE;
    });
}

static_assert(ZCAP_LIGHT_TOP_INNER == zcap::kLightTopInner &&
              ZCAP_LIGHT_TOP_OUTER == zcap::kLightTopOuter &&
              ZCAP_LIGHT_BOTTOM == zcap::kLightBottom && ZCAP_LIGHT_LASER == zcap::kLightLaser &&
              ZCAP_LIGHT_ALL == zcap::kAllLights);

KWZ_API int ZcapSetLights(ZCAPHANDLE handle, unsigned lights)
{
    return guarded([&] {
        auto camera = find(handle);
        return camera ? codeOf(camera->setLights(lights)) : ZCAP_ERR_HANDLE;
    });
}

KWZ_API int ZcapSetDoAWB(ZCAPHANDLE handle, int start, int maxFrames, ZCAPAWBPROC done,
                         void* context)
{
    return guarded([&] {
        auto camera = find(handle);
        if (!camera)
            return ZCAP_ERR_HANDLE;
        return codeOf(start ? camera->startBalance(maxFrames, done, context)
                            : camera->cancelBalance());
    });
}

KWZ_API int ZcapSetFrameCallback(ZCAPHANDLE handle, ZCAPFRAMEPROC routine, void* context)
{
    return guarded([&] {
        auto camera = find(handle);
        return camera ? codeOf(camera->setFrameRoutine(routine, context)) : ZCAP_ERR_HANDLE;
    });
}

KWZ_API int ZcapSetRecordCallback(ZCAPHANDLE handle, ZCAPRECORDPROC routine, void* context)
{
    return guarded([&] {
        auto camera = find(handle);
        return camera ? codeOf(camera->setRecordRoutine(routine, context)) : ZCAP_ERR_HANDLE;
    });
}
