#pragma once
// Shared by the bitmap library's fuzz targets: a private scratch folder for the files the
// library reads and writes, a display of the loaded image on small surfaces, and the work a
// user does on what was read: draw it, point at it, select it, drag it and save the overlay.

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
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
#include "platform/testing/fake_clock.h"
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

inline void check(bool condition, const char* what)
{
    if (!condition)
    {
        std::fprintf(stderr, "invariant broken: %s\n", what);
        std::abort();
    }
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

// Points to aim at, taken from the input itself: a file's coordinates are where its figures
// are, and some of them are the extremes of the int range.
class Points
{
  public:
    Points(const uint8_t* data, size_t size, size_t from) : data_(data), size_(size), at_(from) {}

    bool more() const { return at_ + 8 <= size_; }
    int32_t next()
    {
        if (at_ + 4 > size_)
            return 0;
        int32_t v;
        std::memcpy(&v, data_ + at_, sizeof v);
        at_ += 4;
        return v;
    }
    POINT point()
    {
        const int32_t x = next();
        return POINT{x, next()};
    }

  private:
    const uint8_t* data_;
    size_t size_;
    size_t at_;
};

// The whole overlay drawn without a target and onto one, written into a BMP that must read
// back as an image of the same size.
inline void drawAndSave(void* object, const Scratch& scratch, int width, int height)
{
    check(RASTDraw(object, nullptr, 0, 0, width, height) == RAST_OK, "draws without a target");
    // The target shows the image's top-left corner; the overlay is drawn whole either way.
    auto target = kwz::RasterContext::create(std::min(width, 256), std::min(height, 256), 32);
    check(RASTDraw(object, kwz::toHdc(target.get()), 0, 0, width, height) == RAST_OK,
          "draws onto a raster context");
    check(RASTWriteFile(object, scratch.output().c_str(), 1) == RAST_OK, "writes the overlay");
    void* again = nullptr;
    RASTInitialize(&again);
    int w = 0, h = 0;
    check(RASTReadFile(again, scratch.output().c_str()) == RAST_OK, "the overlay reads back");
    RASTGetWidth(again, &w);
    RASTGetHeight(again, &h);
    check(w == width && h == height, "the overlay keeps the image's size");
    RASTUnInitialize(&again);
}

// Points at, selects and drags what the object holds, drawing after every change, as a user
// does with the mouse. Throttled calls see a clock that moves on by 50 ms between them.
inline void work(void* object, const Scratch& scratch, int width, int height, Points points)
{
    static kwz::FakeClock clock(1);
    drawAndSave(object, scratch, width, height);
    for (int i = 0; i < 24 && points.more(); ++i)
    {
        const POINT p = points.point();
        clock.advance(50);
        RASTIsPassGraphic(object, p.x, p.y);
        if (RASTIsHitGraphic(object, p.x, p.y) == RAST_OK)
        {
            RECT r;
            RASTGetBoundingRect(object, &r);
            // Small drags, and now and then one by a raw value from the file.
            const int32_t dx = points.next(), dy = points.next();
            if (i % 4 == 3)
                RASTMoveGraphic(object, dx, dy);
            else
                RASTMoveGraphic(object, dx % 64, dy % 64);
            RASTGetBoundingRect(object, &r);
        }
        RASTDraw(object, nullptr, 0, 0, width, height);
    }
    RASTClearHitGraphic(object);
    drawAndSave(object, scratch, width, height);
}

} // namespace rastfuzz
