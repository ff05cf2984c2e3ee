#pragma once
// Shared by the bitmap library's fuzz targets: a private scratch folder for the files the
// library reads and writes, and a display of the loaded image on small surfaces.

#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <memory>
#include <string>
#include <vector>

#include <unistd.h>

#include "platform/draw/raster_context.h"
#include "platform/draw/window.h"
#include "platform/message_box.h"
#include "rast.h"

namespace rastfuzz {

class Scratch
{
  public:
    explicit Scratch(const char* name)
    {
        const char* tmp = std::getenv("TMPDIR");
        dir_ = std::filesystem::path(tmp ? tmp : "/tmp") /
               ("kwz_fuzz_" + std::string(name) + "_" + std::to_string(getpid()));
        std::filesystem::create_directories(dir_);
        input_ = (dir_ / "input").string();
        output_ = (dir_ / "output").string();
        // The version message goes nowhere.
        kwz::setMessageBoxHandler([](void*, HWND, const char*, const char*, unsigned) { return 1; },
                                  nullptr);
    }
    ~Scratch() { std::filesystem::remove_all(dir_); }

    void store(const uint8_t* data, size_t size) const
    {
        std::ofstream out(input_, std::ios::binary | std::ios::trunc);
        out.write(reinterpret_cast<const char*>(data), std::streamsize(size));
    }
    const std::string& input() const { return input_; }
    const std::string& output() const { return output_; }

  private:
    std::filesystem::path dir_;
    std::string input_;
    std::string output_;
};

inline std::vector<uint8_t> slurp(const std::string& path)
{
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

class SmallWindow : public kwz::Window
{
  public:
    SmallWindow() : context_(kwz::RasterContext::create(24, 16, 8)) {}
    RECT clientRect() const override { return RECT{0, 0, 24, 16}; }
    kwz::DrawContext* getDC() override { return context_.get(); }
    void releaseDC(kwz::DrawContext*) override {}
    void invalidate(const RECT*) override {}

  private:
    std::unique_ptr<kwz::RasterContext> context_;
};

// Every display operation, onto surfaces of another bit count than most images.
inline void display(void* object, int width, int height)
{
    auto target = kwz::RasterContext::create(32, 32, 24);
    RASTDraw(object, kwz::toHdc(target.get()), width - 20, height - 20, 40, 40);
    RASTShow(object, kwz::toHdc(target.get()), SHOWRECT{0, 0, 32, 32},
             SHOWRECT{0, 0, width, height});
    SmallWindow window;
    RASTShowRegion(object, kwz::toHwnd(&window), width / 2, height / 2, 5);
}

} // namespace rastfuzz
