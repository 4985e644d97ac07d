#include "tests/support/gui_test_environment.h"

#include <cstdint>

#include "editor/screen_availability.h"
#include "host/window_events.h"

namespace guitest {

namespace {

constexpr int kPumpSliceMilliseconds = 10;
const juce::Colour kEditorBackground{0xffdcdcdc};

void sendMouse(juce::Component& target, juce::Point<float> position, juce::ModifierKeys buttons)
{
    auto* peer = target.getPeer();
    if (peer == nullptr) {
        ADD_FAILURE() << "the component is not on screen";
        return;
    }
    const auto inPeer = peer->getComponent().getLocalPoint(&target, position);
    // The X event handling keeps the modifiers up to date before it dispatches.
    juce::ModifierKeys::currentModifiers =
        juce::ModifierKeys::currentModifiers.withoutMouseButtons().withFlags(buttons.getRawFlags());
    peer->handleMouseEvent(juce::MouseInputSource::InputSourceType::mouse, inPeer, juce::ModifierKeys::currentModifiers,
                           juce::MouseInputSource::defaultPressure, juce::MouseInputSource::defaultOrientation,
                           juce::Time::currentTimeMillis());
}

const juce::ModifierKeys kLeftButton{juce::ModifierKeys::leftButtonModifier};
const juce::ModifierKeys kNoButton{};

}  // namespace

OnScreenTest::OnScreenTest(bool withWindowManager) : server(withWindowManager)
{
    if (!server.failure().empty())
        return;
    gui = std::make_unique<juce::ScopedJuceInitialiser_GUI>();
    reachesDisplay = windowsCanBeShown();
}

void OnScreenTest::SetUp()
{
    if (!server.failure().empty())
        GTEST_SKIP() << "no X server: " << server.failure();
    ASSERT_TRUE(reachesDisplay);
}

OnScreenTest::~OnScreenTest()
{
    if (gui != nullptr)
        pumpUntil([] { return !juce::Desktop::getInstance().getAnimator().isAnimating(); });
}

namespace {

// One slice of the message loop, then, as a host's idle does, the X events that
// its timers' questions to the server left in Xlib's queue.
void pumpSlice()
{
    juce::MessageManager::getInstance()->runDispatchLoopUntil(kPumpSliceMilliseconds);
    dispatchWaitingWindowEvents();
}

}  // namespace

void pumpMessages(int milliseconds)
{
    const auto end = juce::Time::getMillisecondCounter() + static_cast<juce::uint32>(milliseconds);
    while (juce::Time::getMillisecondCounter() < end)
        pumpSlice();
}

bool pumpUntil(const std::function<bool()>& condition, int timeoutMilliseconds)
{
    const auto end = juce::Time::getMillisecondCounter() + static_cast<juce::uint32>(timeoutMilliseconds);
    while (!condition()) {
        if (juce::Time::getMillisecondCounter() >= end)
            return condition();
        pumpSlice();
    }
    return true;
}

TestWindow::TestWindow(const juce::String& title, juce::Component& content, int margin) : juce::Component(title)
{
    setOpaque(true);
    addAndMakeVisible(content);
    content.setTopLeftPosition(margin, margin);
    setSize(content.getRight() + margin, content.getBottom() + margin);
    setTopLeftPosition(40, 40);
    addToDesktop(0);
    setVisible(true);
    if (!pumpUntil([this] {
            // The toolkit's connection holds the map request until its next
            // round trip to the server, such as this question.
            juce::Desktop::getInstance().getMousePosition();
            auto* peer = getPeer();
            return peer != nullptr && windowIsMapped(reinterpret_cast<std::uintptr_t>(peer->getNativeHandle()));
        }))
        ADD_FAILURE() << "the window was not mapped";
    pumpMessages(50);
}

TestWindow::~TestWindow() { removeAllChildren(); }

void TestWindow::paint(juce::Graphics& g) { g.fillAll(kEditorBackground); }

namespace user {

void mouseDown(juce::Component& target, juce::Point<float> position)
{
    sendMouse(target, position, kNoButton);  // the pointer arrives first, as it does on screen
    sendMouse(target, position, kLeftButton);
}

void mouseDrag(juce::Component& target, juce::Point<float> position) { sendMouse(target, position, kLeftButton); }

void mouseUp(juce::Component& target, juce::Point<float> position) { sendMouse(target, position, kNoButton); }

void click(juce::Component& target, juce::Point<float> position)
{
    mouseDown(target, position);
    mouseUp(target, position);
}

void doubleClick(juce::Component& target, juce::Point<float> position)
{
    click(target, position);
    click(target, position);
}

void drag(juce::Component& target, juce::Point<float> from, juce::Point<float> to, int steps)
{
    mouseDown(target, from);
    for (int step = 1; step <= steps; ++step)
        mouseDrag(target, from + (to - from) * (static_cast<float>(step) / static_cast<float>(steps)));
    mouseUp(target, to);
}

void pressKey(juce::Component& anyOnScreen, const juce::KeyPress& key)
{
    auto* peer = anyOnScreen.getPeer();
    if (peer == nullptr) {
        ADD_FAILURE() << "the component is not on screen";
        return;
    }
    peer->handleKeyPress(key);
}

void type(juce::Component& anyOnScreen, const juce::String& text)
{
    for (const juce::juce_wchar character : text)
        pressKey(anyOnScreen, juce::KeyPress(static_cast<int>(character), {}, character));
}

}  // namespace user

juce::Button* buttonWithText(const juce::Component& root, const juce::String& text)
{
    for (auto* child : root.getChildren()) {
        if (auto* button = dynamic_cast<juce::Button*>(child); button != nullptr && button->getButtonText() == text)
            return button;
        if (auto* deeper = buttonWithText(*child, text))
            return deeper;
    }
    return nullptr;
}

juce::File saveScreenshot(const juce::Image& image, const juce::String& name)
{
    const juce::File folder(BRONDIL_SCREENSHOT_DIR);
    const juce::File file = folder.getChildFile(name + ".png");
    // Test programs running side by side may make the folder at the same time.
    folder.createDirectory();
    if (!folder.isDirectory() || (file.exists() && !file.deleteFile()))
        return {};
    juce::FileOutputStream out(file);
    juce::PNGImageFormat png;
    if (!out.openedOk() || !png.writeImageToStream(image, out))
        return {};
    return file;
}

juce::File saveScreenshot(juce::Component& component, const juce::String& name)
{
    return saveScreenshot(component.createComponentSnapshot(component.getLocalBounds()), name);
}

}  // namespace guitest
