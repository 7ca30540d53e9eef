#include "game/GameData.h"

#include "archive/Error.h"
#include "archive/FileFolder.h"

namespace qz {

TMemoryStream& ArchiveEntry(TFileFolder& folder, std::string_view name) {
    const int index = folder.IndexOf(name);
    if (index < 0) {
        throw Error("Can not find " + std::string(name) + "in file folder");
    }
    TMemoryStream& stream = folder.Entry(index);
    stream.SetPosition(0);
    return stream;
}

TNyxXMLTag& FirstElement(TNyxParser& document, std::string_view fileName) {
    TNyxXMLTag* top = document.GetTag(0);
    if (top == nullptr) {
        throw Error(std::string(fileName) + "XML file does not has tags!");
    }
    return *top;
}

const std::string* AttributeText(const TNyxXMLTag& tag, std::string_view name) {
    const TNyxParserAttribute* attribute = tag.FindAttribute(name);
    return attribute == nullptr ? nullptr : &attribute->Value;
}

std::vector<std::string> TextWords(std::string_view text) {
    // The word count of a list is kept in one byte by the file format.
    constexpr size_t MaxWords = 255;
    std::vector<std::string> words;
    size_t i = 0;
    while (i < text.size() && words.size() < MaxWords) {
        while (i < text.size() &&
               (text[i] == ' ' || text[i] == '\t' || text[i] == '\r' || text[i] == '\n')) {
            ++i;
        }
        const size_t start = i;
        while (i < text.size() && text[i] != ' ' && text[i] != '\t' && text[i] != '\r' &&
               text[i] != '\n') {
            ++i;
        }
        if (i > start) {
            words.emplace_back(text.substr(start, i - start));
        }
    }
    return words;
}

} // namespace qz
