#pragma once
// Builds every window and control from an XML interface description, keeps the stack of
// shown windows, passes the host's input to the top window, runs the command scripts that
// controls queue, and lets the game read and change any control's property by name.

#include "objects/NyxBaseClasses.h"
#include "ui/NyxInterfaceClasses.h"

#include <functional>
#include <memory>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

namespace qz {

class INyxGraphic;
class TMemoryStream;
class TNyxFontEngine;
class TNyxForm;
class TNyxParser;
class TNyxXMLTag;

class TNyxInterfaceEngine : public TNyxEngine {
public:
    static constexpr std::string_view ReadingState = "osReadingState";
    using THandler = std::function<void()>;
    using TTickSource = std::function<uint32_t()>;

    TNyxInterfaceEngine();
    ~TNyxInterfaceEngine() override;

    void SetHost(std::shared_ptr<INyxGraphic> host) { host_ = std::move(host); }
    INyxGraphic* Host() const { return host_.get(); }
    void SetFontEngine(TNyxFontEngine* fontEngine) { fontEngine_ = fontEngine; }
    TNyxFontEngine* FontEngine() const { return fontEngine_; }
    // The millisecond tick counter hints and cursors read; without one it reads 0.
    void SetTickSource(TTickSource ticks) { ticks_ = std::move(ticks); }
    uint32_t Ticks() const { return ticks_ ? ticks_() : 0; }
    // The 8-bit text clipboard the edit control uses; without one, an internal buffer.
    void SetClipboard(std::function<std::string()> get,
                      std::function<void(const std::string&)> set);
    std::string ClipboardText() const;
    void SetClipboardText(const std::string& text);

    // The host window's handlers that ExecMethod calls, by name ignoring ASCII case. A
    // second handler of the same name replaces the first.
    void RegisterHandler(std::string_view name, THandler handler);
    // Calls the handler; false when there is none.
    bool CallHandler(std::string_view name) const;

    // Reads the main description: objects, parents, child lists, properties in file order
    // (State "osReadingState" meanwhile), tab lists. Structural errors end the object
    // creation quietly; conversion errors of property values reach the caller.
    void LoadFromStream(const TMemoryStream& stream);
    // The structural error that ended the last load's object creation; empty when none.
    const std::string& LoadError() const { return loadError_; }
    // Frees every object and empties the window stack, the script queue and the kept
    // earlier values: the engine's Clear for a reload (Clear alone would leave the stack
    // pointing at freed windows).
    void ClearInterface();
    // Applies a property-modification file (a language file: a regular file of at most
    // PropertiesFileLimit bytes), keeping the first earlier value of each property changed;
    // conversion errors reach the caller.
    static constexpr size_t PropertiesFileLimit = size_t{1} << 20;
    void LoadPropertiesFile(const std::string& fileName);
    void LoadPropertiesStream(const TMemoryStream& stream);
    // Gives back every kept earlier value.
    void RestoreProperties();

    void ShowForm(std::string_view name);
    void HideTopForm();
    // Hides that window and every window above it; a window not on the stack changes nothing.
    void HideForm(std::string_view name);
    void ChangeForm(std::string_view hideName, std::string_view showName);
    void ReplaceTopForm(std::string_view showName);
    void HideAllForms();
    TNyxForm* TopForm() const;
    // Bottom first.
    const std::vector<TNyxForm*>& Forms() const { return forms_; }

    // Host input: passed to the top window, then the queued scripts run. Nothing happens
    // while no window is shown.
    void KeyDown(uint16_t& key, TNyxShift shift);
    void KeyPress(char& key);
    void MouseDown(TNyxButton button, TNyxShift shift, int32_t x, int32_t y);
    void MouseMove(TNyxShift shift, int32_t x, int32_t y);
    void MouseUp(TNyxButton button, TNyxShift shift, int32_t x, int32_t y);
    void MouseWheel(TNyxShift shift, int32_t wheelDelta, TPoint mousePos, bool& handled);

    // Every shown window bottom to top: its picture and non-hint children.
    void PaintForms();
    // The top window's visible hints.
    void PaintHints();
    // Every shown window bottom to top, hints included.
    void PaintAll();

    // Shows the top window's first child of that name when it is a hint.
    void ShowHint(std::string_view name);
    // Shows the hint of that name next to the point.
    void ShowHintAt(std::string_view name, int32_t x, int32_t y);

    // Queues script (commands each ended by ";") with senderName as sender; empty: nothing.
    void AddScript(const std::string& senderName, const std::string& script);
    void RunScripts();
    void ClearScripts();
    // The object named by the last queued script, or nullptr.
    TNyxObject* Sender() const { return sender_; }

    // Rebuilds the parent window's child list after the removal.
    void Remove(std::string_view name) override;

    // SetProperty / GetProperty by text, for the game.
    std::string GetPropertyText(std::string_view objectName, std::string_view propertyName) const;

    std::string State;
    const TNyxXMLTag& Scripts() const { return *scripts_; }
    const TNyxXMLTag& ModProps() const { return *modProps_; }

private:
    void CreateInterfaceObjects();
    void ApplyDefaultLine(const std::string& line);
    void ApplyProperties(bool saveOld);
    void SaveOldValue(const std::string& object, const std::string& property);
    void RunCommand(const TNyxXMLTag& command);
    int32_t StackIndexOf(std::string_view name) const;

    std::unique_ptr<TNyxParser> document_;
    std::string loadError_;
    std::unique_ptr<TNyxXMLTag> scripts_;
    std::unique_ptr<TNyxXMLTag> modProps_;
    std::vector<TNyxForm*> forms_;
    TNyxObject* sender_ = nullptr;
    std::shared_ptr<INyxGraphic> host_;
    TNyxFontEngine* fontEngine_ = nullptr;
    TTickSource ticks_;
    std::function<std::string()> clipboardGet_;
    std::function<void(const std::string&)> clipboardSet_;
    std::string clipboard_;
    std::unordered_map<std::string, THandler> handlers_;
};

} // namespace qz
