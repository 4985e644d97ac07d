#pragma once

#include <memory>

#include <gtest/gtest.h>

#include "host/plugin_entry_point.h"
#include "tests/host/adapter_probe_processor.h"
#include "tests/host/adapter_test_host.h"

// An effect made in-process by the plug-in's entry around a probe processor.
class AdapterTest : public ::testing::Test {
protected:
    // False when the entry made no effect.
    bool makeEffect(int inputs, int outputs)
    {
        return host.create([this, inputs, outputs](audioMasterCallback callback) {
            return pluginEntryPoint(callback, [this, inputs, outputs]() -> juce::AudioProcessor* {
                probe = new ProbeProcessor(inputs, outputs, probeHasEditor);
                return probe;
            });
        });
    }

    TestHost host;
    ProbeProcessor* probe = nullptr;  // owned by the effect
    bool probeHasEditor = false;      // for the effects made from now on
};
