#include "pack/pack_window.h"

#include <utility>

#include "pack/pack_content.h"

BRPackWindow* packWindowInstance = nullptr;

BRPackWindow::BRPackWindow(BRFilter& processor, std::function<int()> irSize)
    : BRToolWindow("Pack tool", juce::Colours::floralwhite),
      content(new BRPackContentComponent(processor, std::move(irSize)))
{
    setContentOwned(content, false);
}

BRPackWindow::~BRPackWindow() { packWindowInstance = nullptr; }

bool BRPackWindow::savesMatrixOf(const BRFilter& processor) const { return content->savesMatrixOf(processor); }

void openPackWindow(BRFilter& processor, std::function<int()> irSize, juce::Point<int> editorScreenTopLeft)
{
    if (packWindowInstance != nullptr)
        return;
    packWindowInstance = new BRPackWindow(processor, std::move(irSize));
    packWindowInstance->setBounds(editorScreenTopLeft.x + 100, editorScreenTopLeft.y + 100, 300, 300);
    packWindowInstance->setVisible(true);
    packWindowInstance->setAlwaysOnTop(true);
}

void closePackWindowFor(const BRFilter& processor)
{
    if (packWindowInstance != nullptr && packWindowInstance->savesMatrixOf(processor))
        delete packWindowInstance;
}
