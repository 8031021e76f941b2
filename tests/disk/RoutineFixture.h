#pragma once
// Routine files made byte by byte for the import tests, and the fixture that writes them.
#include <gtest/gtest.h>

#include <cstdint>
#include <string>
#include <vector>

#include "AudioFixtures.h"
#include "disk/RoutineFile.h"
#include "disk/VelkDisk.h"
#include "support/MemoryDevice.h"
#include "support/RecordingPrompt.h"

using Bytes = std::vector<uint8_t>;

// count frames the unit plays, padded and unpadded in turn, each body marked with its number.
inline Bytes PlayableFrames(int count) {
    Bytes all;
    for (int i = 0; i < count; ++i) {
        const bool padded = i % 2 == 1;
        Bytes frame(padded ? 418 : 417, uint8_t(i * 13 + 1));
        frame[0] = 0xFF, frame[1] = 0xFB, frame[2] = padded ? 0x92 : 0x90, frame[3] = 0x44;
        all.insert(all.end(), frame.begin(), frame.end());
    }
    return all;
}

inline Bytes Pattern(size_t size, uint8_t seed) {
    Bytes bytes(size);
    for (size_t i = 0; i < size; ++i) bytes[i] = uint8_t(i * 31 + seed);
    return bytes;
}

struct Routine {
    RoutineHeader header;
    Bytes audio;
    Bytes data;
};

inline Routine Mp3Routine(int frames, size_t dataBytes, const char* title = "Routine") {
    Routine r;
    r.header.SetTitle(title);
    r.audio = PlayableFrames(frames);
    r.data = Pattern(dataBytes, uint8_t(frames));
    return r;
}

class RoutineImport : public ::testing::Test {
protected:
    void FormatCard(CMemoryDevice& card) {
        CVelkDisk disk(card);
        disk.Read();
        disk.Format();
    }

    // Writes the routine file; counts come from the contents unless the header was given others.
    std::string Write(const std::string& name, Routine r, bool keepCounts = false) {
        if (!keepCounts) {
            r.header.audioBytes = uint32_t(r.audio.size());
            r.header.dataBytes = uint32_t(r.data.size());
        }
        Bytes file(RoutineHeader::kSize);
        r.header.Encode(file.data());
        file.insert(file.end(), r.audio.begin(), r.audio.end());
        file.insert(file.end(), r.data.begin(), r.data.end());
        WriteAll(temp.File(name), file);
        return temp.File(name);
    }

    Bytes Sectors(CMemoryDevice& card, uint32_t first, uint32_t end) {
        return Bytes(card.Sector(first), card.Sector(end));
    }

    CTestTempDir temp;
    CRecordingPrompt prompt;
};
