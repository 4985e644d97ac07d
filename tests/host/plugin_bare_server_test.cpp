// brondil-host --info with Brondil.so on an X server that no window manager
// has touched, as on a fresh kiosk or CI display: the plug-in's first window,
// the channel question, answered by keys, must not end the host.
#include <sstream>

#include <gtest/gtest.h>

#include "tests/host/plugin_fixture.h"
#include "tests/support/x_display.h"
#include "tools/vst_host/host_options.h"
#include "tools/vst_host/run_host.h"

namespace {

class BrondilOnABareServer : public PluginTest {};

TEST_F(BrondilOnABareServer, HostInfoDescribesTheEffectMadeWithTheTypedCounts)
{
    guitest::PrivateXServer server;
    if (!server.failure().empty())
        GTEST_SKIP() << server.failure();
    if (!guitest::programIsInstalled("xdotool"))
        GTEST_SKIP() << "xdotool is not installed";
    guitest::ChildProcess user(guitest::answerEachNewWindow("Input Output Channels", {"3 Tab 4 Return"}));

    const char* arguments[] = {"brondil-host", pluginPath.c_str(), "--info"};
    HostOptions options;
    std::string error;
    ASSERT_TRUE(parseHostOptions(3, arguments, options, error)) << error;
    std::ostringstream out;
    std::ostringstream err;
    EXPECT_EQ(runHost(options, out, err), 0) << err.str();

    EXPECT_EQ(user.wait(), 0);
    EXPECT_NE(out.str().find("inputs: 3\noutputs: 4\n"), std::string::npos) << out.str();
}

}  // namespace
