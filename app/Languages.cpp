#include "app/Languages.h"

#include "archive/Error.h"
#include "archive/Helpers.h"
#include "ui/NyxInterfaceEngine.h"
#include "xml/NyxParser.h"

#include <algorithm>
#include <climits>

namespace qz {

namespace {

bool EndsWithLng(const std::string& name) {
    return name.size() >= 3 && name.compare(name.size() - 3, 3, "lng") == 0;
}

int32_t PlaceOf(const std::string& name) {
    const size_t underscore = name.find('_');
    if (underscore == std::string::npos)
        return INT32_MAX;
    const size_t dot = name.find('.', underscore + 1);
    const std::string digits = name.substr(
        underscore + 1, dot == std::string::npos ? std::string::npos : dot - underscore - 1);
    return StrToIntDef(digits, INT32_MAX);
}

} // namespace

std::vector<TLanguageFile> ListLanguageFiles(const std::filesystem::path& folder) {
    std::vector<TLanguageFile> files;
    std::error_code error;
    if (!std::filesystem::is_directory(folder, error))
        return files;
    for (const auto& entry : std::filesystem::directory_iterator(folder, error)) {
        const std::string name = entry.path().filename().string();
        if (!entry.is_regular_file(error) || !EndsWithLng(name) || name.size() < 3)
            continue;
        files.push_back({name.substr(0, 3), PlaceOf(name), entry.path()});
    }
    std::sort(files.begin(), files.end(), [](const TLanguageFile& a, const TLanguageFile& b) {
        return a.Path.filename() < b.Path.filename();
    });
    std::stable_sort(
        files.begin(), files.end(),
        [](const TLanguageFile& a, const TLanguageFile& b) { return a.Place < b.Place; });
    return files;
}

TLanguageButtonOffset LanguageButtonOffset(int32_t k) {
    if (k <= 5)
        return {0, k * 24};
    return {200, k * 24 - 144};
}

std::string LanguageOwnName(const TLanguageFile& file) {
    TNyxParser document;
    try {
        document.LoadFromFile(file.Path.string(), TNyxInterfaceEngine::PropertiesFileLimit);
    } catch (const Error&) {
        return {};
    }
    const std::string button = "WLanguage_RB" + UpperCase(file.Code);
    const TNyxXMLTag* top = document.TagCount() > 0 ? document.GetTag(0) : nullptr;
    for (size_t i = 0; top && i < top->TagCount(); ++i) {
        const TNyxXMLTag& object = *top->GetTag(i);
        std::string name, caption;
        for (size_t j = 0; j < object.TagCount(); ++j) {
            const TNyxXMLTag& property = *object.GetTag(j);
            const TNyxParserAttribute* key = property.FindAttribute("n");
            if (key && key->Value == "Name")
                name = property.Value;
            else if (key && key->Value == "Caption")
                caption = property.Value;
        }
        if (name == button)
            return caption;
    }
    return {};
}

std::string PersistedLanguageCode(const std::string& stored) {
    return LowerCase(stored.substr(0, 3));
}

} // namespace qz
