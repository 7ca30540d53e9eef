#pragma once
// An interface engine with a recording host and a font engine holding one test font
// "Test": 20 pixels high, every character 10 pixels wide except "i" (4 pixels).

#include "RecordingHost.h"
#include "archive/MemoryStream.h"
#include "fonts/NyxFontEngine.h"
#include "ui/NyxInterfaceEngine.h"
#include "xml/NyxParser.h"

#include <gtest/gtest.h>
#include <memory>
#include <string>

namespace qz::test {

class UiFixture : public ::testing::Test {
protected:
    UiFixture() {
        host = std::make_shared<RecordingHost>();
        fonts.SetHost(host);
        TNyxXMLTag element("Font", nullptr, "");
        element.AddTag("Name", "Test");
        element.AddTag("Height", "20");
        element.AddTag("Picture", "TestFont");
        element.AddTag("Metrics", "32:0:0:0:10:0,105:10:0:1:2:1");
        fonts.LoadFont(element);
        engine.SetHost(host);
        engine.SetFontEngine(&fonts);
        engine.SetTickSource([this] { return ticks; });
    }

    void LoadText(const std::string& text) {
        TMemoryStream stream;
        stream.Write(text);
        engine.LoadFromStream(stream);
    }

    void LoadTestDescription() {
        host->AddPicture("MainBack", 400, 300);
        host->AddPicture("Btn", 100, 30);
        host->AddPicture("Box", 16, 16);
        host->AddPicture("BoxChecked", 16, 16);
        host->AddPicture("Step", 10, 10);
        host->AddPicture("DialogBack", 300, 200);
        TMemoryStream stream;
        stream.LoadFromFile(std::string(QUARZEL_UI_TEST_DATA) + "/Test.li");
        engine.LoadFromStream(stream);
    }

    template <class T> T& Get(const std::string& name) {
        T* object = dynamic_cast<T*>(engine.FindObject(name));
        EXPECT_NE(object, nullptr) << name;
        return *object;
    }

    std::string Prop(const std::string& object, const std::string& property) {
        return engine.GetPropertyText(object, property);
    }

    std::shared_ptr<RecordingHost> host;
    TNyxFontEngine fonts;
    TNyxInterfaceEngine engine;
    uint32_t ticks = 0;
};

} // namespace qz::test
