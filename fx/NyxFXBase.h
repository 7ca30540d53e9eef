#pragma once
// The effects' own object base (a name of at most 32 characters, assign, initialise), the
// owning collection every effect library is made of, and the small 3-vector that every
// morph function, morph and particle passes around.

#include <array>
#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

namespace qz::fx {

// Up to three components; unused ones are 0. All effect arithmetic is single precision.
using TVector3 = std::array<float, 3>;

// "1, 2" gives (1, 2, 0). Any other count than 1..3 parts raises
// "\"<text>\" string-to-vector convertation failed"; a part that is not a number raises the
// number conversion error.
TVector3 StrToVector(std::string_view text);
// The number conversion of the effect readers: "'<text>' is not a valid floating point value"
// when the trimmed text is not a decimal number.
float StrToFloatStrict(std::string_view text);
// Nearest integer, halves away from zero, saturated to 32 bits (NaN gives 0).
int32_t RoundToInt(double value);

class TNyxObject {
public:
    static constexpr size_t MaxNameLength = 32;

    // The name starts as the class name without its first letter followed by "_Default".
    explicit TNyxObject(std::string_view className);
    virtual ~TNyxObject() = default;
    TNyxObject(const TNyxObject&) = delete;
    TNyxObject& operator=(const TNyxObject&) = delete;

    const std::string& ClassName() const { return className_; }
    const std::string& Name() const { return name_; }

    // Cut to 32 characters.
    virtual void SetName(std::string_view name);
    // Copies the name; true when source exists. Derived classes copy their own fields
    // when source is of their class and say whether it was.
    virtual bool Assign(const TNyxObject* source);
    virtual bool Initialize() { return true; }
    // A fresh object of the same class with default fields, for collection copies.
    virtual std::unique_ptr<TNyxObject> CreateSame() const;

private:
    std::string className_;
    std::string name_;
};

// An owning list of FX objects; slots may be empty. Names are looked up ignoring case.
class TNyxStaticCollection : public TNyxObject {
public:
    explicit TNyxStaticCollection(std::string_view className = "TNyxStaticCollection")
        : TNyxObject(className) {}

    int32_t Count() const { return static_cast<int32_t>(items_.size()); }
    // nullptr outside 0..Count-1 and for an empty slot.
    TNyxObject* Get(int32_t index) const;
    int32_t Add(std::unique_ptr<TNyxObject> item);
    // First item whose name equals name ignoring case, or -1.
    int32_t IndexOf(std::string_view name) const;
    void Clear() { items_.clear(); }

    // Clears, then copies every source item into a new object of its class; when one copy
    // fails the collection is cleared again and the result is false.
    bool Assign(const TNyxObject* source) override;
    // Initialises every item in order; the first that fails writes a diagnostic line to
    // standard error and ends the walk with false.
    bool Initialize() override;
    std::unique_ptr<TNyxObject> CreateSame() const override;

private:
    std::vector<std::unique_ptr<TNyxObject>> items_;
};

} // namespace qz::fx
