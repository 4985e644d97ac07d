#include <string>
#include <pthread.h>
#include <sys/stat.h>

#include <gtest/gtest.h>

#include "engine/settings.h"
#include "engine/xml_screen.h"
#include "tests/engine/scratch_folder.h"

namespace {

bool passes(const std::string& text) { return isScreenedDocument(text.data(), text.size()); }

std::string nested(int depth)
{
    std::string text;
    for (int k = 0; k < depth; ++k)
        text += "<a>";
    for (int k = 0; k < depth; ++k)
        text += "</a>";
    return text;
}

// What the plug-in writes: the state document as the toolkit wraps it, less the wrapping.
const std::string kStateDocument =
    "<?xml version=\"1.0\" encoding=\"UTF-8\"?> <BRONDILSETTINGS pluginVersion=\"65539\" wetgain=\"0.5\" "
    "inputs=\"2\" outputs=\"2\" mode=\"1\" lastSelMulti=\"/irs/hall &amp; &#233;cho.wav\">"
    "<DropDownList><File name=\"/irs\"/></DropDownList><LastPathList/></BRONDILSETTINGS>";

TEST(XmlScreen, PassesTheDocumentsThePlugInWritesAndWhatXmlAllowsAroundThem)
{
    EXPECT_TRUE(passes(kStateDocument));
    EXPECT_TRUE(passes("<Brondil>\n  <LastDir>/home/u</LastDir>\n  <Inputs number=\"2\"/>\n</Brondil>\n"));
    EXPECT_TRUE(passes("\xEF\xBB\xBF<r/>"));
    EXPECT_TRUE(
        passes("<!-- c --><?pi x?><r a='1' b = \"&lt;&gt;&quot;&apos;&#x1F600;&#1;\">t<![CDATA[<&]]><!--x-->"
               "</r >\n<!-- after -->"));
    EXPECT_TRUE(passes(nested(kMaxDocumentDepth)));
    EXPECT_TRUE(passes("<r n=\"\xC3\xA9\xE2\x82\xAC\xF0\x9F\x98\x80\"/>"));
    // What the toolkit writes for names that are not UTF-8: the readers drop those names alone.
    EXPECT_TRUE(passes("<r n=\"&#57087;&#x110000;\">&#xD800;&#4194303;</r>"));
}

TEST(XmlScreen, RefusesDtdsEntitiesAndDeepNestingThatWouldOverflowTheParser)
{
    // 65 bytes whose entity refers to itself: the parser recurses until the stack ends.
    EXPECT_FALSE(passes("<!DOCTYPE x [<!ENTITY a \"&xa;\">]><BRONDILSETTINGS wetgain=\"&a;\"/>"));
    EXPECT_FALSE(passes("<!DOCTYPE x SYSTEM \"/dev/zero\"><r/>"));
    EXPECT_FALSE(passes("<r><!DOCTYPE x></r>"));
    // The parser loops forever on a processing instruction inside an element.
    EXPECT_FALSE(passes("<r><?pi?></r>"));
    EXPECT_FALSE(passes("<r a=\"&unknown;\"/>"));
    EXPECT_FALSE(passes("<r>&xa;</r>"));
    EXPECT_FALSE(passes("<r>&#0;</r>"));
    EXPECT_FALSE(passes("<r>&#x400000;</r>"));
    EXPECT_FALSE(passes("<r>&#;</r>"));
    EXPECT_FALSE(passes("<r>&amp</r>"));
    EXPECT_FALSE(passes(nested(kMaxDocumentDepth + 1)));
    EXPECT_FALSE(passes(nested(30000)));
    std::string selfClosingTooDeep = nested(kMaxDocumentDepth);
    selfClosingTooDeep.insert(static_cast<std::size_t>(3 * kMaxDocumentDepth), "<b/>");
    EXPECT_FALSE(passes(selfClosingTooDeep));
    std::string manyAttributes = "<r";
    for (int k = 0; k <= kMaxElementAttributes; ++k)
        manyAttributes += " a" + std::to_string(k) + "=\"\"";
    EXPECT_FALSE(passes(manyAttributes + "/>"));
}

TEST(XmlScreen, RefusesDocumentsThatAreNotCompleteAndWellFormed)
{
    const std::string refused[] = {
        "",
        "<BRONDILSETTINGS wetgain=\"0.5\" inputs=\"2\" outputs=\"2\"",  // cut after an attribute
        "<r><a></b></r>",                                               // wrong closing tag
        "<r><a></r>",
        "<r>",
        "<r a=1/>",
        "<r a=\"1\" a=\"2\"/>",
        "<r a=\"1\"b=\"2\"/>",
        "<r a=\"<\"/>",
        "<r/><r/>",
        "<r/>text",
        "text<r/>",
        "<r>]]></r>",
        "<r><!-- a -- b --></r>",
        "<r><![CDATA[open</r>",
        "<1r/>",
        "< r/>",
        "<r/ >",
        "</r>",
        "<r></R>",
        "<?xml version=\"1.0\"",
        "<r>\x01</r>",
        std::string("<r>\0</r>", 8),
    };
    for (const std::string& text : refused)
        EXPECT_FALSE(passes(text)) << text;
}

TEST(XmlScreen, RefusesEveryCutOfADocumentButTheWholeOne)
{
    for (std::size_t length = 0; length < kStateDocument.size(); ++length)
        EXPECT_FALSE(isScreenedDocument(kStateDocument.data(), length)) << length;
    EXPECT_TRUE(isScreenedDocument(kStateDocument.data(), kStateDocument.size()));
}

TEST(XmlScreen, RefusesTextThatIsNotStrictUtf8)
{
    EXPECT_FALSE(passes("<r n=\"\xC3\"/>"));              // a sequence cut inside the document
    EXPECT_FALSE(passes("<r/>\xE2\x82"));                 // and at its end
    EXPECT_FALSE(passes("<r n=\"\xC0\xAF\"/>"));          // overlong
    EXPECT_FALSE(passes("<r n=\"\xED\xA0\x80\"/>"));      // a surrogate
    EXPECT_FALSE(passes("<r n=\"\xF4\x90\x80\x80\"/>"));  // past U+10FFFF
    EXPECT_FALSE(passes("<r n=\"\xFF\"/>"));
    EXPECT_FALSE(passes("<r n=\"\x80\"/>"));

    EXPECT_TRUE(isValidUtf8(juce::String::fromUTF8("/irs/\xC3\xA9")));
    EXPECT_FALSE(isValidUtf8(juce::String::fromUTF8("/irs/\xFF\xFE.wav")));
}

TEST(XmlScreen, RefusesDocumentsAboveTheSizeLimit)
{
    const std::string opening = "<r>";
    const std::string closing = "</r>";
    std::string text = opening + std::string(kMaxDocumentBytes - opening.size() - closing.size(), ' ') + closing;
    EXPECT_TRUE(passes(text));
    text.insert(opening.size(), " ");
    EXPECT_FALSE(passes(text));
}

TEST(XmlScreen, ParsesWhatPassesAndNothingElse)
{
    const auto root = parseScreenedDocument(kStateDocument.data(), kStateDocument.size());
    ASSERT_NE(root, nullptr);
    EXPECT_EQ(root->getStringAttribute("lastSelMulti"), juce::String::fromUTF8("/irs/hall & \xC3\xA9"
                                                                               "cho.wav"));
    EXPECT_EQ(root->getChildByName("DropDownList")->getChildElement(0)->getStringAttribute("name"), "/irs");
    const std::string cut = kStateDocument.substr(0, kStateDocument.size() - 1);
    EXPECT_EQ(parseScreenedDocument(cut.data(), cut.size()), nullptr);
}

TEST(XmlScreen, DeepDocumentsAreRefusedOnASmallWorkerThreadToo)
{
    // A host may read state on a worker with a small stack: 1,000 levels
    // overflowed 256 KiB in the parser. The screen keeps no stack of its own.
    const std::string text = nested(1000);
    bool parsed = true;
    pthread_attr_t attributes;
    pthread_attr_init(&attributes);
    pthread_attr_setstacksize(&attributes, 256 * 1024);
    pthread_t worker;
    struct Job {
        const std::string* text;
        bool* parsed;
    } job{&text, &parsed};
    ASSERT_EQ(pthread_create(
                  &worker, &attributes,
                  [](void* argument) -> void* {
                      auto* j = static_cast<Job*>(argument);
                      *j->parsed = parseScreenedDocument(j->text->data(), j->text->size()) != nullptr;
                      return nullptr;
                  },
                  &job),
              0);
    pthread_join(worker, nullptr);
    pthread_attr_destroy(&attributes);
    EXPECT_FALSE(parsed);
}

TEST(XmlScreen, FilesAreReadOnlyWhenRegularAndWithinTheLimit)
{
    enginetest::ScratchFolder scratch;
    const juce::File good = scratch.file("good.xml");
    enginetest::writeText(good, "<Brondil><Inputs number=\"3\"/></Brondil>");
    const auto root = parseScreenedFile(good);
    ASSERT_NE(root, nullptr);
    EXPECT_EQ(root->getTagName(), "Brondil");

    EXPECT_EQ(parseScreenedFile(scratch.file("missing.xml")), nullptr);
    EXPECT_EQ(parseScreenedFile(scratch.folder()), nullptr);
    EXPECT_EQ(parseScreenedFile(juce::File("/dev/zero")), nullptr);
    const juce::File fifo = scratch.file("fifo.xml");
    ASSERT_EQ(mkfifo(fifo.getFullPathName().toRawUTF8(), 0600), 0);
    EXPECT_EQ(parseScreenedFile(fifo), nullptr) << "and it returns without a writer";
    const juce::File huge = scratch.file("huge.xml");
    {
        juce::FileOutputStream out(huge);
        out << "<r>";
        out.writeRepeatedByte(' ', kMaxDocumentBytes);
        out << "</r>";
    }
    EXPECT_EQ(parseScreenedFile(huge), nullptr);
}

}  // namespace
