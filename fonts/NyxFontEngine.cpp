#include "fonts/NyxFontEngine.h"

#include "archive/Error.h"
#include "xml/NyxParser.h"

namespace qz {

TNyxFontEngine::TNyxFontEngine() : glyphs_(GlyphCapacity) {}

void TNyxFontEngine::LoadFromStream(const TMemoryStream& stream) {
    TNyxParser parser;
    parser.LoadFromStream(stream);
    const TNyxXMLTag* element = parser.GetTag(0);
    if (!element) {
        throw Error("List index out of bounds (0)");
    }
    LoadFont(*element);
}

TNyxFont* TNyxFontEngine::LoadFont(const TNyxXMLTag& element) {
    auto owned = std::make_unique<TNyxFont>();
    TNyxFont* font = owned.get();
    Add(std::move(owned));
    for (const auto& child : element.Tags) {
        font->SetPropertyText(child->Name, child->Value);
    }
    return font;
}

TNyxFont* TNyxFontEngine::FindFont(std::string_view name) const {
    return dynamic_cast<TNyxFont*>(FindObject(name));
}

} // namespace qz
