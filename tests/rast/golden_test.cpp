// Files the library writes, compared byte for byte with copies kept under tests/data/golden:
// a change that moves one byte of a measurement file or a BMP file fails here.
//
// KWZ_GOLDEN_OUT=<folder> writes the files there instead of comparing (see tests/data/README.md).

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "rast.h"

namespace {

namespace fs = std::filesystem;

std::vector<uint8_t> slurp(const fs::path& path)
{
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

// Bottom-up rows of `bits` per pixel, padded to four bytes, filled with a fixed pattern.
std::vector<uint8_t> patternRows(int width, int height, int bits)
{
    const size_t stride = (size_t(bits) * width + 31) / 32 * 4;
    std::vector<uint8_t> rows(stride * height);
    for (size_t i = 0; i < rows.size(); ++i)
        rows[i] = uint8_t(i * 7 + (i / stride) * 13);
    return rows;
}

class Golden : public ::testing::Test
{
  protected:
    void SetUp() override
    {
        dir_ = fs::path(::testing::TempDir()) /
               (std::string("golden_") +
                ::testing::UnitTest::GetInstance()->current_test_info()->name());
        fs::remove_all(dir_);
        fs::create_directories(dir_);
        ASSERT_EQ(RASTInitialize(&object_), RAST_OK);
    }
    void TearDown() override
    {
        if (object_)
            RASTUnInitialize(&object_);
        fs::remove_all(dir_);
    }

    std::string path(const std::string& name) const { return (dir_ / name).string(); }

    void load(int width, int height, int bits)
    {
        const std::vector<uint8_t> rows = patternRows(width, height, bits);
        ASSERT_EQ(RASTReadPixels(object_, rows.data(), width, height, bits), RAST_OK);
    }

    // Compares a written file with its golden copy, or makes the copy when asked to.
    void expectGolden(const std::string& written, const std::string& name)
    {
        const std::vector<uint8_t> actual = slurp(written);
        ASSERT_FALSE(actual.empty()) << written;
        if (const char* out = std::getenv("KWZ_GOLDEN_OUT"))
        {
            fs::copy_file(written, fs::path(out) / name, fs::copy_options::overwrite_existing);
            return;
        }
        const std::vector<uint8_t> expected = slurp(fs::path(KWZ_TEST_DATA) / "golden" / name);
        ASSERT_EQ(actual.size(), expected.size()) << name;
        for (size_t i = 0; i < actual.size(); ++i)
            ASSERT_EQ(int(actual[i]), int(expected[i])) << name << " differs at byte " << i;
    }

    void* object_ = nullptr;
    fs::path dir_;
};

void place(void* o, GRAPHICTYPE type, std::initializer_list<POINT> points)
{
    auto p = points.begin();
    ASSERT_EQ(RASTStartGraphic(o, *p, type), RAST_OK);
    for (++p; p != points.end(); ++p)
        ASSERT_EQ(RASTAddPointToGraphic(o, *p), RAST_OK);
    ASSERT_EQ(RASTFinishGraphic(o), RAST_OK);
}

// A ruler, one graphic of every kind and settings away from their defaults, so every header
// field and every record layout of the stream is in the file.
TEST_F(Golden, MeasureFileWithEveryKindOfGraphic)
{
    load(13, 7, 4);
    ASSERT_EQ(RASTSetRuler(object_, POINT{1, 1}, POINT{11, 1}, ZQ_MM, 2.5f), RAST_OK);
    RASTSetMeasureUnit(object_, ZQ_CM);
    LineMark line = 0x0F;
    RectMark rect = 0x5B;
    CircleMark circle = 0x1F;
    EllipseMark ellipse = 0x2D;
    AngleMark angle = 0x03;
    PolyLineMark poly = 0x0E;
    ASSERT_EQ(RASTSetLineMark(object_, &line), RAST_OK);
    ASSERT_EQ(RASTSetRectMark(object_, &rect), RAST_OK);
    ASSERT_EQ(RASTSetCircleMark(object_, &circle), RAST_OK);
    ASSERT_EQ(RASTSetEllipseMark(object_, &ellipse), RAST_OK);
    ASSERT_EQ(RASTSetAngleMark(object_, &angle), RAST_OK);
    ASSERT_EQ(RASTSetPolyLineMark(object_, &poly), RAST_OK);
    ASSERT_EQ(RASTSetPrecision(object_, 3), RAST_OK);
    RASTSetMeasurePen(object_, 2, 3, 0x123456, 0x00AB00, 0x0000CD);
    place(object_, GT_LINE, {{2, 3}, {8, 6}});
    RASTSetMeasurePen(object_, 1, 1, 0xFF0000, 0x00FF00, 0x0000FF);
    place(object_, GT_RECT, {{1, 2}, {6, 5}});
    place(object_, GT_CIRCLE_DIAMETER, {{3, 3}, {9, 5}});
    place(object_, GT_CIRCLE_CENTRE, {{6, 3}, {8, 4}});
    place(object_, GT_CIRCLE_3POINTS, {{2, 2}, {7, 1}, {5, 6}});
    place(object_, GT_ELLIPSE_BOX, {{1, 1}, {12, 6}});
    place(object_, GT_ELLIPSE_CENTRE, {{6, 3}, {9, 5}});
    place(object_, GT_ANGLE, {{1, 6}, {5, 1}, {11, 6}});
    ASSERT_EQ(RASTHideDescriptor(object_, 1), RAST_OK); // the selected angle only
    place(object_, GT_POLYGON, {{1, 1}, {5, 2}, {9, 5}, {3, 6}});
    RASTSetTxtFont(object_, "DejaVu Sans", 16, 0x0000AA, 0x00AA00, 0xAA0000);
    ASSERT_EQ(RASTStartGraphic(object_, POINT{4, 4}, GT_TEXT), RAST_OK);
    ASSERT_EQ(RASTAddStringToGraphic(object_, "Sample 42"), RAST_OK);
    ASSERT_EQ(RASTFinishGraphic(object_), RAST_OK);

    ASSERT_EQ(RASTWriteMeasureFile(object_, path("every_kind.mea").c_str()), RAST_OK);
    expectGolden(path("every_kind.mea"), "every_kind.mea");

    // What the reader restores, the writer puts back unchanged.
    void* back = nullptr;
    ASSERT_EQ(RASTInitialize(&back), RAST_OK);
    ASSERT_EQ(RASTReadMeasureFile(back, path("every_kind.mea").c_str()), RAST_OK);
    ASSERT_EQ(RASTWriteMeasureFile(back, path("again.mea").c_str()), RAST_OK);
    RASTUnInitialize(&back);
    EXPECT_EQ(slurp(path("again.mea")), slurp(path("every_kind.mea")));
}

// Colour tables, row padding and the header fields of images made from raw rows.
TEST_F(Golden, BmpFilesOfRawRows)
{
    struct Case
    {
        int width, height, bits;
        const char* name;
    };
    for (const Case& c : {Case{13, 5, 1, "rows_1bit.bmp"}, Case{7, 3, 8, "rows_8bit.bmp"},
                          Case{5, 3, 24, "rows_24bit.bmp"}, Case{3, 2, 32, "rows_32bit.bmp"}})
    {
        SCOPED_TRACE(c.name);
        RASTUnInitialize(&object_);
        ASSERT_EQ(RASTInitialize(&object_), RAST_OK);
        load(c.width, c.height, c.bits);
        ASSERT_EQ(RASTWriteFile(object_, path(c.name).c_str(), 0), RAST_OK);
        expectGolden(path(c.name), c.name);
    }
}

} // namespace
