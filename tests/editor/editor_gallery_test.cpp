// The whole editor as a user sees it, written as PNG files into the build
// tree for a person to look at.
#include <gtest/gtest.h>

#include "editor/credits_window.h"
#include "tests/editor/decaying_noise.h"
#include "tests/editor/editor_fixture.h"
#include "tests/support/sound_files.h"

namespace {

namespace user = guitest::user;

class EditorGallery : public editortest::EditorOnScreen {
protected:
    void TearDown() override
    {
        delete creditsWindowInstance;
        EditorOnScreen::TearDown();
    }

    // Reverb-like IRs of 48000 samples in a folder the editor lists.
    juce::String hall(const juce::String& name, int channels, unsigned seed)
    {
        const juce::File file = processor->file("Halls").getChildFile(name);
        file.getParentDirectory().createDirectory();
        std::vector<std::vector<float>> samples;
        for (int c = 0; c < channels; ++c)
            samples.push_back(editortest::decayingNoise(48000, seed + static_cast<unsigned>(c)));
        EXPECT_TRUE(dsptest::writePlanarSoundFile(file.getFullPathName().toStdString(), samples, 48000,
                                                  SF_FORMAT_WAV | SF_FORMAT_PCM_24));
        return file.getFullPathName();
    }

    void save(const juce::String& name)
    {
        guitest::pumpMessages(150);
        EXPECT_TRUE(guitest::saveScreenshot(*editor, name).existsAsFile()) << name;
    }
};

TEST_F(EditorGallery, AnEmptyTwoByTwoMatrix)
{
    makeProcessor(2, 2);
    openEditor();
    save("editor_empty_2x2");
}

TEST_F(EditorGallery, ALoadedTwoByTwoMatrixWithASelectedCellAndItsSpectrum)
{
    makeProcessor(2, 2, {1024, 48000, 0, 0});
    const char* names[] = {"Cathedral Hall L.wav", "Cathedral Hall R.wav", "Plate Bright.wav", "Studio A Room.wav"};
    for (int k = 0; k < 4; ++k)
        hall(names[k], 1, 20u + static_cast<unsigned>(k));
    hall("Concert Hall Stereo.wav", 2, 30);
    openEditor();
    chooseDirectory(processor->file("Halls"));
    for (int k = 0; k < 4; ++k)
        ASSERT_TRUE(filter().loadMonoIrIntoCell(k / 2, k % 2,
                                                processor->file("Halls").getChildFile(names[k]).getFullPathName()));
    editor->refreshAllCells();
    editor->setIrSizeEditorEnabled(false);
    user::click(cell(1, 0), {100, 60});
    user::click(control<BRDraggableListBox>("IrFileList"), {50, 7});
    save("editor_loaded_selected_2x2");
}

TEST_F(EditorGallery, IrOneToOneWithItsDisabledOffDiagonalCells)
{
    makeProcessor(3, 3, {1024, 1024, 0, 2});
    hall("Three Rooms.wav", 3, 40);
    filter().settings.lastSelMulti = processor->file("Halls").getChildFile("Three Rooms.wav").getFullPathName();
    const juce::String halls = processor->file("Halls").getFullPathName();
    filter().settings.lastPathList = {halls, halls, halls};  // one per working mode
    openEditor();
    // The scan lists the last multichannel file, selects it and loads it.
    ASSERT_TRUE(guitest::pumpUntil([this] { return filter().allCellsLoaded(); }));
    save("editor_one_to_one_3x3");
}

TEST_F(EditorGallery, OneInputAndOneOutput)
{
    makeProcessor(1, 1, {1024, 48000, 0, 0});
    const juce::String path = hall("Drum Room.wav", 1, 50);
    openEditor();
    ASSERT_TRUE(filter().loadMonoIrIntoCell(0, 0, path));
    editor->refreshAllCells();
    save("editor_1x1");
}

TEST_F(EditorGallery, ThirtyTwoInputsAndOutputs)
{
    makeProcessor(32, 32, {1024, 4096, 0, 0});
    const juce::String path = hall("Spring.wav", 1, 60);
    openEditor();
    for (int k = 0; k < 32; ++k)
        ASSERT_TRUE(filter().loadMonoIrIntoCell(k, (k * 7) % 32, path));
    editor->refreshAllCells();
    save("editor_32x32");
}

TEST_F(EditorGallery, TheCreditsWindowOpenedFromTheEditor)
{
    makeProcessor(2, 2);
    openEditor();
    user::click(control<juce::ImageButton>("imagebutton"), {200, 20});
    ASSERT_NE(creditsWindowInstance, nullptr);
    ASSERT_TRUE(guitest::pumpUntil([] { return creditsWindowInstance->isShowing(); }));
    guitest::pumpMessages(150);
    EXPECT_TRUE(guitest::saveScreenshot(*creditsWindowInstance, "editor_credits_window").existsAsFile());
}

}  // namespace
