// The text cipher per 8 bytes of text, beside the DES block cipher alone (key schedule and
// blocks, no hexadecimal text and no allocation).
#include <benchmark/benchmark.h>

#include <string>

#include "cipher/DesBlockCipher.h"
#include "cipher/Unit_Orvel_DESCrypt.h"

namespace {

const std::string kKey = "40618253";

std::string plainText(std::int64_t bytes) {
    std::string text;
    for (std::int64_t i = 0; i < bytes; ++i) text.push_back(static_cast<char>('a' + i % 26));
    return text;
}

void countBlocks(benchmark::State& state) { state.counters["blocks"] = static_cast<double>((state.range(0) + 7) / 8); }

void encrypt_hex_per_8_bytes(benchmark::State& state) {
    const std::string text = plainText(state.range(0));
    for (auto _ : state) benchmark::DoNotOptimize(tessavo::cipher::DesEncryptToHex(text, kKey));
    countBlocks(state);
}

void decrypt_hex_per_8_bytes(benchmark::State& state) {
    const std::string cipher = tessavo::cipher::DesEncryptToHex(plainText(state.range(0)), kKey);
    for (auto _ : state) benchmark::DoNotOptimize(tessavo::cipher::DesDecryptFromHex(cipher, kKey));
    countBlocks(state);
}

void des_blocks_per_8_bytes(benchmark::State& state) {
    const std::string text = plainText(state.range(0));
    tessavo::cipher::DesBlock block{};
    for (auto _ : state) {
        tessavo::cipher::DesSubkeys subkeys;
        tessavo::cipher::DesKeySchedule(tessavo::cipher::DesKeyBlockFromText(kKey),
                                        tessavo::cipher::kDesEncryptionOrder, subkeys);
        for (std::size_t at = 0; at < text.size(); at += 8) {
            tessavo::cipher::DesCryptBlock(subkeys, reinterpret_cast<const std::uint8_t*>(text.data() + at),
                                           block.data());
            benchmark::DoNotOptimize(block);
        }
    }
    countBlocks(state);
}

}  // namespace

BENCHMARK(encrypt_hex_per_8_bytes)->Arg(8)->Arg(64)->Arg(1024);
BENCHMARK(decrypt_hex_per_8_bytes)->Arg(8)->Arg(64)->Arg(1024);
BENCHMARK(des_blocks_per_8_bytes)->Arg(8)->Arg(64)->Arg(1024);
