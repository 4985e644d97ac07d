#include "pack/tool_window.h"

BRToolWindow::BRToolWindow(const juce::String& title, juce::Colour background)
    : juce::DialogWindow(title, background, true, true)
{
}

void BRToolWindow::closeButtonPressed() { delete this; }

bool BRToolWindow::escapeKeyPressed()
{
    closeButtonPressed();
    return true;
}

void BRToolWindow::activeWindowStatusChanged()
{
    juce::DialogWindow::activeWindowStatusChanged();
    if (juce::Button* close = getCloseButton())
        close->setEnabled(true);
}
