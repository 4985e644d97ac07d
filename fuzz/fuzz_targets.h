#pragma once

#include <cstddef>
#include <cstdint>

// The fuzz targets: each takes any bytes and must neither crash nor trip a
// sanitizer nor hang; each aborts when the plug-in breaks a promise it makes
// about what it writes or sounds. libFuzzer drives one per executable (see
// libfuzzer_main.cpp); the corpus replay test drives them all in the
// ordinary build. Not reentrant: one call at a time per process.

// The bytes as the state chunk a host hands back (effSetChunk). The state the
// processor then writes must pass the document screen.
int fuzzStateChunk(const std::uint8_t* data, std::size_t size);

// The bytes as the settings file beside the plug-in. The file the settings
// are then written to must pass the document screen again.
int fuzzSettingsFile(const std::uint8_t* data, std::size_t size);

// The first byte picks the working mode, the rest is an impulse-response file
// loaded into the matrix in every way the editor may; noise through the
// processor must then come out finite.
int fuzzIrFile(const std::uint8_t* data, std::size_t size);

// The bytes as a host's calls into a new effect: dispatcher opcodes with their
// arguments, parameters and blocks of audio, then effClose.
int fuzzDispatcher(const std::uint8_t* data, std::size_t size);
