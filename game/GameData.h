#pragma once
// Reading the game's own data entries: an archive entry by name with the game's message
// when it is missing, the first element of an XML document, attributes and word lists.

#include "xml/NyxParser.h"

#include <string>
#include <string_view>
#include <vector>

namespace qz {

class TFileFolder;

// The entry's bytes (loaded when still on disk), position 0. Raises
// "Can not find <name>in file folder" when the archive has no such entry.
TMemoryStream& ArchiveEntry(TFileFolder& folder, std::string_view name);
// The document's first top-level element; raises "<name>XML file does not has tags!".
TNyxXMLTag& FirstElement(TNyxParser& document, std::string_view fileName);
// The value of an attribute, or nothing.
const std::string* AttributeText(const TNyxXMLTag& tag, std::string_view name);
// The words of an element text, separated by blanks, tabs or line breaks; at most 255.
std::vector<std::string> TextWords(std::string_view text);

} // namespace qz
