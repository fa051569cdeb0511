// Drives a LLVMFuzzerTestOneInput target with a fixed-seed stream of inputs:
// random lengths and bytes, plus mutations of earlier inputs, biased towards
// the small alphabet (NUL, TAB, CR, printable) that parsers care about.
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <random>
#include <vector>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size);

int main(int argc, char** argv) {
  const long runs = argc > 1 ? std::atol(argv[1]) : 100000;
  std::mt19937 rng(20261208);
  const std::uint8_t alphabet[] = {0, '\t', '\r', '\n', ' ', 'A', 'z', '[', ']', '"', '\\', 0x1a, 0x1b, 0x80, 0xff};
  std::vector<std::uint8_t> input;
  for (long i = 0; i < runs; ++i) {
    if (rng() % 4 == 0 && !input.empty()) {
      input[rng() % input.size()] = static_cast<std::uint8_t>(rng());
      if (rng() % 2) input.resize(rng() % (input.size() + 1));
    } else {
      input.resize(rng() % 700);
      for (auto& b : input)
        b = rng() % 2 ? alphabet[rng() % sizeof alphabet] : static_cast<std::uint8_t>(rng());
    }
    LLVMFuzzerTestOneInput(input.data(), input.size());
  }
  std::printf("%ld inputs, no faults\n", runs);
  return 0;
}
