#include "xml/NyxParser.h"

#include "TempDir.h"
#include "archive/Error.h"

#include <functional>
#include <gtest/gtest.h>
#include <memory>
#include <pthread.h>
#include <string>
#include <vector>

namespace qz {
namespace {

std::unique_ptr<TNyxParser> Load(std::string_view text) {
    auto parser = std::make_unique<TNyxParser>();
    parser->LoadFromStream(TMemoryStream(text));
    return parser;
}

std::string Save(TNyxParser& parser) {
    TMemoryStream stream;
    parser.SaveToStream(stream);
    return stream.ToString();
}

std::string Format(std::string_view text) {
    return Save(*Load(text));
}

std::vector<std::string> AttributeTexts(const TNyxXMLTag& tag) {
    std::vector<std::string> texts;
    for (const auto& attribute : tag.Attributes) {
        texts.push_back(attribute->Name + "=" + attribute->Value);
    }
    return texts;
}

using Texts = std::vector<std::string>;

TEST(NyxEntities, ReplacementsRunInTheirOrder) {
    EXPECT_EQ(LineBreaksToSpaces("a\r\nb\tc\rd\ne"), "a b c\rd\ne");
    EXPECT_EQ(DecodeEntities("&lt;&gt;&amp;&apos;&quot;"), "<>&'\"");
    // Each pass runs over the whole text before the next one starts.
    EXPECT_EQ(DecodeEntities("&amp;quot;"), "\"");
    EXPECT_EQ(DecodeEntities("&amp;lt;"), "&lt;");
    EXPECT_EQ(DecodeEntities("&#65;&#x41;"), "&#65;&#x41;");
    EXPECT_EQ(EncodeEntities("<a href=\"x\">&'"), "&lt;a href=&quot;x&quot;&gt;&amp;&apos;");
}

TEST(NyxEntities, ExtractBetween) {
    EXPECT_EQ(ExtractBetween("x=\"one\" y=\"two\"", "\"", "\"", 1), "one");
    EXPECT_EQ(ExtractBetween("x=\"one\" y=\"two\"", "\"", "\"", 8), "two");
    EXPECT_EQ(ExtractBetween("[a][b]", "[", "]", 2), "b");
    EXPECT_EQ(ExtractBetween("[a", "[", "]", 1), "");
    EXPECT_EQ(ExtractBetween("a]", "[", "]", 1), "");
    // The closing mark may start inside a longer opening mark: nothing lies between.
    EXPECT_EQ(ExtractBetween("ab", "ab", "b", 1), "");
    EXPECT_EQ(ExtractBetween("abc", "a", "c", 9), "");
}

TEST(NyxReading, LineBreaksOfEveryKindAndTheZeroByte) {
    auto parser = Load("<a>one\rtwo\nthree\r\nfour\n\rfive</a>");
    EXPECT_EQ(parser->GetTag(0)->Value, "one two three four  five");

    parser = Load(std::string_view("<a>x</a>\0<b/>", 13));
    ASSERT_EQ(parser->TagCount(), 1u);
    EXPECT_EQ(parser->GetTag(0)->Name, "a");
}

TEST(NyxReading, TypedLinesStayInLines) {
    auto parser = Load("<?xml version=\"1.0\"\t?>\n<a x=\"1\"\n y=\"\t2\">\n text &amp; more "
                       "</a\t>\n<b  /><!-- <c> -->tail");
    EXPECT_EQ(parser->Lines, (Texts{"4xml version=\"1.0\" ", "3a x=\"1\"  y=\" 2\"", "0text & more",
                                    "1a ", "2b", "0tail"}));
    const TNyxXMLTag* a = parser->GetTag(0);
    EXPECT_EQ(AttributeTexts(*a), (Texts{"x=1", "y= 2"}));
    EXPECT_EQ(parser->TagCount(), 2u);
    EXPECT_EQ(parser->Value, "tail");
}

TEST(NyxReading, TagsAndStrayMarks) {
    // A ">" ends the tag even inside a quoted value; the rest is text.
    auto parser = Load("<a x=\"1>2\">t</a>");
    const TNyxXMLTag* a = parser->GetTag(0);
    EXPECT_EQ(a->Name, "a");
    EXPECT_EQ(a->AttributeCount(), 0u);
    EXPECT_EQ(a->Value, "2\">t");

    // A "<" without a following ">" is skipped and what follows is text.
    parser = Load("<a>1 < 2");
    EXPECT_EQ(parser->Lines, (Texts{"3a", "01", "02"}));
    EXPECT_EQ(parser->GetTag(0)->Value, "2");

    // "<!" without "--" is an ordinary opening tag.
    parser = Load("<!DOCTYPE html><r/>");
    ASSERT_EQ(parser->TagCount(), 1u);
    EXPECT_EQ(parser->GetTag(0)->Name, "!DOCTYPE");
    EXPECT_EQ(parser->GetTag(0)->GetTag(0)->Name, "r");

    // Comments may hold tags and span lines; "<!---->" is complete, "<!-->" is not.
    parser = Load("<!---->\r\n<a/><!--> <b/> -->\n<!-- <c>\n</c> --><d/>");
    ASSERT_EQ(parser->TagCount(), 2u);
    EXPECT_EQ(parser->GetTag(1)->Name, "d");

    // A byte-order mark is ordinary text; bytes above 127 pass through.
    parser = Load("\xEF\xBB\xBF<a>\xC3\xA9</a>");
    EXPECT_EQ(parser->Value, "\xEF\xBB\xBF");
    EXPECT_EQ(parser->GetTag(0)->Value, "\xC3\xA9");
}

TEST(NyxReading, AbandonedPassYieldsNoElements) {
    for (const char* text : {"<a><!-- never ended", "<a/><?xml version=\"1.0\"", "<a><>x</a>"}) {
        SCOPED_TRACE(text);
        auto parser = Load(text);
        EXPECT_EQ(parser->TagCount(), 0u);
        EXPECT_EQ(parser->Name, "root");
        EXPECT_EQ(parser->Lines, Texts{text});
        parser->BuildTree();
        EXPECT_EQ(parser->TagCount(), 0u);
        EXPECT_EQ(Save(*parser), "");
    }
}

TEST(NyxReading, NoTypedLineFailsWithTheListIndexError) {
    for (const char* text : {"", " \r\n\t ", "<!-- only a comment -->", "<!--> <b/> -->"}) {
        SCOPED_TRACE(text);
        TNyxParser parser;
        try {
            parser.LoadFromStream(TMemoryStream(text));
            ADD_FAILURE() << "no error";
        } catch (const Error& error) {
            EXPECT_STREQ(error.what(), "List index out of bounds (0)");
        }
    }
}

TEST(NyxTree, TextClosingTagsAndTheDocumentNode) {
    // A later text replaces an earlier one.
    auto parser = Load("<a>x<b/>y</a>");
    const TNyxXMLTag* a = parser->GetTag(0);
    EXPECT_EQ(a->Value, "y");
    ASSERT_EQ(a->TagCount(), 1u);
    EXPECT_EQ(a->GetTag(0)->Parent, a);
    EXPECT_EQ(a->Parent, parser.get());

    // Closing names are not compared; open elements are closed by the end.
    parser = Load("<a></b><c><d>");
    ASSERT_EQ(parser->TagCount(), 2u);
    EXPECT_EQ(parser->GetTag(1)->GetTag(0)->Name, "d");

    // Text after the last closing tag is the document node's value, once.
    parser = Load("<a> stray </a> end ");
    EXPECT_EQ(parser->Value, "end");
    EXPECT_EQ(parser->GetTag(0)->Value, "stray");

    // Text and two spaces inside values: line breaks made spaces, entities decoded once.
    parser = Load("<a x=\"&amp;\tb\">  Hello&amp;World  </a><b>one\r\ntwo</b>");
    EXPECT_EQ(parser->GetTag(0)->Value, "Hello&World");
    EXPECT_EQ(parser->GetTag(0)->FindAttribute("x")->Value, "&amp; b");
    EXPECT_EQ(parser->GetTag(1)->Value, "one two");
}

TEST(NyxTree, SurplusClosingTags) {
    auto parser = Load("<a></a></a>\r\n");
    EXPECT_EQ(parser->TagCount(), 1u);

    for (const char* text : {"<a></a></a><b/>", "<a></a></a>text", "</x></y>"}) {
        SCOPED_TRACE(text);
        try {
            Load(text);
            ADD_FAILURE() << "no error";
        } catch (const Error& error) {
            EXPECT_STREQ(error.what(),
                         "[TNyxParser.BuildTree] More closing tags than opening tags!");
        }
    }
}

TEST(NyxTree, HeadNamesTheDocumentNode) {
    auto parser = Load("<?xml version=\"1.0\" encoding=\"UTF-8\"?>\r\n<r/>\r\n");
    EXPECT_EQ(parser->Name, "xml");
    EXPECT_EQ(AttributeTexts(*parser), (Texts{"version=1.0", "encoding=UTF-8"}));
    ASSERT_EQ(parser->TagCount(), 1u);
    EXPECT_EQ(parser->GetTag(0)->Name, "r");
    EXPECT_EQ(Save(*parser), "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\r\n<r />\r\n");

    // A head drops what was read before it, the open element too: later text goes to the
    // document node instead of a freed element.
    parser = Load("<a><b/><?other k=\"v\"?>text<c/>");
    EXPECT_EQ(parser->Name, "other");
    EXPECT_EQ(AttributeTexts(*parser), Texts{"k=v"});
    EXPECT_EQ(parser->Value, "text");
    ASSERT_EQ(parser->TagCount(), 1u);
    EXPECT_EQ(parser->GetTag(0)->Name, "c");
    // Only a document named xml is written with a head.
    EXPECT_EQ(Save(*parser), "<c />\r\n");
}

TEST(NyxTree, BuildTreeAgainGivesTheSameTree) {
    auto parser = Load("<?xml version=\"1\"?><a k=\"v\">x<b>y</b></a> tail");
    const std::string first = Save(*parser);
    parser = Load("<?xml version=\"1\"?><a k=\"v\">x<b>y</b></a> tail");
    parser->BuildTree();
    parser->BuildTree();
    EXPECT_EQ(parser->Value, "tail");
    EXPECT_EQ(parser->Name, "xml");
    EXPECT_EQ(parser->AttributeCount(), 1u);
    EXPECT_EQ(Save(*parser), first);
}

TEST(NyxTags, AttributeLoop) {
    auto parser = Load("<a x = \"1\"  y=\"2\"/><b b=\"1\" word><c b=1/><d k=junk\"v='<=' \"/>"
                       "<e =\"\" a b=\"2\" x=\"3\" x=\"4\"/>");
    ASSERT_EQ(parser->TagCount(), 2u);
    EXPECT_EQ(AttributeTexts(*parser->GetTag(0)), (Texts{"x=1", "y=2"}));
    // The tag ended by a lone word is an opening one: it holds c, d and e.
    const TNyxXMLTag* b = parser->GetTag(1);
    EXPECT_EQ(AttributeTexts(*b), Texts{"b=1"});
    EXPECT_EQ(b->Name, "b");
    ASSERT_EQ(b->TagCount(), 3u);
    EXPECT_EQ(b->GetTag(0)->AttributeCount(), 0u);
    EXPECT_EQ(AttributeTexts(*b->GetTag(1)), Texts{"k=v='<=' "});
    const TNyxXMLTag* e = b->GetTag(2);
    EXPECT_EQ(AttributeTexts(*e), (Texts{"=", "a b=2", "x=3", "x=4"}));
    EXPECT_EQ(e->FindAttribute("x")->Value, "3");
    EXPECT_EQ(e->FindAttribute("a"), nullptr);
    EXPECT_EQ(e->GetAttribute(3)->Value, "4");
    EXPECT_EQ(e->GetAttribute(4), nullptr);
}

TEST(NyxTags, AttributeErrorsAreCaughtByAddTagByString) {
    auto message = [](std::string_view text) {
        TNyxXMLTag tag({}, nullptr, {});
        try {
            tag.ReadTagString(text);
        } catch (const Error& error) {
            return tag.Name + "|" + std::to_string(tag.AttributeCount()) + "|" + error.what();
        }
        return std::string("no error");
    };
    EXPECT_EQ(message("a x=\"1\" word"),
              "a|1|[TNyxXMLTag.AddTagByString] Expected Attribute name but found nothing! Tag "
              "name: \"a\".");
    EXPECT_EQ(message("a b=1"),
              "a|0|[TNyxXMLTag.AddTagByString] Expected open \" in Attribute value but found "
              "nothing! Tag name: \"a\", Attribute name: \"b\".");
    EXPECT_EQ(message("a  b c = \"1"),
              "a|0|[TNyxXMLTag.AddTagByString] Expected closed \" in Attribute value but found "
              "nothing! Tag name: \"a\", Attribute name: \"b c\".");
    EXPECT_EQ(message("a x=\"1\""), "no error");

    TNyxXMLTag parent("p", nullptr, {});
    TNyxXMLTag* child = parent.AddTagByString("a x=\"1\" y=\"2");
    EXPECT_EQ(child->Name, "a");
    EXPECT_EQ(AttributeTexts(*child), Texts{"x=1"});
    EXPECT_EQ(child->Parent, &parent);
    EXPECT_EQ(parent.LastTag(), child);
}

TEST(NyxTags, Lookups) {
    TNyxXMLTag tag("t", nullptr, {});
    tag.AddTag("name", "1");
    tag.AddTag("Name", "2")->AddTag("deep");
    tag.AddTag("name", "3");
    EXPECT_EQ(tag.FindTag("Name")->Value, "2");
    EXPECT_EQ(tag.FindTag("name")->Value, "1");
    EXPECT_EQ(tag.FindTag("NAME"), nullptr);
    EXPECT_EQ(tag.FindTag("deep"), nullptr);
    EXPECT_EQ(tag.GetTag(3), nullptr);
    EXPECT_EQ(tag.LastTag()->Value, "3");
    tag.ClearTags();
    EXPECT_EQ(tag.TagCount(), 0u);
}

TEST(NyxTags, AssignCopiesDeeply) {
    TNyxXMLTag source("s", nullptr, "v");
    source.AddAttribute("k", "1");
    source.AddTag("c", "x")->AddAttribute("a", "2");
    source.LastTag()->AddTag("g");

    TNyxXMLTag parent("p", nullptr, {});
    TNyxXMLTag* target = parent.AddTag("old", "old");
    target->AddAttribute("gone", "1");
    target->AddTag("gone");
    target->Assign(source);
    EXPECT_EQ(target->Parent, &parent);
    EXPECT_EQ(target->MakeText(0), source.MakeText(0));
    EXPECT_EQ(target->GetTag(0)->Parent, target);
    EXPECT_EQ(target->GetTag(0)->GetTag(0)->Parent, target->GetTag(0));
    EXPECT_NE(target->GetTag(0), source.GetTag(0));

    // Assigning from an element of its own subtree copies it before clearing.
    target->Assign(*target->GetTag(0));
    EXPECT_EQ(target->MakeText(0), "<c a=\"2\">x\t<g />\r\n</c>\r\n");
    target->Assign(*target);
    EXPECT_EQ(target->Name, "c");
}

TEST(NyxWriting, MakeTextLayout) {
    TNyxXMLTag a("a", nullptr, "x");
    a.AddTag("b");
    EXPECT_EQ(a.MakeText(0), "<a>x\t<b />\r\n</a>\r\n");

    TNyxXMLTag element("e", nullptr, {});
    element.AddAttribute("k", "<&\"'>");
    element.AddTag("v", "a<b & 'c' \"d\"");
    element.AddTag("long", std::string(80, 'x'));
    element.AddTag("short", std::string(79, 'y'));
    element.AddTag("n")->AddTag("m");
    EXPECT_EQ(element.MakeText(1), "\t<e k=\"<&\"'>\">\r\n"
                                   "\t\t<v>a&lt;b &amp; &apos;c&apos; &quot;d&quot;</v>\r\n"
                                   "\t\t<long>\r\n\t\t" +
                                       std::string(80, 'x') +
                                       "\r\n\t\t</long>\r\n"
                                       "\t\t<short>" +
                                       std::string(79, 'y') +
                                       "</short>\r\n"
                                       "\t\t<n>\r\n\t\t\t<m />\r\n\t\t</n>\r\n"
                                       "\t</e>\r\n");
}

TEST(NyxWriting, SaveWritesHeadOnlyForXml) {
    TNyxParser parser;
    parser.AddTag("r", "1");
    parser.LastTag()->AddAttribute("k", "v");
    parser.AddTag("s");
    parser.Value = "never written";
    EXPECT_EQ(Save(parser), "<r k=\"v\">1</r>\r\n<s />\r\n");
    EXPECT_EQ(parser.Lines, (Texts{"<r k=\"v\">1</r>", "<s />"}));

    parser.SetName("xml");
    parser.AddAttribute("version", "1.0");
    EXPECT_EQ(Save(parser), "<?xml version=\"1.0\"?>\r\n<r k=\"v\">1</r>\r\n<s />\r\n");

    // The stream is written at its position.
    TMemoryStream stream("ab");
    stream.SetPosition(1);
    parser.SaveToStream(stream);
    EXPECT_EQ(stream.ToString(), "a<?xml version=\"1.0\"?>\r\n<r k=\"v\">1</r>\r\n<s />\r\n");
}

TEST(NyxWriting, ReadWriteReadRoundTrip) {
    const std::string source = "<?xml version=\"1.0\"?>\n"
                               "<interface name=\"main\">\n"
                               "  <!-- the menu -->\n"
                               "  <form id=\"menu\" x=\"10\" y=\"20\">\n"
                               "    <caption>Start &amp; go &lt;now&gt;</caption>\n"
                               "    <button id=\"ok\" script=\"Close('x'); Open(a=b)\"/>\n"
                               "    <text>" +
                               std::string(100, 'w') +
                               "</text>\n"
                               "  </form>\n"
                               "</interface>\n";
    const std::string first = Format(source);
    EXPECT_EQ(first, "<?xml version=\"1.0\"?>\r\n"
                     "<interface name=\"main\">\r\n"
                     "\t<form id=\"menu\" x=\"10\" y=\"20\">\r\n"
                     "\t\t<caption>Start &amp; go &lt;now&gt;</caption>\r\n"
                     "\t\t<button id=\"ok\" script=\"Close('x'); Open(a=b)\" />\r\n"
                     "\t\t<text>\r\n\t\t" +
                         std::string(100, 'w') +
                         "\r\n\t\t</text>\r\n"
                         "\t</form>\r\n"
                         "</interface>\r\n");
    auto again = Load(first);
    EXPECT_EQ(again->GetTag(0)->GetTag(0)->GetTag(0)->Value, "Start & go <now>");
    EXPECT_EQ(Save(*again), first);
}

TEST(NyxFiles, LoadFromFile) {
    test::TempDir dir;
    TMemoryStream("<a>1</a>").SaveToFile(dir.File("a.xml"));
    TNyxParser parser;
    parser.LoadFromFile(dir.File("a.xml"));
    EXPECT_EQ(parser.GetTag(0)->Value, "1");
    EXPECT_THROW(parser.LoadFromFile(dir.File("missing.xml")), IOError);
}

// Runs body on a thread with a small stack, so that a recursion per level would overflow.
void OnSmallStack(std::function<void()> body) {
    pthread_attr_t attributes;
    pthread_attr_init(&attributes);
    pthread_attr_setstacksize(&attributes, 256 * 1024);
    pthread_t thread;
    auto run = [](void* argument) -> void* {
        (*static_cast<std::function<void()>*>(argument))();
        return nullptr;
    };
    ASSERT_EQ(pthread_create(&thread, &attributes, run, &body), 0);
    pthread_join(thread, nullptr);
    pthread_attr_destroy(&attributes);
}

TEST(NyxDeep, MillionNestedTagsLoadCopyAndFree) {
    std::string text;
    for (int i = 0; i < 1000000; ++i) {
        text += "<a>";
    }
    text += "bottom";
    auto parser = Load(text);
    size_t depth = 0;
    const TNyxXMLTag* tag = parser.get();
    while (tag->TagCount() > 0) {
        tag = tag->GetTag(0);
        ++depth;
    }
    EXPECT_EQ(depth, 1000000u);
    EXPECT_EQ(tag->Value, "bottom");

    auto copy = std::make_unique<TNyxXMLTag>("c", nullptr, "");
    copy->Assign(*parser);
    parser.reset();
    depth = 0;
    for (tag = copy.get(); tag->TagCount() > 0; tag = tag->GetTag(0)) {
        EXPECT_EQ(tag->GetTag(0)->Parent, tag);
        ++depth;
    }
    EXPECT_EQ(depth, 1000000u);
    EXPECT_EQ(tag->Value, "bottom");
    copy.reset();
}

TEST(NyxDeep, WritingDoesNotRecursePerLevel) {
    OnSmallStack([] {
        TNyxParser parser;
        TNyxXMLTag* tag = &parser;
        for (int i = 0; i < 4000; ++i) {
            tag = tag->AddTag("d");
        }
        tag->SetValue("v");
        const std::string written = Save(parser);
        EXPECT_EQ(written.substr(0, 5), "<d>\r\n");
        EXPECT_EQ(written.substr(written.size() - 6), "</d>\r\n");
        auto again = std::make_unique<TNyxParser>();
        again->LoadFromStream(TMemoryStream(written));
        EXPECT_EQ(Save(*again), written);
    });
}

TEST(NyxDeep, TheTextOfADeepDocumentGrowsWithItsDepth) {
    // With one tab per level the text of 50,000 levels would be 2.5 GB of tabs.
    constexpr size_t Depth = 50000;
    TNyxParser parser;
    TNyxXMLTag* tag = &parser;
    for (size_t i = 0; i < Depth; ++i) {
        tag = tag->AddTag("d");
    }
    tag->SetValue("v");
    const std::string written = Save(parser);
    EXPECT_LE(written.size(), Depth * (sizeof("<d>\r\n</d>\r\n") + 2 * 64));
    EXPECT_NE(written.find("\n" + std::string(64, '\t') + "<d>"), std::string::npos);
    EXPECT_EQ(written.find(std::string(65, '\t')), std::string::npos);
    // The first levels keep their indent, and the text reads back as the same tree.
    EXPECT_TRUE(written.starts_with("<d>\r\n\t<d>\r\n\t\t<d>\r\n"));
    auto again = std::make_unique<TNyxParser>();
    again->LoadFromStream(TMemoryStream(written));
    size_t depth = 0;
    const TNyxXMLTag* node = again.get();
    while (node->TagCount() > 0) {
        node = node->GetTag(0);
        ++depth;
    }
    EXPECT_EQ(depth, Depth);
    EXPECT_EQ(node->Value, "v");
}

} // namespace
} // namespace qz
