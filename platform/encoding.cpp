#include "platform/encoding.h"

#include <algorithm>
#include <bit>
#include <cerrno>
#include <cstring>
#include <map>
#include <memory>

#include <iconv.h>

namespace kwz {

namespace {

constexpr char kGbk[] = "GB18030";
constexpr char kBig5[] = "BIG5";
constexpr char kUtf8[] = "UTF-8";
// char16_t holds native-order units; naming the order keeps iconv from adding a BOM.
constexpr const char* kUtf16 =
    (std::endian::native == std::endian::little) ? "UTF-16LE" : "UTF-16BE";

// Replacement written for input that cannot be converted.
std::string_view replacementFor(const char* to)
{
    static const char kUtf8Replacement[] = "\xEF\xBF\xBD";
    static const char16_t kUtf16Replacement[] = u"\uFFFD";
    if (std::strcmp(to, kUtf8) == 0)
        return {kUtf8Replacement, 3};
    if (std::strcmp(to, kUtf16) == 0)
        return {reinterpret_cast<const char*>(kUtf16Replacement), 2};
    return {"?", 1};
}

// A converter per thread and direction: opening one costs more than most conversions.
class Converter
{
  public:
    Converter(const char* to, const char* from)
        : to_(to), from_(from), handle_(iconv_open(to, from))
    {
    }
    ~Converter()
    {
        if (handle_ != iconv_t(-1))
            iconv_close(handle_);
    }
    Converter(const Converter&) = delete;
    Converter& operator=(const Converter&) = delete;

    // Converts bytes; input that cannot be converted becomes one replacement per character.
    std::string convert(std::string_view input)
    {
        std::string out;
        if (handle_ == iconv_t(-1) || input.empty())
            return out;
        iconv(handle_, nullptr, nullptr, nullptr, nullptr);
        out.resize(input.size() * 2 + 16);
        char* in = const_cast<char*>(input.data());
        size_t inLeft = input.size();
        size_t used = 0;
        while (inLeft > 0)
        {
            char* dst = out.data() + used;
            size_t outLeft = out.size() - used;
            size_t result = iconv(handle_, &in, &inLeft, &dst, &outLeft);
            used = out.size() - outLeft;
            if (result != size_t(-1))
                break;
            if (errno == E2BIG)
            {
                out.resize(out.size() * 2);
                continue;
            }
            // EILSEQ or EINVAL (truncated sequence at the end): replace and move on.
            std::string_view replacement = replacementFor(to_);
            out.resize(std::max(out.size(), used + replacement.size() + inLeft * 2 + 16));
            std::memcpy(out.data() + used, replacement.data(), replacement.size());
            used += replacement.size();
            size_t skip = std::min(skipLength(in, inLeft), inLeft);
            in += skip;
            inLeft -= skip;
            iconv(handle_, nullptr, nullptr, nullptr, nullptr);
        }
        // Flush any shift state.
        for (;;)
        {
            char* dst = out.data() + used;
            size_t outLeft = out.size() - used;
            size_t result = iconv(handle_, nullptr, nullptr, &dst, &outLeft);
            used = out.size() - outLeft;
            if (result != size_t(-1) || errno != E2BIG)
                break;
            out.resize(out.size() * 2);
        }
        out.resize(used);
        return out;
    }

  private:
    // Length of the character that could not be converted, so it yields one replacement.
    size_t skipLength(const char* in, size_t left) const
    {
        const auto lead = static_cast<unsigned char>(in[0]);
        if (std::strcmp(from_, kUtf16) == 0)
            return 2; // a valid surrogate pair never fails, so this is one bad unit
        if (std::strcmp(from_, kUtf8) == 0)
        {
            size_t length = lead >= 0xF0 ? 4 : lead >= 0xE0 ? 3 : lead >= 0xC0 ? 2 : 1;
            for (size_t i = 1; i < length; ++i)
            {
                if (i >= left || (static_cast<unsigned char>(in[i]) & 0xC0) != 0x80)
                    return i;
            }
            return length;
        }
        return 1;
    }

    const char* to_;
    const char* from_;
    iconv_t handle_;
};

std::string convert(const char* to, const char* from, std::string_view input)
{
    thread_local std::map<std::pair<const char*, const char*>, std::unique_ptr<Converter>> cache;
    auto& slot = cache[{to, from}];
    if (!slot)
        slot = std::make_unique<Converter>(to, from);
    return slot->convert(input);
}

std::u16string toU16(const std::string& bytes)
{
    std::u16string out(bytes.size() / 2, u'\0');
    std::memcpy(out.data(), bytes.data(), out.size() * 2);
    return out;
}

std::string_view bytesOf(std::u16string_view text)
{
    return {reinterpret_cast<const char*>(text.data()), text.size() * 2};
}

} // namespace

std::string gbkToUtf8(std::string_view gbk)
{
    return convert(kUtf8, kGbk, gbk);
}
std::string utf8ToGbk(std::string_view utf8)
{
    return convert(kGbk, kUtf8, utf8);
}
std::u16string gbkToUtf16(std::string_view gbk)
{
    return toU16(convert(kUtf16, kGbk, gbk));
}
std::string utf16ToGbk(std::u16string_view utf16)
{
    return convert(kGbk, kUtf16, bytesOf(utf16));
}
std::string big5ToUtf8(std::string_view big5)
{
    return convert(kUtf8, kBig5, big5);
}
std::string utf8ToBig5(std::string_view utf8)
{
    return convert(kBig5, kUtf8, utf8);
}
std::u16string big5ToUtf16(std::string_view big5)
{
    return toU16(convert(kUtf16, kBig5, big5));
}
std::u16string utf8ToUtf16(std::string_view utf8)
{
    return toU16(convert(kUtf16, kUtf8, utf8));
}
std::string utf16ToUtf8(std::u16string_view utf16)
{
    return convert(kUtf8, kUtf16, bytesOf(utf16));
}

} // namespace kwz
