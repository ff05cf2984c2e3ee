#include "engine/label_font.h"

#include <cstring>
#include <map>
#include <mutex>
#include <string>
#include <utility>

#include "platform/draw/font.h"

namespace gaugit {
namespace {

using FontKey = std::pair<std::string, int>;

// Fonts of every engine instance of the process, each listed while it lives: the last
// holder's release takes its entry out, so names from files stay no longer than their fonts.
class FontTable
{
  public:
    std::shared_ptr<const kwz::Font> get(const FontKey& key)
    {
        std::lock_guard lock(mutex_);
        auto known = fonts_.find(key);
        if (known != fonts_.end())
        {
            if (std::shared_ptr<const kwz::Font> alive = known->second.lock())
                return alive;
        }
        std::unique_ptr<kwz::Font> made = kwz::createFont(kwz::labelLogFont(key.first, key.second));
        std::shared_ptr<const kwz::Font> font(made.get(), [this, key](const kwz::Font* dying) {
            forget(key);
            delete dying;
        });
        made.release();
        fonts_[key] = font;
        return font;
    }

    std::size_t size()
    {
        std::lock_guard lock(mutex_);
        return fonts_.size();
    }

  private:
    void forget(const FontKey& key)
    {
        std::lock_guard lock(mutex_);
        // A font made for the key since this one died stays listed.
        auto entry = fonts_.find(key);
        if (entry != fonts_.end() && entry->second.expired())
            fonts_.erase(entry);
    }

    std::mutex mutex_; // guards fonts_: instances may live on different threads
    std::map<FontKey, std::weak_ptr<const kwz::Font>> fonts_;
};

FontTable& fontTable()
{
    static FontTable* table = new FontTable; // fonts may be released by static destructors
    return *table;
}

} // namespace

std::shared_ptr<const kwz::Font> sharedLabelFont(const char* face, int height)
{
    std::string name = face ? std::string(face, strnlen(face, kFaceSize - 1)) : std::string();
    return fontTable().get(FontKey(std::move(name), height));
}

FontMetrics metricsOf(const kwz::Font& font)
{
    const kwz::TextMetrics read = font.metrics();
    return FontMetrics{read.height, read.aveCharWidth, read.maxCharWidth};
}

FontMetrics measureFont(const char* face, int height)
{
    return metricsOf(*sharedLabelFont(face, height));
}

std::size_t sharedLabelFontCount()
{
    return fontTable().size();
}

} // namespace gaugit
