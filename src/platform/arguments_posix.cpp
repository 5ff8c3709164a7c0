// SPDX-License-Identifier: MIT
#include "platform/console.h"

namespace korva {

std::vector<std::string> program_arguments(int argc, char** argv) {
    return std::vector<std::string>(argv, argv + argc);
}

}  // namespace korva
