// Folders holding names that are not UTF-8, browsed as a user browses them
// in Brondil.so's own dialogs in our host, on a bare X server and under
// openbox: the editor's directory dialog and the Pack tool's save dialog list
// only the names that are UTF-8 and leave the host running, the folder chosen
// is the one kept, and the pack goes where the user typed, even from a host
// whose working folder's name is not UTF-8.
#include <algorithm>
#include <cmath>
#include <cstdint>
#include <filesystem>
#include <string>
#include <utility>
#include <vector>

#include <gtest/gtest.h>
#include <juce_core/juce_core.h>

#include "tests/host/brondil_window_layout.h"
#include "tests/host/plugin_editor_fixture.h"
#include "tests/host/window_screenshot.h"
#include "tests/support/not_utf8_names.h"

namespace {

// The first row of JUCE's file dialog (brondil_window_layout.h).
constexpr int kFirstRowX = 60;
constexpr int kFirstRowY = 87;
// Where the list shows names, beside the icons and before a file's size.
constexpr int kNamesLeft = 40;
constexpr int kNamesRight = 400;
constexpr int kListTop = 77;
constexpr int kListFromBottom = 80;
// Where it says how the save went.
constexpr int kResultLeft = 10;
constexpr int kResultTop = 246;
constexpr int kResultRight = 260;
constexpr int kResultBottom = 270;

bool isDark(uint32_t rgb) { return (rgb >> 16 & 0xff) < 0x60 && (rgb >> 8 & 0xff) < 0x60 && (rgb & 0xff) < 0x60; }

// Dark pixels, such as text, within an area of the shown window.
int darkPixels(const guitest::WindowPixels& shown, int left, int top, int right, int bottom)
{
    int count = 0;
    for (int y = top; y < bottom && y < shown.height; ++y)
        for (int x = left; x < right && x < shown.width; ++x)
            count += isDark(shown.at(x, y));
    return count;
}

// Calls `visit` with each line of the dialog's list, as its pixels from
// beside the icons to before a file's size.
template <typename Visit>
void forEachListLine(const guitest::WindowPixels& dialog, Visit&& visit)
{
    const int right = std::min(kNamesRight, dialog.width - 12);
    for (int y = kListTop; y < dialog.height - kListFromBottom; ++y)
        visit(&dialog.rgb[static_cast<std::size_t>(y) * dialog.width + kNamesLeft],
              &dialog.rgb[static_cast<std::size_t>(y) * dialog.width + right]);
}

// The rows of text in the dialog's list: each listed name is one. Rows
// stand 22 pixels apart; the ink of one row (a glyph drawn as a box, say)
// may have gaps of a pixel or two.
int listedNames(const guitest::WindowPixels& dialog)
{
    constexpr int kGapBetweenRows = 5;
    int rows = 0;
    int blankSince = kGapBetweenRows;
    forEachListLine(dialog, [&](const uint32_t* begin, const uint32_t* end) {
        if (!std::any_of(begin, end, isDark)) {
            ++blankSince;
            return;
        }
        rows += blankSince >= kGapBetweenRows;
        blankSince = 0;
    });
    return rows;
}

// What the list area of the dialog shows.
std::vector<uint32_t> listArea(const guitest::WindowPixels& dialog)
{
    std::vector<uint32_t> area;
    forEachListLine(dialog, [&](const uint32_t* begin, const uint32_t* end) { area.insert(area.end(), begin, end); });
    return area;
}

// The host's working folder while it lives.
class WorkingFolder {
public:
    explicit WorkingFolder(const std::filesystem::path& folder) : previous(std::filesystem::current_path())
    {
        std::filesystem::current_path(folder);
    }
    ~WorkingFolder() { std::filesystem::current_path(previous); }
    WorkingFolder(const WorkingFolder&) = delete;
    WorkingFolder& operator=(const WorkingFolder&) = delete;

private:
    std::filesystem::path previous;
};

// The path of each list entry and of LastDir in the settings file.
struct SavedFolders {
    std::string lastDir;
    std::vector<std::string> perMode;
    std::vector<std::string> recent;
};

SavedFolders savedFolders(const std::string& settingsFile)
{
    SavedFolders saved;
    const auto root = juce::parseXML(juce::File(settingsFile));
    if (root == nullptr)
        return saved;
    if (const auto* lastDir = root->getChildByName("LastDir"))
        saved.lastDir = lastDir->getAllSubText().toStdString();
    for (auto [tag, paths] : {std::pair{"LastPathList", &saved.perMode}, {"DropDownList", &saved.recent}})
        if (const auto* list = root->getChildByName(tag))
            for (const auto* entry : list->getChildIterator())
                paths->push_back(entry->getStringAttribute("name").toStdString());
    return saved;
}

class BrowsingNamesNotUtf8 : public PluginEditorTest, public testing::WithParamInterface<bool> {
protected:
    BrowsingNamesNotUtf8() : PluginEditorTest(GetParam()) {}

    // A folder `mixed` of sound files and folders, with one file or folder of
    // each name that is not UTF-8: only "a mono.wav", "b mono.wav" and the
    // folder "good irs" have names a dialog can list. Each folder holds one mono file.
    void SetUp() override
    {
        PluginEditorTest::SetUp();
        if (IsSkipped() || HasFatalFailure())
            return;
        mixed = pathInFolder("mixed");
        goodIrs = mixed + "/good irs";
        ASSERT_TRUE(std::filesystem::create_directories(goodIrs));
        ASSERT_TRUE(std::filesystem::create_directory(mixed + "/I\x80Rs"));
        std::vector<std::string> files{"a mono.wav", "b mono.wav", "good irs/inside.wav", "I\x80Rs/hidden.wav"};
        for (const std::string& name : dsptest::soundFileNamesNotUtf8())
            files.push_back(name);
        for (const std::string& name : files)
            ASSERT_TRUE(writeWav(mixed + "/" + name, PlanarSamples(1, std::vector<float>(600, 0.25f)), 48000)) << name;
    }

    std::string screenshotName(const std::string& what) const { return what + (GetParam() ? "_openbox" : "_bare"); }

    Display* display() const { return editor->window().display(); }

    struct ShownWindow {
        Window id = 0;
        int width = 0;
        int height = 0;
    };

    // A window titled title once it shows and keeps its size over a few
    // idles, while the host idles; none if it never does.
    ShownWindow shownWindow(const std::string& title)
    {
        ShownWindow shown;
        int steady = 0;
        const bool settled = idleUntil([&] {
            const Window found = guitest::viewableWindowNamed(display(), title);
            const guitest::WindowState state = found != 0 ? guitest::windowState(display(), found)
                                                          : guitest::WindowState{};
            steady = found == shown.id && state.width == shown.width && state.height == shown.height ? steady + 1 : 0;
            shown = {found, state.width, state.height};
            return found != 0 && steady >= 5;
        });
        return settled ? shown : ShownWindow{};
    }

    // A click, or a double click, as a hand makes it at a point of a window.
    bool clickIn(Window window, int x, int y, int clicks = 1)
    {
        return user({"mousemove", "--window", std::to_string(window), "--sync", std::to_string(x), std::to_string(y),
                     "click", "--repeat", std::to_string(clicks), "--delay", "80", "1"});
    }

    // Text typed on the keyboard, then Return.
    bool type(const std::string& text)
    {
        return user({"type", "--delay", "12", "--", text}) && user({"key", "Return"});
    }

    // The dialog's list once it shows something else than `before` and has
    // settled: the same over half a second of idles.
    guitest::WindowPixels settledListing(Window dialog, const std::vector<uint32_t>& before)
    {
        guitest::WindowPixels shown;
        std::vector<uint32_t> last;
        int unchanged = 0;
        idleUntil([&] {
            shown = guitest::capturePixels(display(), dialog);
            std::vector<uint32_t> area = listArea(shown);
            unchanged = area == last ? unchanged + 1 : 0;
            last = std::move(area);
            return last != before && unchanged >= 16;
        });
        return shown;
    }

    // The path of a folder typed into the dialog's name box, as a user types
    // it once the dialog has the keyboard: the dialog then lists that folder.
    // Text typed into the dialog's name box, then Return.
    bool typeIntoNameBox(const ShownWindow& dialog, const std::string& text)
    {
        return clickIn(dialog.id, (kNameBoxLeft + dialog.width) / 2, dialog.height - kNameBoxFromBottom) &&
               idleUntil([&] { return guitest::holdsKeyboardFocus(display(), dialog.id); }) && type(text);
    }

    guitest::WindowPixels openTypedFolder(const ShownWindow& dialog, const std::string& folder)
    {
        const std::vector<uint32_t> before = listArea(guitest::capturePixels(display(), dialog.id));
        EXPECT_TRUE(typeIntoNameBox(dialog, folder));
        return settledListing(dialog.id, before);
    }

    std::string mixed;
    std::string goodIrs;
};

TEST_P(BrowsingNamesNotUtf8, TheDirectoryDialogListsOnlyUtf8NamesAndTheFolderChosenThereIsKeptExactly)
{
    effect->resume();
    ASSERT_TRUE(openEditor());
    ASSERT_TRUE(idleUntil([&] { return showsTheEditor(); }));
    ASSERT_TRUE(clickAt(kBrowseButtonX, kBrowseButtonY));
    const ShownWindow dialog = shownWindow("Choose a new directory");
    ASSERT_NE(dialog.id, 0u);

    // A directory dialog lists folders: "good irs" alone, not "I\x80Rs" under some other name.
    const guitest::WindowPixels listing = openTypedFolder(dialog, mixed);
    EXPECT_FALSE(writeScreenshot(listing, screenshotName("directory_dialog_mixed")).empty());
    EXPECT_EQ(listedNames(listing), 1);

    const std::vector<uint32_t> before = listArea(listing);
    ASSERT_TRUE(clickIn(dialog.id, kFirstRowX, kFirstRowY, 2));
    EXPECT_EQ(listedNames(settledListing(dialog.id, before)), 0) << "good irs holds no folder";
    ASSERT_TRUE(clickIn(dialog.id, dialog.width - kOpenButtonFromRight, dialog.height - kOpenButtonFromBottom));
    ASSERT_TRUE(idleUntil([&] { return guitest::viewableWindowNamed(display(), "Choose a new directory") == 0; }));

    // The editor lists inside.wav: a name in the list's first row, none in its second.
    EXPECT_TRUE(idleUntil([&] { return darkPixels(pixels(), 12, 101, 158, 114) > 20; }));
    const guitest::WindowPixels editorShown = pixels();
    EXPECT_FALSE(writeScreenshot(editorShown, screenshotName("editor_lists_good_irs")).empty());
    EXPECT_EQ(darkPixels(editorShown, 12, 115, 158, 128), 0);

    editor.reset();
    closeEffect();
    const SavedFolders saved = savedFolders(pathInFolder("Brondil.xml"));
    EXPECT_EQ(saved.lastDir, goodIrs);
    ASSERT_FALSE(saved.perMode.empty());
    EXPECT_EQ(saved.perMode[0], goodIrs) << "IR mono's folder";
    EXPECT_EQ(saved.recent, std::vector<std::string>{goodIrs});
    // No other folder, such as a prefix of a name that is not UTF-8.
    for (const std::string& path : saved.perMode)
        EXPECT_TRUE(path.empty() || path == goodIrs || path == irFolder) << path;
}

TEST_P(BrowsingNamesNotUtf8, ThePackSaveDialogListsOnlyUtf8NamesAndSavesWhereTypedFromAnyWorkingFolder)
{
    effect->resume();
    restoreTwoByTwoMatrix();
    ASSERT_TRUE(openEditor());
    ASSERT_TRUE(idleUntil([&] { return showsTheEditor(); }));
    ASSERT_TRUE(clickAt(kPackButtonX, kPackButtonY));
    const Window packWindow = shownWindow("Pack tool").id;
    ASSERT_NE(packWindow, 0u);

    // The dialog opens in the host's working folder: one named in UTF-8, then one named in Latin-1.
    const PlanarSamples matrix = reverbLikeStereoIrs();
    const std::vector<std::pair<std::string, std::string>> rounds = {{"start", "matrix"},
                                                                     {"d\xE9part", "matrix again"}};
    for (std::size_t round = 0; round < rounds.size(); ++round) {
        const auto& [startName, packName] = rounds[round];
        SCOPED_TRACE(packName);
        const std::string start = pathInFolder(startName);
        ASSERT_TRUE(std::filesystem::create_directory(start));
        const WorkingFolder working(start);
        ASSERT_TRUE(clickIn(packWindow, kSaveAsX, kSaveAsY));
        const ShownWindow dialog = shownWindow("Save IR pack as...");
        ASSERT_NE(dialog.id, 0u);
        EXPECT_FALSE(writeScreenshot(guitest::capturePixels(display(), dialog.id),
                                     screenshotName("pack_dialog_opened_" + std::to_string(round)))
                         .empty());

        // A save dialog lists files too: the two mono files, the folder and the packs saved so far.
        const guitest::WindowPixels listing = openTypedFolder(dialog, mixed);
        EXPECT_FALSE(writeScreenshot(listing, screenshotName("pack_dialog_mixed_" + std::to_string(round))).empty());
        EXPECT_EQ(listedNames(listing), 3 + static_cast<int>(round));

        ASSERT_TRUE(type(packName));
        ASSERT_TRUE(idleUntil([&] { return guitest::viewableWindowNamed(display(), "Save IR pack as...") == 0; }));
        // One channel per output, the inputs' IRs one after another, as 16-bit samples.
        const std::string packFile = mixed + "/" + packName + ".WAV";
        ASSERT_TRUE(idleUntil([&] { return std::filesystem::exists(packFile); }));
        const PlanarSamples packed = readWav(packFile);
        ASSERT_EQ(packed.size(), 2u);
        ASSERT_EQ(packed[0].size(), matrix[0].size());
        double worst = 0.0;
        for (std::size_t c = 0; c < packed.size(); ++c)
            for (std::size_t t = 0; t < packed[c].size(); ++t)
                worst = std::max(worst, std::abs(static_cast<double>(packed[c][t]) - matrix[c][t]));
        EXPECT_LE(worst, 1.0 / 32768.0);
        // The tool says so where the dialog was.
        EXPECT_TRUE(idleUntil([&] {
            return darkPixels(guitest::capturePixels(display(), packWindow), kResultLeft, kResultTop, kResultRight,
                              kResultBottom) > 50;
        }));
    }
    EXPECT_FALSE(writeScreenshot(guitest::capturePixels(display(), packWindow), screenshotName("pack_saved")).empty());

    // From a working folder so named, the dialog opens in the home folder: a name typed alone saves there.
    const WorkingFolder working(pathInFolder("d\xE9part"));
    ASSERT_TRUE(clickIn(packWindow, kSaveAsX, kSaveAsY));
    const ShownWindow dialog = shownWindow("Save IR pack as...");
    ASSERT_NE(dialog.id, 0u);
    ASSERT_TRUE(typeIntoNameBox(dialog, "at home"));
    const juce::File home = juce::File::getSpecialLocation(juce::File::userHomeDirectory);
    EXPECT_TRUE(idleUntil([&] { return home.getChildFile("at home.WAV").existsAsFile(); }));
}

INSTANTIATE_TEST_SUITE_P(BareAndUnderOpenbox, BrowsingNamesNotUtf8, testing::Values(false, true),
                         [](const testing::TestParamInfo<bool>& info) {
                             return info.param ? "UnderOpenbox" : "OnABareServer";
                         });

}  // namespace
