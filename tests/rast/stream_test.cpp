#include <cmath>
#include <cstring>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "engine/label_font.h"
#include "engine/stream_reader.h"
#include "engine/stream_writer.h"
#include "gaugit.h"
#include "platform/draw/font.h"
#include "platform/files.h"
#include "platform/message_box.h"

namespace gaugit {
namespace {

std::vector<uint8_t> slurp(const std::string& path)
{
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

void spit(const std::string& path, const std::vector<uint8_t>& bytes)
{
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(reinterpret_cast<const char*>(bytes.data()), std::streamsize(bytes.size()));
}

uint32_t u32At(const std::vector<uint8_t>& b, size_t at)
{
    return uint32_t(b[at]) | (uint32_t(b[at + 1]) << 8) | (uint32_t(b[at + 2]) << 16) |
           (uint32_t(b[at + 3]) << 24);
}

void putU32(std::vector<uint8_t>& b, size_t at, uint32_t v)
{
    for (int i = 0; i < 4; ++i)
        b[at + i] = uint8_t(v >> (8 * i));
}

class Stream : public ::testing::Test
{
  protected:
    void SetUp() override
    {
        path_ = ::testing::TempDir() + "stream_" +
                ::testing::UnitTest::GetInstance()->current_test_info()->name() + ".bin";
        kwz::setMessageBoxHandler(&Stream::recordBox, this);
    }
    void TearDown() override
    {
        kwz::setMessageBoxHandler(nullptr, nullptr);
        std::remove(path_.c_str());
    }

    static int recordBox(void* self, HWND, const char* text, const char* caption, unsigned)
    {
        static_cast<Stream*>(self)->boxes_.push_back(std::string(caption) + "|" + text);
        return kwz::IDOK;
    }

    std::vector<uint8_t> written(const GaugitEngine& e)
    {
        HANDLE f =
            kwz::createFile(path_, kwz::FileAccess::Write, kwz::FileDisposition::CreateAlways);
        EXPECT_NE(f, INVALID_HANDLE_VALUE);
        EXPECT_TRUE(StreamWriter(f).write(e));
        kwz::closeHandle(f);
        return slurp(path_);
    }

    // Reads the bytes into the engine; returns the outcome and how many bytes were left.
    StreamReader::Outcome readBack(GaugitEngine& e, const std::vector<uint8_t>& bytes,
                                   size_t* left = nullptr)
    {
        spit(path_, bytes);
        HANDLE f =
            kwz::createFile(path_, kwz::FileAccess::Read, kwz::FileDisposition::OpenExisting);
        EXPECT_NE(f, INVALID_HANDLE_VALUE);
        const StreamReader::Outcome outcome = StreamReader(f).read(e);
        if (left)
        {
            std::vector<uint8_t> rest(bytes.size() + 1);
            uint32_t done = 0;
            kwz::readFile(f, rest.data(), uint32_t(rest.size()), &done);
            *left = done;
        }
        kwz::closeHandle(f);
        return outcome;
    }

    std::string path_;
    std::vector<std::string> boxes_;
};

PenSpec penFor(int seed)
{
    return PenSpec{seed % 5, 1 + seed % 4, COLORREF(0x010203 * seed), COLORREF(0x102030 + seed),
                   COLORREF(0x0A0B0C + seed)};
}

template <typename G> void finishGraphic(G& g, int seed, int hidden)
{
    g.setPen(penFor(seed));
    g.setLabelHidden(hidden);
    g.recompute();
    g.createLabel(POINT{100 + seed, 200 - seed}, 5, 5);
}

// One graphic of every kind, each with its own pen, colours, label place and hidden flag.
void fill(GaugitEngine& e)
{
    e.setRuler(POINT{10, 20}, POINT{110, 20}, ZQ_MM, 2.5f);
    e.setRulerPen(penFor(9));
    e.setMeasureUnit(ZQ_UM);
    e.setAngleUnit(ZQ_RADIAN);
    e.setPrecision(3);
    e.setPen(PenSpec{2, 3, 0x111111, 0x333333, 0x222222});
    e.setLineMark(0x9);
    e.setPolygonMark(0x5);

    auto line = std::make_unique<LineGraphic>();
    line->setPoints(POINT{1, 2}, POINT{30, -4});
    line->setPointCount(2);
    finishGraphic(*line, 1, 0);
    e.append(std::move(line));
    auto line2 = std::make_unique<LineGraphic>();
    line2->setPoints(POINT{-7, 8}, POINT{9, 10});
    line2->setPointCount(2);
    finishGraphic(*line2, 2, 1);
    e.append(std::move(line2));

    for (int variant : {4, 5, 6})
    {
        auto c = std::make_unique<CircleGraphic>(variant);
        c->setPoint(0, POINT{10, 10});
        c->setPoint(1, POINT{20, 15});
        if (variant == 6)
            c->setPoint(2, POINT{12, 30});
        c->setPointCount(c->pointsNeeded());
        finishGraphic(*c, variant, variant == 5);
        e.append(std::move(c));
    }
    auto rect = std::make_unique<RectGraphic>();
    rect->setCorners(POINT{5, 6}, POINT{50, 60});
    rect->setPointCount(2);
    finishGraphic(*rect, 7, 0);
    e.append(std::move(rect));
    for (int variant : {7, 8})
    {
        auto el = std::make_unique<EllipseGraphic>(variant);
        el->setPoint(0, POINT{40, 40});
        el->setPoint(1, POINT{60, 50});
        el->setPointCount(2);
        finishGraphic(*el, variant + 3, 0);
        e.append(std::move(el));
    }
    auto angle = std::make_unique<AngleGraphic>();
    angle->setPoint(0, POINT{10, 0});
    angle->setPoint(1, POINT{0, 0});
    angle->setPoint(2, POINT{0, 10});
    angle->setPointCount(3);
    finishGraphic(*angle, 12, 1);
    e.append(std::move(angle));
    auto polygon = std::make_unique<PolygonGraphic>();
    for (int i = 0; i < 5; ++i)
        polygon->setVertex(i, POINT{i * 10, (i * i) % 7});
    polygon->setVertexCount(5);
    polygon->setFinished(1);
    finishGraphic(*polygon, 13, 0);
    e.append(std::move(polygon));
    auto text = std::make_unique<TextGraphic>();
    text->setPosition(POINT{33, 44});
    text->setText("\xb2\xe2\xc1\xbf 12 um");
    text->setTextColors(0x0000AA, 0x00BB00, 0xCC0000);
    text->setFont("Times New Roman", 18);
    text->setFinished(1);
    e.append(std::move(text));
}

template <typename G> void expectSameTail(const G& a, const G& b)
{
    EXPECT_EQ(a.penStyle(), b.penStyle());
    EXPECT_EQ(a.normalWidth(), b.normalWidth());
    EXPECT_EQ(a.selectedWidth(), b.normalWidth());
    EXPECT_EQ(a.normalColor(), b.normalColor());
    EXPECT_EQ(a.hoveredColor(), b.hoveredColor());
    EXPECT_EQ(a.selectedColor(), b.selectedColor());
    EXPECT_EQ(a.labelHidden(), b.labelHidden());
    ASSERT_TRUE(b.label());
    EXPECT_EQ(a.label()->position().x, b.label()->position().x);
    EXPECT_EQ(a.label()->position().y, b.label()->position().y);
}

bool samePoint(POINT a, POINT b)
{
    return a.x == b.x && a.y == b.y;
}

TEST_F(Stream, SizesFollowTheRecords)
{
    GaugitEngine e;
    e.setRuler(POINT{0, 0}, POINT{100, 0}, ZQ_MM, 1.0f);
    EXPECT_EQ(written(e).size(), 244u);

    auto line = std::make_unique<LineGraphic>();
    e.append(std::move(line));
    auto text = std::make_unique<TextGraphic>();
    e.append(std::move(text));
    EXPECT_EQ(written(e).size(), 244u + 52u + 220u);

    auto polygon = std::make_unique<PolygonGraphic>();
    polygon->setVertexCount(5);
    e.append(std::move(polygon));
    EXPECT_EQ(written(e).size(), 244u + 52u + 220u + 80u);
}

TEST_F(Stream, LayoutOfHeaderCountsAndRecordOrder)
{
    GaugitEngine e;
    fill(e);
    const std::vector<uint8_t> b = written(e);
    EXPECT_EQ(std::string(b.begin(), b.begin() + 4), "ZQGR");
    EXPECT_EQ(u32At(b, 8), 5u << 16); // main version 0, minor 5
    EXPECT_EQ(u32At(b, 16), uint32_t(ZQ_UM));
    EXPECT_EQ(u32At(b, 20), 2u);
    EXPECT_EQ(u32At(b, 24), 3u);
    EXPECT_EQ(u32At(b, 28), 0x111111u); // normal, selected, hovered
    EXPECT_EQ(u32At(b, 32), 0x222222u);
    EXPECT_EQ(u32At(b, 36), 0x333333u);
    for (size_t i = 40; i < 120; ++i)
        ASSERT_EQ(b[i], 0) << i;
    EXPECT_EQ(u32At(b, 120), uint32_t(ZQ_RADIAN));
    EXPECT_EQ(u32At(b, 124), 3u);
    EXPECT_EQ(u32At(b, 132), 0x9u);
    EXPECT_EQ(u32At(b, 152), 0x5u);
    // Counts: lines, circles, rectangles, ellipses, texts, angles, polygons.
    const uint32_t counts[] = {2, 3, 1, 2, 1, 1, 1};
    for (int i = 0; i < 7; ++i)
        EXPECT_EQ(u32At(b, 156 + 4 * i), counts[i]) << i;
    // Records: ruler, lines, circles, rectangles, ellipses, angles, polygons, texts.
    size_t at = 184;
    const std::pair<uint32_t, size_t> records[] = {{1, 60}, {2, 52}, {2, 52},  {4, 60},
                                                   {5, 60}, {6, 60}, {3, 52},  {7, 52},
                                                   {8, 52}, {9, 60}, {10, 80}, {11, 220}};
    for (const auto& [tag, size] : records)
    {
        EXPECT_EQ(u32At(b, at), tag) << "at " << at;
        at += size;
    }
    EXPECT_EQ(at, b.size());
    // The ruler record carries unit and length; circles of two points write no third.
    EXPECT_EQ(u32At(b, 184 + 20), uint32_t(ZQ_MM));
    float length;
    const uint32_t lengthBits = u32At(b, 184 + 24);
    std::memcpy(&length, &lengthBits, 4);
    EXPECT_EQ(length, 2.5f);
    EXPECT_EQ(u32At(b, 184 + 60 + 104 + 20), 0u);
}

TEST_F(Stream, EveryKindSurvivesAndRewritesByteForByte)
{
    GaugitEngine original;
    fill(original);
    const std::vector<uint8_t> first = written(original);

    GaugitEngine e;
    ASSERT_EQ(readBack(e, first), StreamReader::Outcome::Whole);
    EXPECT_EQ(written(e), first);

    EXPECT_EQ(e.measureUnit(), ZQ_UM);
    EXPECT_EQ(e.angleUnit(), ZQ_RADIAN);
    EXPECT_EQ(e.precision(), 3);
    EXPECT_EQ(e.marks().line, 0x9u);
    EXPECT_EQ(e.pen().width, 3);
    ASSERT_TRUE(e.ruler());
    EXPECT_EQ(e.ruler()->rulerUnit(), ZQ_MM);
    EXPECT_EQ(e.ruler()->rulerLength(), 2.5f);
    EXPECT_TRUE(samePoint(e.ruler()->end(), POINT{110, 20}));
    EXPECT_EQ(e.ruler()->normalColor(), original.ruler()->normalColor());
    // 2.5 mm over 100 pixels, in micrometres.
    EXPECT_FLOAT_EQ(e.unitsPerPixel(), 25.0f);

    ASSERT_EQ(e.lines().size(), 2u);
    for (size_t i = 0; i < 2; ++i)
    {
        const LineGraphic& a = *original.lines()[i];
        const LineGraphic& b = *e.lines()[i];
        EXPECT_TRUE(samePoint(a.start(), b.start()));
        EXPECT_TRUE(samePoint(a.end(), b.end()));
        expectSameTail(a, b);
        EXPECT_EQ(b.mark(), 0x9u);
        EXPECT_EQ(b.precision(), 3);
        EXPECT_EQ(b.pointCount(), 2);
        EXPECT_EQ(b.label()->normalColor(), a.normalColor());
    }
    EXPECT_FLOAT_EQ(e.lines()[0]->length(), float(std::hypot(29.0, 6.0) * 25.0));
    ASSERT_EQ(e.circles().size(), 3u);
    for (size_t i = 0; i < 3; ++i)
    {
        const CircleGraphic& a = *original.circles()[i];
        const CircleGraphic& b = *e.circles()[i];
        EXPECT_EQ(b.variant(), a.variant());
        EXPECT_EQ(b.pointCount(), a.pointsNeeded());
        EXPECT_TRUE(samePoint(a.centre(), b.centre()));
        expectSameTail(a, b);
    }
    ASSERT_EQ(e.rects().size(), 1u);
    EXPECT_TRUE(samePoint(e.rects()[0]->second(), POINT{50, 60}));
    expectSameTail(*original.rects()[0], *e.rects()[0]);
    ASSERT_EQ(e.ellipses().size(), 2u);
    EXPECT_EQ(e.ellipses()[1]->variant(), 8);
    expectSameTail(*original.ellipses()[1], *e.ellipses()[1]);
    ASSERT_EQ(e.angles().size(), 1u);
    EXPECT_EQ(e.angles()[0]->angleUnit(), ZQ_RADIAN);
    EXPECT_NEAR(e.angles()[0]->angle(), 1.5708f, 1e-4f);
    expectSameTail(*original.angles()[0], *e.angles()[0]);
    ASSERT_EQ(e.polygons().size(), 1u);
    const PolygonGraphic& poly = *e.polygons()[0];
    EXPECT_EQ(poly.vertexCount(), 5);
    EXPECT_EQ(poly.finished(), 1);
    EXPECT_TRUE(samePoint(poly.vertex(4), POINT{40, 2}));
    EXPECT_EQ(poly.mark(), 0x5u);
    ASSERT_EQ(e.texts().size(), 1u);
    const TextGraphic& text = *e.texts()[0];
    EXPECT_STREQ(text.text(), "\xb2\xe2\xc1\xbf 12 um");
    EXPECT_STREQ(text.face(), "Times New Roman");
    EXPECT_EQ(text.fontHeight(), 18);
    EXPECT_TRUE(text.hasFont());
    EXPECT_EQ(text.textHoveredColor(), 0x00BB00u);
    EXPECT_TRUE(samePoint(text.position(), POINT{33, 44}));
    EXPECT_TRUE(boxes_.empty());
}

TEST_F(Stream, AnotherVersionIsRefusedWithTheMessageAndChangesNothing)
{
    GaugitEngine original;
    fill(original);
    std::vector<uint8_t> b = written(original);
    b[10] = 4;
    GaugitEngine e;
    size_t left = 0;
    EXPECT_EQ(readBack(e, b, &left), StreamReader::Outcome::WrongVersion);
    ASSERT_EQ(boxes_.size(), 1u);
    EXPECT_EQ(boxes_[0], "Version Error!|MainVersion 0, MinVersion 5");
    EXPECT_EQ(left, b.size() - 156);
    EXPECT_FALSE(e.ruler());
    EXPECT_EQ(e.precision(), 2);
    EXPECT_EQ(e.measureUnit(), 0);
    EXPECT_TRUE(e.lines().empty());

    b[10] = 5;
    b[8] = 1;
    EXPECT_EQ(readBack(e, b), StreamReader::Outcome::WrongVersion);
    EXPECT_EQ(boxes_.size(), 2u);
}

TEST_F(Stream, WrongMagicWithTheRightVersionsIsRead)
{
    GaugitEngine original;
    fill(original);
    std::vector<uint8_t> b = written(original);
    b[0] = 'X';
    b[5] = 0x77;
    GaugitEngine e;
    EXPECT_EQ(readBack(e, b), StreamReader::Outcome::Whole);
    EXPECT_EQ(e.polygons().size(), 1u);
}

TEST_F(Stream, ReadingAppendsToWhatTheInstanceHolds)
{
    GaugitEngine original;
    fill(original);
    const std::vector<uint8_t> b = written(original);
    GaugitEngine e;
    readBack(e, b);
    readBack(e, b);
    EXPECT_EQ(e.lines().size(), 4u);
    EXPECT_EQ(e.texts().size(), 2u);
}

TEST_F(Stream, LabelsAndTextsOfOneFaceAndHeightShareOneFont)
{
    GaugitEngine original;
    original.setRuler(POINT{0, 0}, POINT{10, 0}, ZQ_MM, 1.0f);
    for (int i = 0; i < 500; ++i)
    {
        auto line = std::make_unique<LineGraphic>();
        line->setPoints(POINT{i, 0}, POINT{i, 9});
        line->setPointCount(2);
        finishGraphic(*line, 1, 0);
        original.append(std::move(line));
        auto text = std::make_unique<TextGraphic>();
        text->setText("t");
        text->setFont("Shared Face", 20 + i % 2);
        original.append(std::move(text));
    }
    const std::vector<uint8_t> b = written(original);
    const size_t before = sharedLabelFontCount();
    {
        GaugitEngine e;
        ASSERT_EQ(readBack(e, b), StreamReader::Outcome::Whole);
        ASSERT_EQ(e.lines().size(), 500u);
        // One font for every restored label, and one per height of the texts' face.
        EXPECT_EQ(e.lines()[0]->label()->font(), e.lines()[499]->label()->font());
        EXPECT_EQ(e.texts()[0]->font(), e.texts()[2]->font());
        EXPECT_NE(e.texts()[0]->font(), e.texts()[1]->font());
        EXPECT_EQ(e.texts()[1]->font()->logFont().height, 21);
        EXPECT_LE(sharedLabelFontCount(), before + 3);
        // A new font for a label leaves the others sharing theirs.
        e.lines()[0]->setDescFont("Shared Face", 20);
        EXPECT_EQ(e.lines()[0]->label()->font(), e.texts()[0]->font());
        EXPECT_EQ(e.lines()[1]->label()->font(), e.lines()[499]->label()->font());
    }
    EXPECT_EQ(sharedLabelFontCount(), before);
}

TEST_F(Stream, ShortHeaderAndShortCounts)
{
    GaugitEngine original;
    fill(original);
    const std::vector<uint8_t> b = written(original);
    GaugitEngine e;
    EXPECT_EQ(readBack(e, {b.begin(), b.begin() + 155}), StreamReader::Outcome::ShortHeader);
    EXPECT_EQ(e.precision(), 2);
    EXPECT_EQ(readBack(e, {b.begin(), b.begin() + 170}), StreamReader::Outcome::ShortCounts);
    EXPECT_EQ(e.precision(), 3);
    EXPECT_FALSE(e.ruler());
}

TEST_F(Stream, DamagedRecordsKeepDefaultsAndReadingGoesOn)
{
    GaugitEngine original;
    fill(original);
    std::vector<uint8_t> b = written(original);
    // Second line record gets a wrong tag: it stays a default line, the rest is read.
    putU32(b, 184 + 60 + 52, 3);
    GaugitEngine e;
    EXPECT_EQ(readBack(e, b), StreamReader::Outcome::DamagedRecord);
    ASSERT_EQ(e.lines().size(), 2u);
    EXPECT_EQ(e.lines()[1]->pointCount(), 0);
    EXPECT_EQ(e.lines()[1]->label(), nullptr);
    EXPECT_EQ(e.circles().size(), 3u);
    EXPECT_EQ(e.texts().size(), 1u);
    EXPECT_STREQ(e.texts()[0]->face(), "Times New Roman");
}

TEST_F(Stream, PolygonCountsOutsideTheRoomNeverOverrun)
{
    GaugitEngine original;
    original.setRuler(POINT{0, 0}, POINT{10, 0}, ZQ_MM, 1.0f);
    auto polygon = std::make_unique<PolygonGraphic>();
    polygon->setVertexCount(3);
    polygon->setFinished(1);
    original.append(std::move(polygon));
    auto text = std::make_unique<TextGraphic>();
    text->setText("after");
    original.append(std::move(text));
    const std::vector<uint8_t> good = written(original);
    const size_t countAt = 244 + 4;

    for (int32_t count : {32, 1000, 0x7FFFFFFF, -1, INT32_MIN})
    {
        std::vector<uint8_t> b = good;
        putU32(b, countAt, uint32_t(count));
        GaugitEngine e;
        EXPECT_EQ(readBack(e, b), StreamReader::Outcome::DamagedRecord) << count;
        ASSERT_EQ(e.polygons().size(), 1u);
        EXPECT_EQ(e.polygons()[0]->vertexCount(), 0);
        EXPECT_EQ(e.polygons()[0]->finished(), 0);
    }
    // 32 vertices passed over: with 24 bytes of vertices present, the data ends there.
    std::vector<uint8_t> b = good;
    putU32(b, countAt, 3);
    GaugitEngine e;
    EXPECT_EQ(readBack(e, b), StreamReader::Outcome::Whole);
    EXPECT_STREQ(e.texts()[0]->text(), "after");

    // Vertices that fall short keep the count and leave the polygon open (the text is not
    // counted, or the counts would promise more than the file holds).
    b.resize(244 + 40 + 12);
    putU32(b, 156 + 16, 0);
    GaugitEngine cut;
    EXPECT_EQ(readBack(cut, b), StreamReader::Outcome::DamagedRecord);
    ASSERT_EQ(cut.polygons().size(), 1u);
    EXPECT_EQ(cut.polygons()[0]->vertexCount(), 3);
    EXPECT_EQ(cut.polygons()[0]->finished(), 0);
    EXPECT_TRUE(cut.texts().empty());
}

TEST_F(Stream, CountsBeyondTheDataCreateNothing)
{
    GaugitEngine original;
    fill(original);
    const std::vector<uint8_t> good = written(original);
    // Any one count larger than the file can hold refuses the records, before the ruler; the
    // header's settings stay, as with a short count block.
    for (int i = 0; i < 7; ++i)
    {
        for (uint32_t count : {0x7FFFFFFFu, 40u})
        {
            std::vector<uint8_t> b = good;
            putU32(b, 156 + 4 * i, count);
            GaugitEngine e;
            size_t left = 0;
            EXPECT_EQ(readBack(e, b, &left), StreamReader::Outcome::CountsBeyondData) << i;
            EXPECT_EQ(left, b.size() - 184);
            EXPECT_FALSE(e.ruler());
            EXPECT_TRUE(e.lines().empty() && e.circles().empty() && e.texts().empty());
            EXPECT_EQ(e.precision(), 3);
        }
    }
}

TEST_F(Stream, AnInstanceWithoutARulerWritesAnUnplacedOne)
{
    GaugitEngine original;
    const std::vector<uint8_t> b = written(original);
    ASSERT_EQ(b.size(), 244u);
    EXPECT_EQ(u32At(b, 184), 1u);
    GaugitEngine e;
    EXPECT_EQ(readBack(e, b), StreamReader::Outcome::Whole);
    ASSERT_TRUE(e.ruler());
    EXPECT_EQ(e.ruler()->rulerLength(), 0.0f);
    EXPECT_EQ(e.unitsPerPixel(), 0.0f);
}

} // namespace
} // namespace gaugit
