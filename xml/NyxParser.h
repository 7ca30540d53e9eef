#pragma once
// The game's own small XML reader and writer. It reads a simplified XML (double-quoted
// attributes, text, comments, a head) into a tree under a document node and writes such a
// tree back as tab-indented CR LF text. Its quirks are part of every data file's format.

#include "archive/MemoryStream.h"

#include <memory>
#include <string>
#include <string_view>
#include <vector>

namespace qz {

// CR LF pairs, then tabs, each made one space.
std::string LineBreaksToSpaces(std::string_view text);
// &lt; &gt; &amp; &apos; &quot;, each replaced over the whole text in that order.
std::string DecodeEntities(std::string_view text);
std::string EncodeEntities(std::string_view text);
// The text between the first opening mark at or after the 1-based start and the next
// closing mark starting at least one character after it; empty when either is missing.
std::string ExtractBetween(std::string_view text, std::string_view opening,
                           std::string_view closing, size_t start);

class TNyxParserAttribute {
public:
    TNyxParserAttribute(std::string name, std::string value)
        : Name(std::move(name)), Value(std::move(value)) {}
    // ` Name="Value"`, the value as stored.
    std::string MakeText() const;

    std::string Name;
    std::string Value;
};

class TNyxXMLTag {
public:
    TNyxXMLTag(std::string name, TNyxXMLTag* parent, std::string value);
    virtual ~TNyxXMLTag();
    TNyxXMLTag(const TNyxXMLTag&) = delete;
    TNyxXMLTag& operator=(const TNyxXMLTag&) = delete;

    void SetName(std::string_view name) { Name = name; }
    void SetValue(std::string_view value) { Value = value; }
    TNyxParserAttribute* AddAttribute(std::string_view name, std::string_view value);
    TNyxXMLTag* AddTag(std::string_view name, std::string_view value = {});
    // Appends a child built from a tag's text (name and attributes); attribute errors end
    // the reading of this tag only and are not passed on.
    TNyxXMLTag* AddTagByString(std::string_view text);
    // Sets this element's name and attributes from a tag's text; raises the attribute error
    // that AddTagByString swallows, the name and the attributes read before it kept.
    void ReadTagString(std::string_view text);

    // 0-based; nullptr when out of range.
    TNyxXMLTag* GetTag(size_t index) const;
    TNyxParserAttribute* GetAttribute(size_t index) const;
    // First direct child (attribute) named exactly name, or nullptr.
    TNyxXMLTag* FindTag(std::string_view name) const;
    TNyxParserAttribute* FindAttribute(std::string_view name) const;
    TNyxXMLTag* LastTag() const;
    size_t TagCount() const { return Tags.size(); }
    size_t AttributeCount() const { return Attributes.size(); }

    void ClearTags();
    void ClearAttributes();
    // Deep copy of source's name, value, attributes and subtree; Parent stays.
    void Assign(const TNyxXMLTag& source);
    // The element and its subtree as XML text, indented by level tabs (at most 64).
    std::string MakeText(int level) const;
    // MakeText appended to out, without one call per level of nesting.
    void AppendText(std::string& out, int level) const;

    std::string Name;
    std::string Value;
    std::vector<std::unique_ptr<TNyxXMLTag>> Tags;
    std::vector<std::unique_ptr<TNyxParserAttribute>> Attributes;
    TNyxXMLTag* Parent = nullptr;
};

// The document node: an invisible top element whose children are the file's top-level
// elements. It is named "root" until a head (usually "xml") is read.
class TNyxParser : public TNyxXMLTag {
public:
    TNyxParser();

    // Reads the whole stream (or file), builds the typed lines and the tree. A document
    // without any typed line raises "List index out of bounds (0)". The file must be a
    // regular file of at most limit bytes.
    void LoadFromStream(const TMemoryStream& stream);
    void LoadFromFile(const std::string& fileName, size_t limit = SIZE_MAX);
    void MakeTypifiedLines();
    void BuildTree();
    // Renders the document into Lines and writes each line followed by CR LF.
    void SaveToStream(TMemoryStream& stream);
    void MakeLines();

    std::vector<std::string> Lines;

private:
    // Set when the last MakeTypifiedLines met an unterminated comment or head or an empty
    // tag: Lines then still hold the text, and the document has no elements.
    bool typingAbandoned_ = false;
};

} // namespace qz
