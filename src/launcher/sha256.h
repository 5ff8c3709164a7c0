// SPDX-License-Identifier: MIT
// SHA-256, for recognising the program a package was made with: the launcher refuses to start a
// program whose digest differs from the one recorded when the package was created.
#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <string_view>

namespace korva::launcher {

class Sha256 {
  public:
    using Digest = std::array<std::uint8_t, 32>;

    Sha256();
    void update(std::string_view bytes);
    // Ends the computation; the object must not be updated afterwards.
    Digest finish();

  private:
    void compress(const std::uint8_t* block);

    std::array<std::uint32_t, 8> state_;
    std::array<std::uint8_t, 64> block_{};
    std::size_t block_used_ = 0;
    std::uint64_t total_bytes_ = 0;
};

Sha256::Digest sha256(std::string_view bytes);
// Lower-case hexadecimal, two digits a byte.
std::string to_hex(std::string_view bytes);
std::string sha256_hex(std::string_view bytes);

}  // namespace korva::launcher
