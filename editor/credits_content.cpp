#include "editor/credits_content.h"

#include "editor/pictures.h"

namespace {

// Under the reserved .example domain until the project has pages of its own.
const char* const kMakerAddress = "https://brondil.example/";
const char* const kCoderAddress = "https://brondil.example/tamsin-oreld/";

}  // namespace

BRCreditsContentComponent::BRCreditsContentComponent()
    : coderLabel("coder", "DSP and GUI coding by: "),
      thanksLabel("thanx", "Many thanx to Ivo Brannock and all other beta testers"),
      sdkLabel("plugSDK", "VST plug-in technology by\nSteinberg Media Technologies GmbH"),
      coderLink("Tamsin Oreld", juce::URL(kCoderAddress)),
      logoImage(juce::ImageCache::getFromMemory(logoPng, logoPngSize)), logoButton("logobutton")
{
    const juce::Colour transparent = juce::Colours::transparentBlack;
    logoButton.setImages(true, true, true, logoImage, 0.9f, transparent, logoImage, 1.0f, transparent, logoImage, 0.7f,
                         juce::Colour(0xffc0c0c0), 0.5f);
    logoButton.setTopLeftPosition(30, 70);
    logoButton.setTooltip(kMakerAddress);
    logoButton.addListener(this);
    addAndMakeVisible(logoButton);

    coderLabel.setFont(juce::Font().boldened());
    coderLabel.setBounds(10, 10, 150, 18);
    addAndMakeVisible(coderLabel);

    coderLink.setBounds(160, 10, 75, 20);
    // The name is wider than 75 pixels in the link's font: the link grows to show it whole.
    coderLink.changeWidthToFitText();
    addAndMakeVisible(coderLink);

    thanksLabel.setBounds(10, 30, 275, 18);
    addAndMakeVisible(thanksLabel);

    sdkLabel.setBounds(10, 150, 300, 40);
    addAndMakeVisible(sdkLabel);
}

void BRCreditsContentComponent::buttonClicked(juce::Button* button)
{
    if (button == &logoButton)
        juce::URL(kMakerAddress).launchInDefaultBrowser();
}
