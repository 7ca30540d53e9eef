#include "xml/NyxParser.h"

#include "archive/Error.h"
#include "archive/Helpers.h"

#include <algorithm>
#include <cassert>
#include <optional>
#include <utility>

namespace qz {

namespace {

constexpr std::string_view kLineBreak = "\r\n";
// Deeper elements are indented like this level, so that the text of a deeply nested
// document grows with its depth rather than with its square.
constexpr int kMaxIndent = 64;

// Every occurrence of from, left to right and without overlap, replaced by to.
std::string ReplaceAll(std::string_view text, std::string_view from, std::string_view to) {
    std::string result;
    result.reserve(text.size());
    size_t position = 0;
    for (;;) {
        const size_t found = text.find(from, position);
        if (found == std::string_view::npos) {
            break;
        }
        result.append(text.substr(position, found - position));
        result.append(to);
        position = found + from.size();
    }
    result.append(text.substr(position));
    return result;
}

// Reads name and attributes of a tag's text into tag; on an attribute error returns its
// message, tag keeping the name and the attributes read before it.
std::optional<std::string> ReadTag(TNyxXMLTag& tag, std::string_view text) {
    const size_t space = text.find(' ');
    if (space == std::string_view::npos) {
        tag.Name = text;
        return std::nullopt;
    }
    tag.Name = text.substr(0, space);
    size_t position = space;
    while (position < text.size()) {
        const size_t equals = text.find('=', position);
        if (equals == std::string_view::npos) {
            return "[TNyxXMLTag.AddTagByString] Expected Attribute name but found nothing! "
                   "Tag name: \"" +
                   tag.Name + "\".";
        }
        const std::string name = Trim(text.substr(position, equals - position));
        const size_t open = text.find('"', equals);
        if (open == std::string_view::npos) {
            return "[TNyxXMLTag.AddTagByString] Expected open \" in Attribute value but found "
                   "nothing! Tag name: \"" +
                   tag.Name + "\", Attribute name: \"" + name + "\".";
        }
        const size_t close = text.find('"', open + 1);
        if (close == std::string_view::npos) {
            return "[TNyxXMLTag.AddTagByString] Expected closed \" in Attribute value but found "
                   "nothing! Tag name: \"" +
                   tag.Name + "\", Attribute name: \"" + name + "\".";
        }
        tag.AddAttribute(name, text.substr(open + 1, close - open - 1));
        position = close + 1;
    }
    return std::nullopt;
}

bool IsInSubtree(const TNyxXMLTag* tag, const TNyxXMLTag* root) {
    for (; tag != nullptr; tag = tag->Parent) {
        if (tag == root) {
            return true;
        }
    }
    return false;
}

void AppendIndent(std::string& out, int level) {
    out.append(static_cast<size_t>(std::min(level, kMaxIndent)), '\t');
}

// The opening part of an element: indent, "<", name and attributes.
void AppendOpening(std::string& out, const TNyxXMLTag& tag, int level) {
    AppendIndent(out, level);
    out += '<';
    out += tag.Name;
    for (const auto& attribute : tag.Attributes) {
        out += attribute->MakeText();
    }
}

// A short value is written inline; a long or empty one puts breaks around the content.
bool IsInline(const TNyxXMLTag& tag) {
    return !tag.Value.empty() && tag.Value.size() < 80;
}

} // namespace

std::string LineBreaksToSpaces(std::string_view text) {
    return ReplaceAll(ReplaceAll(text, kLineBreak, " "), "\t", " ");
}

std::string DecodeEntities(std::string_view text) {
    std::string result = ReplaceAll(text, "&lt;", "<");
    result = ReplaceAll(result, "&gt;", ">");
    result = ReplaceAll(result, "&amp;", "&");
    result = ReplaceAll(result, "&apos;", "'");
    return ReplaceAll(result, "&quot;", "\"");
}

std::string EncodeEntities(std::string_view text) {
    std::string result = ReplaceAll(text, "&", "&amp;");
    result = ReplaceAll(result, "<", "&lt;");
    result = ReplaceAll(result, ">", "&gt;");
    result = ReplaceAll(result, "'", "&apos;");
    return ReplaceAll(result, "\"", "&quot;");
}

std::string ExtractBetween(std::string_view text, std::string_view opening,
                           std::string_view closing, size_t start) {
    if (start < 1 || start > text.size()) {
        return {};
    }
    const size_t open = text.find(opening, start - 1);
    if (open == std::string_view::npos) {
        return {};
    }
    const size_t close = text.find(closing, open + 1);
    const size_t first = open + opening.size();
    if (close == std::string_view::npos || close < first) {
        return {};
    }
    return std::string(text.substr(first, close - first));
}

std::string TNyxParserAttribute::MakeText() const {
    return " " + Name + "=\"" + Value + "\"";
}

TNyxXMLTag::TNyxXMLTag(std::string name, TNyxXMLTag* parent, std::string value)
    : Name(std::move(name)), Value(std::move(value)), Parent(parent) {}

TNyxXMLTag::~TNyxXMLTag() {
    ClearTags();
}

TNyxParserAttribute* TNyxXMLTag::AddAttribute(std::string_view name, std::string_view value) {
    Attributes.push_back(
        std::make_unique<TNyxParserAttribute>(std::string(name), std::string(value)));
    return Attributes.back().get();
}

TNyxXMLTag* TNyxXMLTag::AddTag(std::string_view name, std::string_view value) {
    Tags.push_back(std::make_unique<TNyxXMLTag>(std::string(name), this, std::string(value)));
    return Tags.back().get();
}

TNyxXMLTag* TNyxXMLTag::AddTagByString(std::string_view text) {
    TNyxXMLTag* tag = AddTag({});
    ReadTag(*tag, text);
    return tag;
}

void TNyxXMLTag::ReadTagString(std::string_view text) {
    if (std::optional<std::string> error = ReadTag(*this, text)) {
        throw Error(*error);
    }
}

TNyxXMLTag* TNyxXMLTag::GetTag(size_t index) const {
    return index < Tags.size() ? Tags[index].get() : nullptr;
}

TNyxParserAttribute* TNyxXMLTag::GetAttribute(size_t index) const {
    return index < Attributes.size() ? Attributes[index].get() : nullptr;
}

TNyxXMLTag* TNyxXMLTag::FindTag(std::string_view name) const {
    for (const auto& tag : Tags) {
        if (tag->Name == name) {
            return tag.get();
        }
    }
    return nullptr;
}

TNyxParserAttribute* TNyxXMLTag::FindAttribute(std::string_view name) const {
    for (const auto& attribute : Attributes) {
        if (attribute->Name == name) {
            return attribute.get();
        }
    }
    return nullptr;
}

TNyxXMLTag* TNyxXMLTag::LastTag() const {
    assert(!Tags.empty());
    return Tags.back().get();
}

void TNyxXMLTag::ClearTags() {
    // Subtrees are taken apart level by level so that a deeply nested document is freed
    // without one call per level of nesting.
    std::vector<std::unique_ptr<TNyxXMLTag>> pending = std::move(Tags);
    Tags.clear();
    while (!pending.empty()) {
        std::unique_ptr<TNyxXMLTag> tag = std::move(pending.back());
        pending.pop_back();
        for (auto& child : tag->Tags) {
            pending.push_back(std::move(child));
        }
        tag->Tags.clear();
    }
}

void TNyxXMLTag::ClearAttributes() {
    Attributes.clear();
}

void TNyxXMLTag::Assign(const TNyxXMLTag& source) {
    if (&source == this) {
        return;
    }
    if (IsInSubtree(&source, this)) {
        // Clearing our children would free the source: copy it out first.
        TNyxXMLTag copy({}, nullptr, {});
        copy.Assign(source);
        Assign(copy);
        return;
    }
    ClearAttributes();
    ClearTags();
    std::vector<std::pair<TNyxXMLTag*, const TNyxXMLTag*>> pending{{this, &source}};
    while (!pending.empty()) {
        auto [target, from] = pending.back();
        pending.pop_back();
        target->Name = from->Name;
        target->Value = from->Value;
        for (const auto& attribute : from->Attributes) {
            target->AddAttribute(attribute->Name, attribute->Value);
        }
        for (const auto& child : from->Tags) {
            pending.emplace_back(target->AddTag({}), child.get());
        }
    }
}

std::string TNyxXMLTag::MakeText(int level) const {
    std::string out;
    AppendText(out, level);
    return out;
}

void TNyxXMLTag::AppendText(std::string& out, int level) const {
    struct Frame {
        const TNyxXMLTag* Tag;
        int Level;
        size_t NextChild;
    };
    std::vector<Frame> open;
    // Writes the opening part of tag; returns whether it waits for children and a closing tag.
    auto begin = [&out](const TNyxXMLTag& tag, int tagLevel) {
        AppendOpening(out, tag, tagLevel);
        if (tag.Tags.empty() && tag.Value.empty()) {
            out += " />";
            out += kLineBreak;
            return false;
        }
        const bool isInline = IsInline(tag);
        out += '>';
        if (!isInline) {
            out += kLineBreak;
        }
        if (!tag.Value.empty()) {
            if (!isInline) {
                AppendIndent(out, tagLevel);
            }
            out += EncodeEntities(tag.Value);
            if (!isInline) {
                out += kLineBreak;
            }
        }
        return true;
    };
    level = std::max(level, 0);
    if (begin(*this, level)) {
        open.push_back({this, level, 0});
    }
    while (!open.empty()) {
        Frame& frame = open.back();
        if (frame.NextChild < frame.Tag->Tags.size()) {
            const TNyxXMLTag& child = *frame.Tag->Tags[frame.NextChild++];
            const int childLevel = frame.Level + 1;
            if (begin(child, childLevel)) {
                open.push_back({&child, childLevel, 0});
            }
            continue;
        }
        if (!IsInline(*frame.Tag)) {
            AppendIndent(out, frame.Level);
        }
        out += "</";
        out += frame.Tag->Name;
        out += '>';
        out += kLineBreak;
        open.pop_back();
    }
}

TNyxParser::TNyxParser() : TNyxXMLTag("root", nullptr, {}) {}

void TNyxParser::LoadFromStream(const TMemoryStream& stream) {
    std::string_view bytes = stream.View();
    bytes = bytes.substr(0, bytes.find('\0'));
    Lines.clear();
    size_t start = 0;
    size_t position = 0;
    while (position < bytes.size()) {
        const char c = bytes[position];
        if (c != '\r' && c != '\n') {
            ++position;
            continue;
        }
        Lines.emplace_back(bytes.substr(start, position - start));
        position +=
            (c == '\r' && position + 1 < bytes.size() && bytes[position + 1] == '\n') ? 2 : 1;
        start = position;
    }
    if (start < bytes.size()) {
        Lines.emplace_back(bytes.substr(start));
    }
    MakeTypifiedLines();
    BuildTree();
}

void TNyxParser::LoadFromFile(const std::string& fileName, size_t limit) {
    TMemoryStream stream;
    stream.LoadFromFile(fileName, limit);
    LoadFromStream(stream);
}

void TNyxParser::MakeTypifiedLines() {
    std::string text;
    for (const std::string& line : Lines) {
        text += line;
        text += kLineBreak;
    }
    std::vector<std::string> typed;
    auto addText = [&typed](std::string_view piece) {
        const std::string trimmed = Trim(piece);
        if (!trimmed.empty()) {
            typed.push_back("0" + DecodeEntities(LineBreaksToSpaces(trimmed)));
        }
    };
    // Once no ">" follows some position, none follows any later one: remembering that keeps
    // a text full of lone "<" from being scanned to its end once per "<".
    bool noClosingMark = false;
    size_t position = 0;
    while (position < text.size()) {
        const size_t lt = text.find('<', position);
        if (lt == std::string::npos) {
            addText(std::string_view(text).substr(position));
            break;
        }
        addText(std::string_view(text).substr(position, lt - position));
        position = lt;
        if (text.compare(position, 4, "<!--") == 0) {
            const size_t end = text.find("-->", position + 4);
            if (end == std::string::npos) {
                // "[TNyxXMLTag.MakeTypifiedLines] Comments started, but never ended!"
                typingAbandoned_ = true;
                return;
            }
            position = end + 3;
        } else if (text.compare(position, 2, "<?") == 0) {
            const size_t end = text.find("?>", position + 2);
            if (end == std::string::npos) {
                // "[TNyxXMLTag.MakeTypifiedLines] XML Head started, but never ended!"
                typingAbandoned_ = true;
                return;
            }
            typed.push_back("4" + LineBreaksToSpaces(std::string_view(text).substr(
                                      position + 2, end - position - 2)));
            position = end + 2;
        } else {
            const size_t gt = noClosingMark ? std::string::npos : text.find('>', position + 1);
            if (gt == std::string::npos) {
                noClosingMark = true;
                ++position;
                continue;
            }
            const std::string_view tag =
                std::string_view(text).substr(position + 1, gt - position - 1);
            position = gt + 1;
            if (tag.empty()) {
                typingAbandoned_ = true;
                return;
            }
            if (tag.front() == '/') {
                typed.push_back("1" + LineBreaksToSpaces(tag.substr(1)));
            } else if (tag.back() == '/') {
                typed.push_back("2" + Trim(LineBreaksToSpaces(tag.substr(0, tag.size() - 1))));
            } else {
                typed.push_back("3" + Trim(LineBreaksToSpaces(tag)));
            }
        }
    }
    typingAbandoned_ = false;
    Lines = std::move(typed);
}

void TNyxParser::BuildTree() {
    ClearTags();
    ClearAttributes();
    if (typingAbandoned_) {
        return;
    }
    if (Lines.empty()) {
        throw Error("List index out of bounds (0)");
    }
    TNyxXMLTag* current = this;
    for (const std::string& line : Lines) {
        if (line.empty() || line.front() < '0' || line.front() > '4') {
            continue;
        }
        if (current == nullptr) {
            throw Error("[TNyxParser.BuildTree] More closing tags than opening tags!");
        }
        const std::string_view content = std::string_view(line).substr(1);
        switch (line.front()) {
        case '4': {
            TNyxXMLTag scratch({}, nullptr, {});
            Assign(*scratch.AddTagByString(content));
            // The head dropped every element read so far, the open one among them.
            current = this;
            break;
        }
        case '3':
            current = current->AddTagByString(content);
            break;
        case '2':
            current->AddTagByString(content);
            break;
        case '1':
            current = current->Parent;
            break;
        default:
            current->SetValue(content);
            break;
        }
    }
}

void TNyxParser::SaveToStream(TMemoryStream& stream) {
    MakeLines();
    std::string bytes;
    for (const std::string& line : Lines) {
        bytes += line;
        bytes += kLineBreak;
    }
    stream.Write(bytes);
}

void TNyxParser::MakeLines() {
    std::string text;
    if (Name == "xml") {
        text += "<?";
        text += Name;
        for (const auto& attribute : Attributes) {
            text += attribute->MakeText();
        }
        text += "?>";
        text += kLineBreak;
    }
    for (const auto& tag : Tags) {
        tag->AppendText(text, 0);
    }
    Lines.clear();
    size_t start = 0;
    while (start < text.size()) {
        size_t end = text.find(kLineBreak, start);
        if (end == std::string::npos) {
            end = text.size();
        }
        Lines.push_back(text.substr(start, end - start));
        start = end + kLineBreak.size();
    }
}

} // namespace qz
