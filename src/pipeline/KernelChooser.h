#pragma once
#include "pipeline/UuEncoder.h"

namespace qb::pipeline {

void ScalarLines(const std::uint8_t* in, std::size_t lineCount, char* out);
LineKernel ChosenKernel();

}  // namespace qb::pipeline
