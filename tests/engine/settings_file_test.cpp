#include <clocale>
#include <cstdlib>
#include <filesystem>
#include <locale>
#include <memory>
#include <optional>
#include <utility>
#include <vector>

#include <gtest/gtest.h>
#include <signal.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include "engine/filter.h"
#include "engine/number_text.h"
#include "engine/settings.h"
#include "engine/xml_access.h"
#include "engine/xml_screen.h"
#include "tests/engine/scratch_folder.h"
#include "tests/support/scoped_environment.h"

namespace {

using enginetest::ScratchFolder;
using enginetest::writeText;

BRSettings filledSettings(const ScratchFolder& scratch)
{
    BRSettings settings;
    settings.lastDir = scratch.folder();
    settings.lastPathList = {scratch.file("mono").getFullPathName(), scratch.file("gone").getFullPathName(),
                             scratch.file("one.wav").getFullPathName()};
    settings.dropDownList = {scratch.file("irs").getFullPathName()};
    settings.inputs = 4;
    settings.outputs = 6;
    settings.fftSize = 8192;
    settings.irSize = 32768;
    settings.zeroLatency = 1;
    settings.workingMode = 2;
    return settings;
}

void createPaths(const ScratchFolder& scratch)
{
    ASSERT_TRUE(scratch.file("mono").createDirectory().wasOk());
    ASSERT_TRUE(scratch.file("irs").createDirectory().wasOk());
    ASSERT_TRUE(scratch.file("one.wav").create().wasOk());
}

// Makes folder the working folder for its lifetime, so that relative paths
// name files that exist.
class WorkingFolder {
public:
    explicit WorkingFolder(const juce::File& folder) : previous(juce::File::getCurrentWorkingDirectory())
    {
        EXPECT_TRUE(folder.setAsCurrentWorkingDirectory());
    }
    ~WorkingFolder() { previous.setAsCurrentWorkingDirectory(); }
    WorkingFolder(const WorkingFolder&) = delete;
    WorkingFolder& operator=(const WorkingFolder&) = delete;

private:
    juce::File previous;
};

void expectSameNumbers(const BRSettings& actual, const BRSettings& expected)
{
    EXPECT_EQ(actual.inputs, expected.inputs);
    EXPECT_EQ(actual.outputs, expected.outputs);
    EXPECT_EQ(actual.fftSize, expected.fftSize);
    EXPECT_EQ(actual.irSize, expected.irSize);
    EXPECT_EQ(actual.zeroLatency, expected.zeroLatency);
    EXPECT_EQ(actual.workingMode, expected.workingMode);
}

TEST(SettingsFile, WithoutADocumentTheDefaultsHold)
{
    ScratchFolder scratch;
    writeText(scratch.file("broken.xml"), "<Brondil><Inputs number=\"9\"");
    for (const juce::File& file : {scratch.file("missing.xml"), scratch.file("broken.xml")}) {
        BRSettings settings;
        settings.inputs = 9;
        settings.fftSize = 77;
        settings.workingMode = 2;
        loadSettings(settings, file);
        expectSameNumbers(settings, BRSettings{});
        EXPECT_EQ(settings.fftSize, 1024);
        EXPECT_EQ(settings.lastDir, juce::File());
        EXPECT_TRUE(settings.lastPathList.isEmpty());
        EXPECT_TRUE(settings.dropDownList.isEmpty());
    }
}

TEST(SettingsFile, ADocumentChangesOnlyTheFieldsItNames)
{
    ScratchFolder scratch;
    writeText(scratch.file("Brondil.xml"), "<Brondil><Outputs number=\"5\"/><FFTsize/></Brondil>");
    BRSettings settings;
    settings.inputs = 9;
    settings.irSize = 4096;
    loadSettings(settings, scratch.file("Brondil.xml"));
    EXPECT_EQ(settings.inputs, 9);
    EXPECT_EQ(settings.irSize, 4096);
    EXPECT_EQ(settings.outputs, 5);
    EXPECT_EQ(settings.fftSize, 1024) << "an element without its attribute gives the default";
}

// Every value, alone in a file, against the strict reading: the accepted ones
// are read as written, every other gives the field its default.
TEST(SettingsFile, NumbersOutsideTheirRangeOrNotWholeDecimalsTakeTheirDefaults)
{
    struct Field {
        const char* element;
        const char* attribute;
        int BRSettings::*field;
        std::vector<std::pair<const char*, int>> accepted;
        std::vector<const char*> refused;
    };
    const Field fields[] = {
        {"Inputs",
         "number",
         &BRSettings::inputs,
         {{"1", 1}, {"32", 32}, {"+7", 7}},
         {"0", "33", "-2", "99999999999", "4,5", "0x4", "1e1", " 3", "3.0", ""}},
        {"Outputs", "number", &BRSettings::outputs, {{"5", 5}}, {"0x400", "0"}},
        {"IRsize",
         "size",
         &BRSettings::irSize,
         {{"1", 1}, {"2097152", 2097152}},
         {"0", "2097153", "2000000000", "99999999999", "4096,5", "1e309"}},
        {"FFTsize",
         "size",
         &BRSettings::fftSize,
         {{"2", 2}, {"8192", 8192}, {"131072", 131072}},
         {"0", "3000", "262144", "4096,5", "0x400", "1e3"}},
        {"ZeroLatency", "state", &BRSettings::zeroLatency, {{"1", 1}, {"0", 0}}, {"2", "-1", "1e309", "true"}},
        {"WorkingMode", "mode", &BRSettings::workingMode, {{"2", 2}}, {"3", "-1", "0x1", "1.5"}},
    };
    ScratchFolder scratch;
    const juce::File file = scratch.file("Brondil.xml");
    const auto load = [&](const Field& field, const char* text) {
        writeText(file,
                  "<Brondil><" + juce::String(field.element) + " " + field.attribute + "=\"" + text + "\"/></Brondil>");
        BRSettings settings;
        settings.*field.field = 77;
        loadSettings(settings, file);
        return settings.*field.field;
    };
    for (const Field& field : fields) {
        for (const auto& [text, value] : field.accepted)
            EXPECT_EQ(load(field, text), value) << field.element << "=\"" << text << "\"";
        for (const char* text : field.refused)
            EXPECT_EQ(load(field, text), BRSettings{}.*field.field) << field.element << "=\"" << text << "\"";
    }

    // A processor works with the defaults; it writes them back in place of
    // what it refused once it has something to save.
    const juce::String damaged =
        "<Brondil><Inputs number=\"99999999999\"/><Outputs number=\"0x400\"/>"
        "<IRsize size=\"2000000000\"/><FFTsize size=\"4096,5\"/><ZeroLatency "
        "state=\"1e309\"/><WorkingMode mode=\"-1\"/></Brondil>";
    writeText(file, damaged);
    for (const bool changing : {false, true}) {
        BRFilter filter(scratch.file("Brondil.so"), [](const BRSettings&) { return BRChannelCounts{2, 2}; });
        expectSameNumbers(filter.settings, BRSettings{});
        EXPECT_EQ(filter.irSize, 1024);
        EXPECT_EQ(filter.fftSize, 1024);
        if (changing)
            filter.settings.lastDir = scratch.folder();
        else
            EXPECT_EQ(file.loadFileAsString(), damaged);
    }
    const auto written = juce::XmlDocument::parse(file);
    ASSERT_NE(written, nullptr);
    EXPECT_EQ(written->getChildByName("Inputs")->getStringAttribute("number"), "2");
    EXPECT_EQ(written->getChildByName("Outputs")->getStringAttribute("number"), "2");
    EXPECT_EQ(written->getChildByName("IRsize")->getStringAttribute("size"), "1024");
    EXPECT_EQ(written->getChildByName("FFTsize")->getStringAttribute("size"), "1024");
    EXPECT_EQ(written->getChildByName("ZeroLatency")->getStringAttribute("state"), "0");
    EXPECT_EQ(written->getChildByName("WorkingMode")->getStringAttribute("mode"), "0");
}

TEST(SettingsFile, InstancesClosingOneAfterAnotherKeepEachOthersChanges)
{
    ScratchFolder scratch;
    createPaths(scratch);
    const auto make = [&] {
        return std::make_unique<BRFilter>(scratch.file("Brondil.so"), [](const BRSettings&) {
            return BRChannelCounts{2, 2};
        });
    };
    auto first = make();
    auto second = make();
    auto third = make();
    first->settings.fftSize = 4096;
    first->settings.zeroLatency = 1;
    ASSERT_TRUE(first->setIrSize(8192));
    first->settings.dropDownList = {scratch.file("irs").getFullPathName()};
    second->settings.inputs = 4;
    second->settings.lastDir = scratch.folder();
    third->settings.fftSize = 2048;
    third->settings.lastPathList = {scratch.file("mono").getFullPathName(), scratch.file("gone").getFullPathName()};
    first.reset();
    second.reset();
    third.reset();

    BRSettings reread;
    loadSettings(reread, scratch.file("Brondil.xml"));
    EXPECT_EQ(reread.fftSize, 2048) << "the last instance to change a field sets it";
    EXPECT_EQ(reread.zeroLatency, 1);
    EXPECT_EQ(reread.irSize, 8192);
    EXPECT_EQ(reread.inputs, 4);
    EXPECT_EQ(reread.outputs, 2);
    EXPECT_EQ(reread.lastDir, scratch.folder());
    EXPECT_EQ(reread.dropDownList, juce::StringArray(scratch.file("irs").getFullPathName()));
    EXPECT_EQ(reread.lastPathList,
              juce::StringArray(scratch.file("mono").getFullPathName(), scratch.file("gone").getFullPathName()));
}

TEST(SettingsMerge, ListsMergeEntryByEntryAndNamesTheFileCannotHoldChangeNothing)
{
    const juce::String notUtf8 = juce::String::fromUTF8("/a\xED\xBB\xBF", 6);
    BRSettings onDisk;
    onDisk.lastDir = juce::File("/disk");
    onDisk.lastPathList = {"/d0", "/d1", "/d2", "/d3"};
    onDisk.dropDownList = {"/other", "/a", "/gone", "/b"};
    BRSettings asRead;
    asRead.lastPathList = {"/r0", "/d1", "", "/r3"};
    asRead.dropDownList = {"/a", "/b", "/gone"};
    BRSettings current = asRead;
    current.lastDir = juce::File(notUtf8);
    // Slot 1 changed, slot 3 changed to a name the file cannot hold, slot 4 added.
    current.lastPathList = {"/r0", "/c1", "", notUtf8, "/c4"};
    // "/new" added, "/b" chosen again, "/gone" removed.
    current.dropDownList = {"/new", notUtf8, "/b", "/a"};

    const BRSettings merged = mergeSettingsChanges(onDisk, asRead, current);
    EXPECT_EQ(merged.lastDir, juce::File("/disk"));
    EXPECT_EQ(merged.lastPathList, juce::StringArray({"/d0", "/c1", "/d2", "/d3", "/c4"}));
    EXPECT_EQ(merged.dropDownList, juce::StringArray({"/new", "/b", "/other", "/a"}));

    // Slots emptied here are emptied there; a list longer than the cap is cut.
    current.lastPathList = {"/r0", "/d1"};
    for (int k = 0; k < kMaxPathListEntries + 6; ++k)
        current.dropDownList.add("/many/" + juce::String(k));
    const BRSettings capped = mergeSettingsChanges(onDisk, asRead, current);
    EXPECT_EQ(capped.lastPathList, juce::StringArray({"/d0", "/d1", "/d2"}));
    EXPECT_EQ(capped.dropDownList.size(), kMaxPathListEntries);
    EXPECT_EQ(capped.dropDownList[0], "/new");
}

// A file an earlier version wrote for a folder whose name is not UTF-8: the
// toolkit wrote the name as references to characters that are none.
TEST(SettingsFile, AnEntryTheReaderCannotTakeCostsOnlyThatEntry)
{
    ScratchFolder scratch;
    const juce::File file = scratch.file("Brondil.xml");
    writeText(file,
              "<Brondil><LastDir>/home/u/a&#57087;</LastDir>"
              "<LastPathList><File name=\"/m&#57087;\"/><File name=\"/multi\"/></LastPathList>"
              "<DropDownList><File name=\"/&#xDC80;\"/><File name=\"/recent\"/></DropDownList>"
              "<Inputs number=\"4\"/><FFTsize size=\"4096\"/></Brondil>");
    BRSettings settings;
    settings.lastDir = juce::File("/before");
    ASSERT_TRUE(loadSettings(settings, file));
    EXPECT_EQ(settings.lastDir, juce::File("/before"));
    EXPECT_EQ(settings.lastPathList, juce::StringArray({"", "/multi"}));
    EXPECT_EQ(settings.dropDownList, juce::StringArray("/recent"));
    EXPECT_EQ(settings.inputs, 4);
    EXPECT_EQ(settings.fftSize, 4096);

    // Nor does such a name get written.
    settings.lastDir = juce::File(juce::String::fromUTF8("/a\xFF\xFE", 4));
    ASSERT_EQ(saveSettings(settings, file), BRFileReplacement::replaced);
    BRSettings reread;
    ASSERT_TRUE(loadSettings(reread, file));
    EXPECT_EQ(reread.lastDir, juce::File());
    EXPECT_EQ(reread.lastPathList, settings.lastPathList);
}

// The names in folder, hidden ones too, sorted.
juce::StringArray namesIn(const juce::File& folder)
{
    juce::StringArray names;
    for (const auto& entry : juce::RangedDirectoryIterator(folder, false, "*", juce::File::findFilesAndDirectories))
        names.add(entry.getFile().getFileName());
    names.sort(false);
    return names;
}

TEST(SettingsFile, SavesGoThroughALinkAndLeaveAReadOnlyFileAlone)
{
    ScratchFolder scratch;
    const juce::File target = scratch.file("kept/settings.xml");
    writeText(target, "<Brondil/>");
    ASSERT_TRUE(scratch.file("plugins").createDirectory().wasOk());
    const juce::File link = scratch.file("plugins/Brondil.xml");
    ASSERT_EQ(::symlink("../kept/settings.xml", link.getFullPathName().toRawUTF8()), 0);
    const auto make = [&] {
        return std::make_unique<BRFilter>(scratch.file("plugins/Brondil.so"), [](const BRSettings&) {
            return BRChannelCounts{2, 2};
        });
    };
    make()->settings.fftSize = 4096;
    EXPECT_TRUE(link.isSymbolicLink());
    BRSettings reread;
    loadSettings(reread, target);
    EXPECT_EQ(reread.fftSize, 4096);
    // One lock for every link to the file: beside the file itself.
    EXPECT_EQ(namesIn(scratch.file("kept")), juce::StringArray("settings.xml", "settings.xml.lock"));
    EXPECT_EQ(namesIn(scratch.file("plugins")), juce::StringArray("Brondil.xml"));

    ASSERT_EQ(::chmod(target.getFullPathName().toRawUTF8(), 0444), 0);
    const juce::String before = target.loadFileAsString();
    juce::StringArray warnings;
    for (int instance = 0; instance < 2; ++instance) {
        auto filter = make();
        filter->showWarning = [&warnings](const juce::String&, const juce::String& message) { warnings.add(message); };
        filter->settings.irSize = 8192;
    }
    EXPECT_EQ(target.loadFileAsString(), before);
    struct stat status {};
    ASSERT_EQ(::stat(target.getFullPathName().toRawUTF8(), &status), 0);
    EXPECT_EQ(status.st_mode & 07777, 0444u);
    ASSERT_EQ(warnings.size(), 1) << "one warning, not one per instance";
    EXPECT_TRUE(warnings[0].contains(link.getFullPathName()));
    ASSERT_EQ(::chmod(target.getFullPathName().toRawUTF8(), 0644), 0);
}

TEST(SettingsFile, SavesKilledMidwayLeaveNoTemporaryBehind)
{
    ScratchFolder scratch;
    createPaths(scratch);
    const juce::File file = scratch.file("plugins/Brondil.xml");
    ASSERT_TRUE(file.getParentDirectory().createDirectory().wasOk());
    const BRSettings settings = filledSettings(scratch);
    pid_t gone = 0;
    for (int round = 0; round < 40; ++round) {
        int ready[2];
        ASSERT_EQ(::pipe(ready), 0);
        const pid_t saver = ::fork();
        ASSERT_GE(saver, 0);
        if (saver == 0) {
            ::close(ready[0]);
            if (::write(ready[1], "r", 1) != 1)
                ::_exit(1);
            for (;;)
                saveSettings(settings, file);
        }
        ::close(ready[1]);
        char byte = 0;
        ASSERT_EQ(::read(ready[0], &byte, 1), 1);
        ::close(ready[0]);
        // Kills land at varied points of a save.
        ::usleep(static_cast<useconds_t>(500 + round * 97 % 2000));
        ::kill(saver, SIGKILL);
        ::waitpid(saver, nullptr, 0);
        gone = saver;
        if (file.exists()) {
            EXPECT_NE(parseScreenedFile(file), nullptr) << "a killed save leaves a whole document";
        }
    }
    // Earlier versions' leftovers, which name no host, go once they are old;
    // one that may still be written stays, and so does another host's
    // temporary, whatever its process number means here.
    const juce::String pid(gone);
    const juce::File earlierLeftover = file.getSiblingFile("Brondil_temp1f3a9c.xml");
    const juce::File earlierInProgress = file.getSiblingFile("Brondil_temp77b2.xml");
    const juce::File hostlessLeftover = file.getSiblingFile(".Brondil.xml-" + pid + "-3");
    const juce::File hostlessInProgress = file.getSiblingFile(".Brondil.xml-" + pid + "-4");
    const juce::File otherHosts = file.getSiblingFile(".Brondil.xml-elsewhere-" + pid + "-0");
    for (const juce::File& temporary :
         {earlierLeftover, earlierInProgress, hostlessLeftover, hostlessInProgress, otherHosts})
        ASSERT_TRUE(temporary.replaceWithText("<BRONDILSETTINGS"));
    for (const juce::File& leftover : {earlierLeftover, hostlessLeftover})
        ASSERT_TRUE(leftover.setLastModificationTime(juce::Time::getCurrentTime() - juce::RelativeTime::days(2)));
    saveSettings(settings, file);
    EXPECT_EQ(namesIn(file.getParentDirectory()),
              juce::StringArray(".Brondil.xml-" + pid + "-4", ".Brondil.xml-elsewhere-" + pid + "-0", "Brondil.xml",
                                "Brondil_temp77b2.xml"));
}

TEST(SettingsFile, SavingAndLoadingKeepsEveryFieldAndEveryPath)
{
    ScratchFolder scratch;
    createPaths(scratch);
    const BRSettings saved = filledSettings(scratch);
    const juce::File file = scratch.file("Brondil.xml");
    ASSERT_EQ(saveSettings(saved, file), BRFileReplacement::replaced);

    BRSettings loaded;
    loadSettings(loaded, file);
    expectSameNumbers(loaded, saved);
    EXPECT_EQ(loaded.lastDir, scratch.folder());
    EXPECT_EQ(loaded.lastPathList, saved.lastPathList);
    EXPECT_EQ(loaded.dropDownList, saved.dropDownList);
    EXPECT_TRUE(loaded.lastSelMulti.isEmpty());
}

TEST(SettingsFile, TheDocumentHasTheNineElementsInOrder)
{
    ScratchFolder scratch;
    createPaths(scratch);
    const juce::File file = scratch.file("Brondil.xml");
    ASSERT_EQ(saveSettings(filledSettings(scratch), file), BRFileReplacement::replaced);

    const auto root = juce::XmlDocument::parse(file);
    ASSERT_NE(root, nullptr);
    EXPECT_EQ(root->getTagName(), "Brondil");
    juce::StringArray tags;
    for (const auto* child : root->getChildIterator())
        tags.add(child->getTagName());
    EXPECT_EQ(tags, juce::StringArray({"LastDir", "LastPathList", "DropDownList", "Inputs", "Outputs", "IRsize",
                                       "FFTsize", "ZeroLatency", "WorkingMode"}));
    EXPECT_EQ(root->getChildByName("LastDir")->getAllSubText(), scratch.folder().getFullPathName());
    EXPECT_EQ(root->getChildByName("FFTsize")->getStringAttribute("size"), "8192");
    EXPECT_EQ(root->getChildByName("WorkingMode")->getNumAttributes(), 1);
    EXPECT_EQ(root->getChildByName("LastPathList")->getNumChildElements(), 3);
    EXPECT_TRUE(file.loadFileAsString().startsWith("<?xml version=\"1.0\" encoding=\"UTF-8\"?>"));
}

TEST(SettingsFile, NamesAreFoundInAnyLetterCaseUnderAnyRoot)
{
    ScratchFolder scratch;
    createPaths(scratch);
    const juce::String lastDir = "<LASTDIR>  " + scratch.folder().getFullPathName() + "\n</LASTDIR>";
    const juce::String list = "<lastpathlist><file NAME=\" " + scratch.file("one.wav").getFullPathName() +
                              " \"/></lastpathlist>";
    writeText(scratch.file("Brondil.xml"),
              "<SOMETHINGELSE>" + lastDir + list +
                  "<WORKINGMODE MODE=\"2\"/><fftSIZE SIZE=\"4096\"/><ZeroLatency State=\"1\"/>"
                  "</SOMETHINGELSE>");
    BRSettings settings;
    loadSettings(settings, scratch.file("Brondil.xml"));
    EXPECT_EQ(settings.lastDir, scratch.folder());
    EXPECT_EQ(settings.lastPathList, juce::StringArray(scratch.file("one.wav").getFullPathName()));
    EXPECT_EQ(settings.workingMode, 2);
    EXPECT_EQ(settings.fftSize, 4096);
    EXPECT_EQ(settings.zeroLatency, 1);
}

TEST(SettingsFile, TheFirstElementOfANameCounts)
{
    ScratchFolder scratch;
    writeText(scratch.file("Brondil.xml"), "<Brondil><irsize size=\"512\"/><IRsize size=\"2048\"/></Brondil>");
    BRSettings settings;
    loadSettings(settings, scratch.file("Brondil.xml"));
    EXPECT_EQ(settings.irSize, 512);
}

TEST(PathList, TheRecentListKeepsDistinctAbsolutePathsAndThePerModeListKeepsEverySlot)
{
    ScratchFolder scratch;
    createPaths(scratch);
    const juce::String irs = scratch.file("irs").getFullPathName();
    const juce::String gone = scratch.file("gone").getFullPathName();
    juce::XmlElement list("List");
    for (const juce::String& name : {irs, gone, juce::String("one.wav"), irs, juce::String(), gone + "/"})
        list.createNewChildElement("Any")->setAttribute("name", name);
    list.createNewChildElement("NoName");

    // Relative paths would name the host's working folder: never kept.
    const WorkingFolder working(scratch.folder());
    juce::StringArray recent{"old"};
    readPathList(recent, &list, BRPathListKind::recent);
    EXPECT_EQ(recent, juce::StringArray(irs, gone));
    juce::StringArray perMode{"old"};
    readPathList(perMode, &list, BRPathListKind::perMode);
    const juce::String none;
    EXPECT_EQ(perMode, juce::StringArray(irs, gone, none, irs, none, gone, none));

    // Written as read: a missing folder keeps its slot, an empty slot stays empty.
    juce::XmlElement written("List");
    writePathList(perMode, &written, BRPathListKind::perMode);
    juce::StringArray back;
    readPathList(back, &written, BRPathListKind::perMode);
    EXPECT_EQ(back, perMode);
    ASSERT_EQ(written.getNumChildElements(), 7);
    EXPECT_EQ(written.getChildElement(2)->getTagName(), "File");

    juce::StringArray untouched{"/kept"};
    juce::XmlElement empty("List");
    readPathList(untouched, &empty, BRPathListKind::perMode);
    readPathList(untouched, nullptr, BRPathListKind::recent);
    writePathList(untouched, nullptr, BRPathListKind::recent);
    EXPECT_EQ(untouched, juce::StringArray("/kept"));
}

TEST(XmlAccess, NamesMatchWithoutAsciiCaseOnly)
{
    EXPECT_TRUE(namesMatch("WorkingMode", "WORKINGMODE"));
    EXPECT_TRUE(namesMatch("irsize", "IRsize"));
    EXPECT_FALSE(namesMatch("IRsize", "IRsizes"));
    EXPECT_FALSE(namesMatch("", "a"));
    EXPECT_FALSE(namesMatch(juce::CharPointer_UTF8("\xc3\x89T\xc3\x89"), juce::CharPointer_UTF8("\xc3\xa9t\xc3\xa9")));

    juce::XmlElement element("E");
    element.setAttribute("WetGain", "0.25");
    EXPECT_EQ(getTextAttribute(element, "wetgain"), "0.25");
    EXPECT_EQ(getStrictDoubleAttribute(element, "WETGAIN"), 0.25);
}

TEST(XmlAccess, StrictNumbersAreWholeDecimalNumbersOrNothing)
{
    juce::XmlElement element("E");
    const std::pair<const char*, std::optional<int>> integers[] = {{"2", 2},
                                                                   {"-7", -7},
                                                                   {"+3", 3},
                                                                   {"2x", std::nullopt},
                                                                   {" 2", std::nullopt},
                                                                   {"", std::nullopt},
                                                                   {"0.5", std::nullopt},
                                                                   {"+-1", std::nullopt},
                                                                   {"99999999999", std::nullopt}};
    for (const auto& [text, expected] : integers) {
        element.setAttribute("n", text);
        EXPECT_EQ(getStrictIntAttribute(element, "N"), expected) << text;
    }
    const std::pair<const char*, std::optional<double>> numbers[] = {{"0.5", 0.5},           {"1e-3", 1e-3},
                                                                     {"-0.25", -0.25},       {"1", 1.0},
                                                                     {"0.5.", std::nullopt}, {"nan", std::nullopt},
                                                                     {"inf", std::nullopt},  {"1e999", std::nullopt},
                                                                     {"0,5", std::nullopt}};
    for (const auto& [text, expected] : numbers) {
        element.setAttribute("x", text);
        EXPECT_EQ(getStrictDoubleAttribute(element, "x"), expected) << text;
    }
    EXPECT_EQ(getStrictIntAttribute(element, "missing"), std::nullopt);
    EXPECT_EQ(getStrictDoubleAttribute(element, "missing"), std::nullopt);
}

TEST(NumberText, DoublesHaveNineSignificantDigitsAndFixedOnesTheirDecimals)
{
    EXPECT_EQ(formatDouble(0.5), "0.5");
    EXPECT_EQ(formatDouble(0.123456789123), "0.123456789");
    EXPECT_EQ(formatDouble(3.1622776601683795e-5), "3.16227766e-05");
    EXPECT_EQ(formatDouble(65539.0), "65539");
    EXPECT_EQ(formatFixed(0.0, 2), "0.00");
    EXPECT_EQ(formatFixed(-6.0, 2), "-6.00");
    EXPECT_EQ(formatFixed(-45.004999, 2), "-45.00");
    EXPECT_EQ(formatFixed(89.999, 2), "90.00");
}

// Runs a test body under de_DE.UTF-8, whose decimal mark is a comma.
class GermanLocale : public testing::Test {
protected:
    void SetUp() override
    {
        if (std::setlocale(LC_ALL, "de_DE.UTF-8") == nullptr)
            GTEST_SKIP() << "the de_DE.UTF-8 locale is not installed (tools/setup.sh generates it)";
        std::locale::global(std::locale("de_DE.UTF-8"));
    }
    void TearDown() override
    {
        std::setlocale(LC_ALL, "C");
        std::locale::global(std::locale::classic());
    }
};

TEST_F(GermanLocale, NumbersRoundTripWithADecimalPoint)
{
    char text[16];
    std::snprintf(text, sizeof(text), "%.1f", 0.5);
    ASSERT_STREQ(text, "0,5") << "the locale does not use a decimal comma";

    juce::XmlElement element("BRONDILSETTINGS");
    setDoubleAttribute(element, "wetgain", 0.5);
    EXPECT_EQ(element.getStringAttribute("wetgain"), "0.5");
    EXPECT_EQ(formatFixed(-18.0, 2), "-18.00");
    EXPECT_EQ(parseDecimal("-18.25"), -18.25);
    const auto reread = juce::parseXML(element.toString());
    ASSERT_NE(reread, nullptr);
    EXPECT_EQ(getStrictDoubleAttribute(*reread, "WetGain"), 0.5);
}

TEST_F(GermanLocale, SettingsAndTheParameterTextSurviveTheLocale)
{
    ScratchFolder scratch;
    createPaths(scratch);
    const BRSettings saved = filledSettings(scratch);
    ASSERT_EQ(saveSettings(saved, scratch.file("Brondil.xml")), BRFileReplacement::replaced);
    BRSettings loaded;
    loadSettings(loaded, scratch.file("Brondil.xml"));
    expectSameNumbers(loaded, saved);

    BRFilter filter(scratch.file("Brondil.so"), [](const BRSettings&) { return BRChannelCounts{2, 2}; });
    filter.setParameter(0, 0.4f);
    EXPECT_EQ(filter.getParameterText(0), "-18.00");
}

TEST(LastPath, EachWorkingModeHasItsOwnSlot)
{
    ScratchFolder scratch;
    BRFilter filter(scratch.file("Brondil.so"), [](const BRSettings&) { return BRChannelCounts{2, 2}; });
    filter.workingMode = BRWorkingMode::irOneToOne;
    filter.setLastPath("/irs/a.wav");
    EXPECT_EQ(filter.settings.lastPathList, juce::StringArray({"", "", "/irs/a.wav"}));
    EXPECT_EQ(filter.getLastPath(), "/irs/a.wav");
    filter.workingMode = BRWorkingMode::irMono;
    EXPECT_EQ(filter.getLastPath(), "");
    filter.setLastPath("/irs/b.wav");
    EXPECT_EQ(filter.settings.lastPathList, juce::StringArray({"/irs/b.wav", "", "/irs/a.wav"}));
}

// Where the settings file lies, with $XDG_CONFIG_HOME and $HOME under the test's control.
class SettingsLocation : public testing::Test {
protected:
    ScratchFolder scratch;
    dsptest::ScopedEnvironmentVariable home{"HOME", scratch.file("home").getFullPathName().toStdString()};
    dsptest::ScopedEnvironmentVariable configHome{"XDG_CONFIG_HOME", std::nullopt};
};

TEST_F(SettingsLocation, BesideAPluginInAWritableFolder)
{
    ASSERT_TRUE(scratch.file("plugins").createDirectory().wasOk());
    EXPECT_EQ(settingsFileFor(scratch.file("plugins/Brondil.so")), scratch.file("plugins/Brondil.xml"));
}

TEST_F(SettingsLocation, SymbolicLinksAreNotResolved)
{
    ASSERT_TRUE(scratch.file("real").createDirectory().wasOk());
    ASSERT_TRUE(scratch.file("real").createSymbolicLink(scratch.file("linked"), false));
    EXPECT_EQ(settingsFileFor(scratch.file("linked/Brondil.so")), scratch.file("linked/Brondil.xml"));
}

TEST_F(SettingsLocation, InTheUsersConfigFolderWhereThePluginFolderCannotBeWritten)
{
    const juce::File unwritable = scratch.file("no-such-folder/Brondil.so");
    EXPECT_EQ(settingsFileFor(unwritable), scratch.file("home/.config/Brondil/Brondil.xml"));

    setenv("XDG_CONFIG_HOME", scratch.file("config").getFullPathName().toRawUTF8(), 1);
    EXPECT_EQ(settingsFileFor(unwritable), scratch.file("config/Brondil/Brondil.xml"));

    setenv("XDG_CONFIG_HOME", "relative/config", 1);
    EXPECT_EQ(settingsFileFor(unwritable), scratch.file("home/.config/Brondil/Brondil.xml"));
}

TEST_F(SettingsLocation, AReadOnlyPluginFolderLosesNoSettings)
{
    if (geteuid() == 0)
        GTEST_SKIP() << "root writes into read-only folders; the missing-folder case covers the fallback";
    ASSERT_TRUE(scratch.file("plugins").createDirectory().wasOk());
    ASSERT_TRUE(scratch.file("plugins").setReadOnly(true));
    EXPECT_EQ(settingsFileFor(scratch.file("plugins/Brondil.so")), scratch.file("home/.config/Brondil/Brondil.xml"));
    scratch.file("plugins").setReadOnly(false);
}

TEST_F(SettingsLocation, AProcessorInAnUnwritableFolderKeepsItsSettingsInTheConfigFolder)
{
    const juce::File pluginFile = scratch.file("no-such-folder/Brondil.so");
    const auto answer = [](const BRSettings&) { return BRChannelCounts{2, 2}; };
    {
        BRFilter filter(pluginFile, answer);
        filter.settings.irSize = 65536;
    }
    EXPECT_TRUE(scratch.file("home/.config/Brondil/Brondil.xml").existsAsFile());
    BRFilter next(pluginFile, answer);
    EXPECT_EQ(next.irSize, 65536);
}

}  // namespace

// A home folder named in Latin-1 or cp1252 cannot be named to the toolkit, and
// the passwd entry's home, where the toolkit looks instead, is another folder.
TEST_F(SettingsLocation, UnderAHomeWhoseNameIsNotUtf8NothingIsSavedAndTheUserIsToldOnce)
{
    const juce::File pluginFile = scratch.file("no-such-folder/Brondil.so");
    ASSERT_EQ(::unsetenv("HOME"), 0);
    const juce::File passwdFile = settingsFileFor(pluginFile);
    ASSERT_NE(passwdFile, juce::File());
    const juce::Time passwdFileTime = passwdFile.getLastModificationTime();
    const auto answer = [](const BRSettings&) { return BRChannelCounts{2, 2}; };
    juce::StringArray warnings;
    for (const char byte : {'\xE0', '\xC0', '\xF0', '\x80'}) {
        const std::string home = scratch.file("h").getFullPathName().toStdString() + byte + "me";
        ASSERT_EQ(::mkdir(home.c_str(), 0755), 0);
        ASSERT_EQ(::setenv("HOME", home.c_str(), 1), 0);
        EXPECT_EQ(settingsFileFor(pluginFile), juce::File());
        EXPECT_EQ(settingsFileFor(juce::File()), juce::File());
        for (const bool changed : {false, true}) {
            BRFilter filter(pluginFile, answer);
            filter.showWarning = [&warnings](const juce::String&, const juce::String& message) {
                warnings.add(message);
            };
            EXPECT_EQ(filter.irSize, 1024) << "the defaults";
            if (changed)
                filter.settings.irSize = 65536;
        }
        EXPECT_TRUE(std::filesystem::is_empty(home));
    }
    // As the warning says: the user's configuration folder named apart from the home gives them a place.
    ASSERT_EQ(::setenv("XDG_CONFIG_HOME", scratch.file("config").getFullPathName().toRawUTF8(), 1), 0);
    EXPECT_EQ(settingsFileFor(pluginFile), scratch.file("config/Brondil/Brondil.xml"));
    EXPECT_EQ(passwdFile.getLastModificationTime(), passwdFileTime);
    ASSERT_EQ(warnings.size(), 1) << "once, for the first instance that changed a setting";
    EXPECT_TRUE(warnings[0].contains("not saved"));
}
