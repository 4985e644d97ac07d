// Names the file system holds that are not UTF-8: only checked bytes become the
// toolkit's strings, and the toolkit's own listings and working folder never
// meet such a name.
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <clocale>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "engine/file_replacement.h"
#include "engine/utf8_text.h"
#include "tests/engine/scratch_folder.h"
#include "tests/support/not_utf8_names.h"

namespace {

const juce::String kReplacement = juce::String::charToString(static_cast<juce::juce_wchar>(0xFFFD));

bool makeFile(const std::string& path)
{
    const int fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_EXCL, 0644);
    return fd >= 0 && ::close(fd) == 0;
}

TEST(Utf8Names, OnlyStrictUtf8BecomesTextAndEveryOtherByteReadsAsAReplacementCharacter)
{
    for (const std::string& name : dsptest::soundFileNamesNotUtf8()) {
        EXPECT_FALSE(utf8Text(name).has_value()) << name;
        const juce::String readable = readableText(name.c_str());
        EXPECT_TRUE(isValidUtf8(readable)) << name;
        EXPECT_TRUE(readable.endsWith(".wav")) << name;
        EXPECT_TRUE(readable.contains(kReplacement)) << name;
    }
    const std::string accented = "Salle \xC3\xA0 manger.wav";
    ASSERT_TRUE(utf8Text(accented).has_value());
    EXPECT_EQ(utf8Text(accented)->toStdString(), accented);
    EXPECT_EQ(readableText(accented.c_str()), *utf8Text(accented));
    // One replacement per byte that belongs to no whole sequence, the rest as it was.
    EXPECT_EQ(readableText("Salle \xE0 manger.wav"), "Salle " + kReplacement + " manger.wav");
    EXPECT_EQ(readableText("cut \xE2\x82.wav"), "cut " + kReplacement + kReplacement + ".wav");
    EXPECT_EQ(readableText("\xC3\xA9\x80\xC3\xA9"), *utf8Text("\xC3\xA9") + kReplacement + *utf8Text("\xC3\xA9"));
}

TEST(Utf8Names, TheSystemsWordsInALatin1LocaleReadWithReplacementCharacters)
{
    const std::string before = std::setlocale(LC_ALL, nullptr);
    if (std::setlocale(LC_ALL, "fr_FR.ISO-8859-1") == nullptr)
        GTEST_SKIP() << "the fr_FR.ISO-8859-1 locale is not installed (tools/setup.sh generates it)";
    const std::string latin1 = std::strerror(EACCES);
    const juce::String readable = systemErrorText(EACCES);
    std::setlocale(LC_ALL, before.c_str());
    // "Permission non accord\xE9e" where the translations are installed.
    EXPECT_TRUE(isValidUtf8(readable));
    EXPECT_EQ(readable.contains(kReplacement), !utf8Text(latin1).has_value()) << latin1;
}

TEST(Utf8Names, TheToolkitsListingsLeaveThemOutAndAWorkingFolderSoNamedReadsAsNone)
{
    const enginetest::ScratchFolder scratch;
    const std::string folder = scratch.folder().getFullPathName().toStdString();
    std::vector<std::string> utf8Names = {"good.wav", "Salle \xC3\xA0 manger.wav"};
    for (const std::string& name : utf8Names)
        ASSERT_TRUE(makeFile(folder + "/" + name));
    for (const std::string& name : dsptest::soundFileNamesNotUtf8())
        ASSERT_TRUE(makeFile(folder + "/" + name)) << name;
    const std::string foreignFolder = folder + "/I\x80Rs";
    ASSERT_EQ(::mkdir(foreignFolder.c_str(), 0755), 0);

    // Unchecked, the names would come back as prefixes and other characters,
    // from strings written past their ends.
    std::vector<std::string> listed;
    for (const juce::DirectoryEntry& entry :
         juce::RangedDirectoryIterator(scratch.folder(), false, "*", juce::File::findFilesAndDirectories))
        listed.push_back(entry.getFile().getFileName().toStdString());
    std::sort(listed.begin(), listed.end());
    std::sort(utf8Names.begin(), utf8Names.end());
    EXPECT_EQ(listed, utf8Names);

    char* const before = ::getcwd(nullptr, 0);
    ASSERT_NE(before, nullptr);
    ASSERT_EQ(::chdir(foreignFolder.c_str()), 0);
    EXPECT_EQ(juce::File::getCurrentWorkingDirectory(), juce::File());
    ASSERT_EQ(::chdir(folder.c_str()), 0);
    EXPECT_EQ(juce::File::getCurrentWorkingDirectory(), scratch.folder());
    EXPECT_EQ(::chdir(before), 0);
    std::free(before);
}

TEST(Utf8Names, ASaveThroughALinkIntoAFolderSoNamedWritesNothingElsewhere)
{
    // Read as a prefix, the link would name ".../conf", a file of the user's.
    const enginetest::ScratchFolder scratch;
    const std::string folder = scratch.folder().getFullPathName().toStdString();
    enginetest::writeText(scratch.file("conf"), "precious");
    const std::string foreignFolder = folder + "/conf\x80";
    ASSERT_EQ(::mkdir(foreignFolder.c_str(), 0755), 0);
    ASSERT_EQ(::symlink((foreignFolder + "/Brondil.xml").c_str(), (folder + "/Brondil.xml").c_str()), 0);

    juce::String why;
    EXPECT_EQ(replaceFileContent(scratch.file("Brondil.xml"), "<Brondil/>", 10, &why), BRFileReplacement::failed);
    EXPECT_FALSE(why.isEmpty());
    EXPECT_FALSE(finalTarget(scratch.file("Brondil.xml")).has_value());
    EXPECT_EQ(scratch.file("conf").loadFileAsString(), "precious");
    EXPECT_NE(::access((foreignFolder + "/Brondil.xml").c_str(), F_OK), 0);
}

}  // namespace
