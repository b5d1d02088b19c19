#pragma once

#include <cstddef>
#include <cstdint>

// The fuzz targets: each takes arbitrary bytes, drives one place where the
// project meets bytes it did not write, and checks what must hold for any
// input. A broken property aborts with a message (see SCI_FUZZ_CHECK), so
// libFuzzer and the regression test both see it. Each returns 0.
namespace sci_fuzz {

// Project file bytes: the decoder, the tagged settings reader, the plug-in's
// LoadChannel and Host::LoadProject; what loads must save and load again to
// the same settings.
int ProjectFile(const std::uint8_t* data, std::size_t size);

// A scene container built from the bytes (IDs out of range, cycles, long
// chains) and the two XML writers run on it through the channel.
int XmlWriters(const std::uint8_t* data, std::size_t size);

// A scene file imported from memory; on what loads, every info type with a
// spread of inputs.
int Importer(const std::uint8_t* data, std::size_t size);

// glTF bytes (JSON or GLB) through the glTF reader: a refusal explains
// itself and leaves the container alone; what reads holds only valid
// references and answers every info type.
int GltfReader(const std::uint8_t* data, std::size_t size);

// One line of an sci batch file, parsed and answered on a small scene.
int BatchLine(const std::uint8_t* data, std::size_t size);

// Snapshot bytes (section checksums made right when the first byte is odd):
// a refusal leaves the container alone; what loads saves to the same bytes
// and answers every info type.
int Snapshot(const std::uint8_t* data, std::size_t size);

}  // namespace sci_fuzz
