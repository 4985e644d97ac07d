#include "editor/credits_window.h"

#include "editor/credits_content.h"

BRCreditsWindow* creditsWindowInstance = nullptr;

BRCreditsWindow::BRCreditsWindow()
    : BRToolWindow("Credits!", juce::Colour::greyLevel(0.85f)), content(new BRCreditsContentComponent())
{
    setContentOwned(content, false);
}

BRCreditsWindow::~BRCreditsWindow() { creditsWindowInstance = nullptr; }

void openCreditsWindow(const juce::Component& editor)
{
    if (creditsWindowInstance != nullptr)
        return;
    creditsWindowInstance = new BRCreditsWindow();
    const juce::Point<int> corner = editor.getScreenPosition();
    creditsWindowInstance->setBounds(corner.x + 50, corner.y + 50, 300, 250);
    creditsWindowInstance->setVisible(true);
    creditsWindowInstance->setAlwaysOnTop(true);
}
