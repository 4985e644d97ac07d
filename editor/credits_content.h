#pragma once

#include <juce_gui_basics/juce_gui_basics.h>

// The credits window's content: the coder with a link to the coder's page, the
// thanks to the testers, the maker's logo (a click opens the maker's page) and
// the credit for the plug-in technology. Message thread.
class BRCreditsContentComponent : public juce::Component, public juce::Button::Listener {
public:
    BRCreditsContentComponent();

    BRCreditsContentComponent(const BRCreditsContentComponent&) = delete;
    BRCreditsContentComponent& operator=(const BRCreditsContentComponent&) = delete;

    // The logo opens the maker's web page in the default browser; other buttons
    // are ignored.
    void buttonClicked(juce::Button* button) override;

private:
    juce::Label coderLabel;
    juce::Label thanksLabel;
    juce::Label sdkLabel;
    juce::HyperlinkButton coderLink;
    juce::Image logoImage;
    juce::ImageButton logoButton;
};
