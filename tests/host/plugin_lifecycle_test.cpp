// Brondil.so from loading to unloading: who gets effects, several at once,
// and the same file loaded, used and unloaded again in one process.
#include <dlfcn.h>

#include <vector>

#include "host/vst/opcodes.h"
#include "tests/host/adapter_test_host.h"
#include "tests/host/plugin_fixture.h"

namespace {

using Entry = AEffect* (*)(audioMasterCallback);

// The plug-in file opened as a host opens it, and one of its two entries.
class OpenedPlugin {
public:
    OpenedPlugin(const std::string& path, const char* entryName)
        : handle(dlopen(path.c_str(), RTLD_NOW | RTLD_LOCAL)),
          entry(handle != nullptr ? reinterpret_cast<Entry>(dlsym(handle, entryName)) : nullptr)
    {
    }
    ~OpenedPlugin()
    {
        if (handle != nullptr)
            dlclose(handle);
    }
    OpenedPlugin(const OpenedPlugin&) = delete;
    OpenedPlugin& operator=(const OpenedPlugin&) = delete;

    void* handle;
    Entry entry;
};

// Resumes, processes a few blocks of an impulse and asks for the state.
void useEffect(TestHost& host)
{
    host.resume(44100.0f, 128);
    Channels in(2, 128), out(2, 128);
    in.samples[0][0] = 1.0f;
    for (int block = 0; block < 4; ++block)
        host.process(in.data(), out.data(), 128);
    host.setParameter(0, 0.25f);
    EXPECT_EQ(host.getParameter(0), 0.25f);
    void* chunk = nullptr;
    EXPECT_GT(host.dispatch(effGetChunk, 0, 0, &chunk), 0);
    host.suspend();
}

TEST_F(PluginTest, AHostThatAnswersVersionZeroGetsNoEffect)
{
    OpenedPlugin plugin(pluginPath, "VSTPluginMain");
    ASSERT_NE(plugin.entry, nullptr);
    TestHost host;
    host.versionAnswer = 0;
    EXPECT_FALSE(host.create(plugin.entry));
    EXPECT_EQ(host.calls[audioMasterVersion], 1);
    // The plug-in is as good as new afterwards.
    TestHost second;
    ASSERT_TRUE(second.create(plugin.entry));
    useEffect(second);
}

TEST_F(PluginTest, TheMainExportMakesTheSameEffect)
{
    OpenedPlugin plugin(pluginPath, "main");
    ASSERT_NE(plugin.entry, nullptr);
    TestHost host;
    ASSERT_TRUE(host.create(plugin.entry));
    EXPECT_EQ(host.effect->uniqueID, fourCharCode('B', 'r', 'A', 'u'));
    EXPECT_EQ(host.text(effGetEffectName), "Brondil");
}

TEST_F(PluginTest, EffectsLiveSideBySideAndTheLastToCloseLeavesTheFileReusable)
{
    OpenedPlugin plugin(pluginPath, "VSTPluginMain");
    ASSERT_NE(plugin.entry, nullptr);
    TestHost first, second;
    ASSERT_TRUE(first.create(plugin.entry));
    ASSERT_TRUE(second.create(plugin.entry));
    first.dispatch(effOpen);
    second.dispatch(effOpen);
    useEffect(first);
    first.close();
    // The toolkit keeps running for the second effect.
    useEffect(second);
    second.dispatch(effEditIdle);
    second.close();

    TestHost third;
    ASSERT_TRUE(third.create(plugin.entry));
    third.dispatch(effOpen);
    useEffect(third);
}

TEST_F(PluginTest, LoadingUsingAndUnloadingTwiceIsClean)
{
    for (int round = 0; round < 2; ++round) {
        OpenedPlugin plugin(pluginPath, "VSTPluginMain");
        ASSERT_NE(plugin.entry, nullptr) << "round " << round;
        TestHost host;
        ASSERT_TRUE(host.create(plugin.entry));
        host.dispatch(effOpen);
        useEffect(host);
        host.dispatch(effEditIdle);
        host.close();
    }
}

TEST_F(PluginTest, BlocksBeforeAResumeAndAfterASuspendAreSilent)
{
    OpenedPlugin plugin(pluginPath, "VSTPluginMain");
    TestHost host;
    ASSERT_TRUE(host.create(plugin.entry));
    Channels in(2, 64), out(2, 64);
    in.samples[0].assign(64, 1.0f);
    out.samples[0].assign(64, 2.0f);
    host.process(in.data(), out.data(), 64);
    EXPECT_EQ(out.samples[0], std::vector<float>(64, 0.0f));
    host.resume(44100.0f, 64);
    host.suspend();
    out.samples[1].assign(64, 2.0f);
    host.process(in.data(), out.data(), 64);
    EXPECT_EQ(out.samples[1], std::vector<float>(64, 0.0f));
    // Frame counts of 0 or below never reach the effect.
    out.samples[1].assign(64, 2.0f);
    host.process(in.data(), out.data(), 0);
    host.process(in.data(), out.data(), -64);
    EXPECT_EQ(out.samples[1], std::vector<float>(64, 2.0f));
}

}  // namespace
