// Reading and writing a document of about 200 KB shaped like an interface description:
// nested forms holding controls with attributes, captions and script texts, and comments.

#include "xml/NyxParser.h"

#include <benchmark/benchmark.h>
#include <string>

namespace {

std::string InterfaceDocument() {
    std::string text =
        "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\r\n<interface name=\"Slider\">\r\n";
    for (int form = 0; text.size() < 200 * 1024; ++form) {
        const std::string id = std::to_string(form);
        text += "  <!-- form " + id + " -->\r\n";
        text += "  <form name=\"Form" + id + "\" x=\"" + std::to_string(form * 7 % 800) +
                "\" y=\"40\" width=\"320\" height=\"240\" picture=\"FormBack\">\r\n";
        text += "    <caption>Options &amp; settings " + id + "</caption>\r\n";
        for (int control = 0; control < 12; ++control) {
            const std::string name = "Control" + id + "_" + std::to_string(control);
            text += "    <button name=\"" + name + "\" x=\"" + std::to_string(control * 24) +
                    "\" y=\"" + std::to_string(control * 18) +
                    "\" font=\"NyxUnicode\" hint=\"Press 'here'\">\r\n";
            text += "      <caption>\xC3\x9C"
                    "bernehmen " +
                    std::to_string(control) + "</caption>\r\n";
            text += "      <script>Close(Form" + id + "); Open(Menu, x=" + std::to_string(control) +
                    ") &lt;&gt;</script>\r\n";
            text += "      <state name=\"down\" picture=\"ButtonDown\"/>\r\n";
            text += "    </button>\r\n";
        }
        text += "  </form>\r\n";
    }
    text += "</interface>\r\n";
    return text;
}

const qz::TMemoryStream& Document() {
    static const qz::TMemoryStream stream(InterfaceDocument());
    return stream;
}

void BM_XmlLoad(benchmark::State& state) {
    const qz::TMemoryStream& stream = Document();
    for (auto _ : state) {
        qz::TNyxParser parser;
        parser.LoadFromStream(stream);
        benchmark::DoNotOptimize(parser.TagCount());
    }
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * stream.Size()));
}
BENCHMARK(BM_XmlLoad)->Unit(benchmark::kMillisecond);

void BM_XmlMakeLines(benchmark::State& state) {
    qz::TNyxParser parser;
    parser.LoadFromStream(Document());
    for (auto _ : state) {
        parser.MakeLines();
        benchmark::DoNotOptimize(parser.Lines.data());
    }
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * Document().Size()));
}
BENCHMARK(BM_XmlMakeLines)->Unit(benchmark::kMillisecond);

void BM_XmlSaveToStream(benchmark::State& state) {
    qz::TNyxParser parser;
    parser.LoadFromStream(Document());
    for (auto _ : state) {
        qz::TMemoryStream stream;
        parser.SaveToStream(stream);
        benchmark::DoNotOptimize(stream.Size());
    }
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * Document().Size()));
}
BENCHMARK(BM_XmlSaveToStream)->Unit(benchmark::kMillisecond);

} // namespace
