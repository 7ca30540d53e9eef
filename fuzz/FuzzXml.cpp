// Reads any bytes with the XML reader, writes the tree back and reads that again: the second
// tree must equal the first wherever the writer can represent the first faithfully. Building
// the tree a second time from the same typed lines must give the same tree as well.

#include "FuzzCheck.h"
#include "archive/Error.h"
#include "xml/NyxParser.h"

#include <cstddef>
#include <cstdint>
#include <string_view>
#include <utility>
#include <vector>

namespace {

using qz::TNyxParser;
using qz::TNyxXMLTag;

bool SameAttributes(const TNyxXMLTag& a, const TNyxXMLTag& b) {
    if (a.AttributeCount() != b.AttributeCount()) {
        return false;
    }
    for (size_t i = 0; i < a.AttributeCount(); ++i) {
        if (a.Attributes[i]->Name != b.Attributes[i]->Name ||
            a.Attributes[i]->Value != b.Attributes[i]->Value) {
            return false;
        }
    }
    return true;
}

// Names, values, attributes and structure below the two nodes; the nodes' own name, value
// and attributes are compared by the caller.
bool SameSubtrees(const TNyxXMLTag& a, const TNyxXMLTag& b) {
    std::vector<std::pair<const TNyxXMLTag*, const TNyxXMLTag*>> pending{{&a, &b}};
    while (!pending.empty()) {
        auto [x, y] = pending.back();
        pending.pop_back();
        if (x->TagCount() != y->TagCount()) {
            return false;
        }
        for (size_t i = 0; i < x->TagCount(); ++i) {
            const TNyxXMLTag* cx = x->GetTag(i);
            const TNyxXMLTag* cy = y->GetTag(i);
            if (cx->Name != cy->Name || cx->Value != cy->Value || !SameAttributes(*cx, *cy) ||
                cx->Parent != x || cy->Parent != y) {
                return false;
            }
            pending.emplace_back(cx, cy);
        }
    }
    return true;
}

bool SameTrees(const TNyxXMLTag& a, const TNyxXMLTag& b) {
    return a.Name == b.Name && a.Value == b.Value && SameAttributes(a, b) && SameSubtrees(a, b);
}

bool StartsWith(std::string_view text, std::string_view prefix) {
    return text.substr(0, prefix.size()) == prefix;
}

// Whether an element read from a file comes back unchanged from its written form. Values
// always do: read values are trimmed, hold no tab or line break, and their decoded text never
// contains "&apos;" or "&quot;", the only texts that the encoding does not bring back. Attribute
// names and values always do too: names are trimmed and hold no "=", values hold no double
// quote and no ">". Names are where the written form can turn into something else:
// - an empty name is only written faithfully as "< />": with attributes their first one
//   becomes the name, with content the opening tag "<>" abandons the whole reading;
// - a name beginning with "/", "?" or "!--" is written as a closing tag, a head or a comment;
// - without attributes a name ending in a blank (a control character) loses it to trimming,
//   and a name ending in "/" with content makes its opening tag an empty-element one.
// Anything the reader could produce that is not listed here must round-trip; the fuzzer
// stops on it.
bool IsWrittenFaithfully(const TNyxXMLTag& tag) {
    const std::string_view name = tag.Name;
    const bool hasContent = tag.TagCount() > 0 || !tag.Value.empty();
    if (name.empty()) {
        return tag.AttributeCount() == 0 && !hasContent;
    }
    if (StartsWith(name, "/") || StartsWith(name, "?") || StartsWith(name, "!--")) {
        return false;
    }
    if (tag.AttributeCount() == 0) {
        if (static_cast<unsigned char>(name.back()) <= 32) {
            return false;
        }
        if (hasContent && name.back() == '/') {
            return false;
        }
    }
    return true;
}

bool SubtreeWrittenFaithfully(const TNyxXMLTag& root) {
    std::vector<const TNyxXMLTag*> pending{&root};
    while (!pending.empty()) {
        const TNyxXMLTag* tag = pending.back();
        pending.pop_back();
        for (const auto& child : tag->Tags) {
            if (!IsWrittenFaithfully(*child)) {
                return false;
            }
            pending.push_back(child.get());
        }
    }
    return true;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const qz::TMemoryStream input(std::string_view(reinterpret_cast<const char*>(data), size));
    TNyxParser first;
    try {
        first.LoadFromStream(input);
    } catch (const qz::Error&) {
        return 0;
    }

    // A second BuildTree from the typed lines kept in Lines gives the same tree.
    TNyxXMLTag snapshot({}, nullptr, {});
    snapshot.Assign(first);
    first.BuildTree();
    qz::fuzz::Check(SameTrees(snapshot, first));

    qz::TMemoryStream written;
    first.SaveToStream(written);
    if (!SubtreeWrittenFaithfully(first)) {
        return 0;
    }

    // The document node is never written as an element: its value is lost, and its name and
    // attributes survive only as the head line of a document named "xml"; any other document
    // is read back as a fresh "root".
    const bool hasHead = first.Name == "xml";
    TNyxParser second;
    try {
        second.LoadFromStream(written);
    } catch (const qz::Error&) {
        // Only an empty output (no head, no elements) may fail, with the list-index error.
        qz::fuzz::Check(!hasHead && first.TagCount() == 0);
        return 0;
    }
    qz::fuzz::Check(second.Value.empty());
    if (hasHead) {
        qz::fuzz::Check(second.Name == "xml" && SameAttributes(first, second));
    } else {
        qz::fuzz::Check(second.Name == "root" && second.AttributeCount() == 0);
    }
    qz::fuzz::Check(SameSubtrees(first, second));

    // Writing the second tree gives the same bytes again.
    qz::TMemoryStream rewritten;
    second.SaveToStream(rewritten);
    qz::fuzz::Check(rewritten.View() == written.View());
    return 0;
}
