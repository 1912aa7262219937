#pragma once
// Sound tests: a recording output device in place of ALSA and a scratch
// folder for wave files.

#include <gtest/gtest.h>
#include <unistd.h>

#include <cstdint>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "platform/os/Sound.h"

class SoundFixture : public ::testing::Test {
protected:
    using Bytes = std::vector<std::uint8_t>;

    void SetUp() override {
        dir_ = std::filesystem::temp_directory_path() /
               ("app-sound-test-" + std::to_string(getpid()));
        std::filesystem::create_directories(dir_);
        SetSoundDeviceFactory(recorder_.Factory());
    }
    void TearDown() override {
        // Stops the sound before the recorder goes away.
        SetSoundDeviceFactory({});
        std::filesystem::remove_all(dir_);
    }

    // Distinct, recognisable sample bytes.
    static Bytes Samples(std::size_t n, std::uint8_t seed) {
        Bytes b(n);
        for (std::size_t i = 0; i < n; ++i) b[i] = std::uint8_t(seed + i * 13);
        return b;
    }

    // Writes a 16-bit mono 8 kHz wave file holding samples.
    std::string WriteWave(const std::string& name, const Bytes& samples) {
        Bytes b;
        auto tag = [&](const char* t) {
            for (int i = 0; i < 4; ++i) b.push_back(std::uint8_t(t[i]));
        };
        auto u32 = [&](std::uint32_t v) {
            for (int i = 0; i < 4; ++i) b.push_back(std::uint8_t(v >> (8 * i)));
        };
        auto u16 = [&](unsigned v) {
            b.push_back(std::uint8_t(v));
            b.push_back(std::uint8_t(v >> 8));
        };
        tag("RIFF");
        u32(std::uint32_t(36 + samples.size()));
        tag("WAVE");
        tag("fmt ");
        u32(16);
        u16(1);
        u16(1);
        u32(8000);
        u32(16000);
        u16(2);
        u16(16);
        tag("data");
        u32(std::uint32_t(samples.size()));
        b.insert(b.end(), samples.begin(), samples.end());
        const std::string path = (dir_ / name).string();
        std::ofstream(path, std::ios::binary)
            .write(reinterpret_cast<const char*>(b.data()), std::streamsize(b.size()));
        return path;
    }

    std::filesystem::path dir_;
    TSoundRecorder recorder_;
};
